// The server's two reporting channels: the event log (start, stop, fatal
// conditions) and the text log "LM-LOG.txt", switched by "enlmlog.sig".
#pragma once

#include <string>

namespace cvlm {

// A text-log line holds at most this many characters, line end included.
inline constexpr int kLogLineMax = 203;
// Longest message that fits a line ("[ " + 24-char time + " ] " + message + "\n").
inline constexpr int kLogMessageMax = kLogLineMax - 30;

// Writes the event-source key and its two values into the registry store.
void registerEventSource();

// Reports one event (type 4 information, 1 error) of source "IDSLumarel".
void reportEvent(int type, const std::string& text);

// Appends "[ time ] text\n" to the text log when the switch is on.
void writeLog(const std::string& text);
// printf-style writeLog; the message is cut to fit one line.
void writeLogf(const char* format, ...) __attribute__((format(printf, 1, 2)));

void setLogFileName(const std::string& name);
// Log switch on when the marker file opens for reading, off otherwise.
void setLogSwitchFromMarker();
bool logSwitch();

}  // namespace cvlm
