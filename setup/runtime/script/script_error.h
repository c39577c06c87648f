// How the script runtime reports a broken script: "Internal Error" while no
// message table exists, else script message 7. The report goes through one
// replaceable function, so the message-box layer can take it over.
#pragma once

namespace merl {

inline constexpr char kInternalErrorText[] = "Internal Error";
inline constexpr int kInvalidScriptMessage = 7;

// Shows one abort text; the default is AbortMessage (outside a run a stop-icon message box).
using ScriptErrorReporter = void (*)(const char* text);
extern ScriptErrorReporter reportScriptError;

// Reports "Internal Error" and returns kAbort.
int internalError();

// Reports an invalid record (message 7, or "Internal Error" before the table) and returns kAbort.
int invalidRecord();

}  // namespace merl
