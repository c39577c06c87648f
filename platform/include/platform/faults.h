// The one fault-injection point: rules that make a named operation fail for
// subjects matching a glob pattern, a set number of times, with a value
// (bytes kept by a short write, an error number...), and a watch that notes
// each check of an operation for tests. Thread-safe.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Operations that can be made to fail.
enum class FaultOp {
  Rename,            // renames (the subject is the target): fail with EIO
  LockRemove,        // removal of lock files (the subject is the lock file)
  Send,              // socket sends (the subject is the peer, "a.b.c.d:port"):
                     // each takes at most value bytes; value 0 fails with EIO
  Busy,              // a file in use: delete, rename-onto and write-open fail
  Denied,            // access denied
  ShortWrite,        // writes keep only value bytes
  ReadError,         // reads fail
  Create,            // file creation fails
  RegistryReadOnly,  // registry key refuses writes
  SetTimer,          // SetTimer fails
  DdeInitialize,     // DdeInitialize fails
  LoadLibraryEx,     // LoadLibraryEx fails while LoadLibrary works
};

// The operation's name as machine.ini spells it ("short-write").
const char* faultOpName(FaultOp op);
// The operation of a name; nullopt for an unknown one.
std::optional<FaultOp> faultOpFromName(std::string_view name);

struct FaultRule {
  FaultOp op = FaultOp::Rename;
  std::string pattern = "*";  // glob: '*' any run of characters, '?' one character
  int count = -1;             // failures left; -1 = unlimited
  long long value = 0;        // operation-specific (short-write: bytes kept)
  bool caseBlind = false;     // compare without regard to ASCII case (Windows paths)
};

// Adds a rule after the existing ones; a rule with count 0 is ignored.
void addFault(const FaultRule& rule);
// Removes every rule.
void clearFaults();
// True when a rule for op matches subject; consumes one of its count and gives
// its value. amount is what the caller asks for (the bytes of a send), noted
// while op is watched.
bool shouldFail(FaultOp op, std::string_view subject, long long* value = nullptr, long long amount = 0);
// True while any rule or watch exists: callers whose subject is costly to
// form ask this first.
bool faultsArmed();

// One check of a watched operation.
struct FaultCheck {
  FaultOp op;
  std::string subject;
  long long amount;
};
// Starts or ends noting every check of op.
void watchFaults(FaultOp op, bool on);
// The checks noted since the last call, oldest first.
std::vector<FaultCheck> takeWatchedChecks();

// Glob match of a whole subject ('*' also spans separators).
bool globMatch(std::string_view pattern, std::string_view subject, bool caseBlind);

}  // namespace platform
