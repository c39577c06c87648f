// Fault rules under one mutex, matched in the order they were added, and the
// checks noted for watched operations.
#include "platform/faults.h"

#include <array>
#include <atomic>
#include <cctype>
#include <mutex>
#include <utility>
#include <vector>

namespace platform {

namespace {

constexpr std::array<std::pair<FaultOp, const char*>, 12> kOpNames{{
    {FaultOp::Rename, "rename"},
    {FaultOp::LockRemove, "lock-remove"},
    {FaultOp::Send, "send"},
    {FaultOp::Busy, "busy"},
    {FaultOp::Denied, "denied"},
    {FaultOp::ShortWrite, "short-write"},
    {FaultOp::ReadError, "read-error"},
    {FaultOp::Create, "create"},
    {FaultOp::RegistryReadOnly, "registry-readonly"},
    {FaultOp::SetTimer, "settimer"},
    {FaultOp::DdeInitialize, "ddeinitialize"},
    {FaultOp::LoadLibraryEx, "loadlibraryex"},
}};

struct FaultTable {
  std::mutex mutex;
  std::vector<FaultRule> rules;
  std::vector<FaultOp> watched;
  std::vector<FaultCheck> checks;
  std::atomic<bool> armed{false};

  // With mutex held, after any change of rules or watched.
  void rearm() { armed = !rules.empty() || !watched.empty(); }
};

FaultTable& table() {
  static FaultTable* t = new FaultTable;  // never destroyed: usable during exit
  return *t;
}

bool sameChar(char a, char b, bool caseBlind) {
  if (!caseBlind) return a == b;
  return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

}  // namespace

const char* faultOpName(FaultOp op) {
  for (const auto& [o, name] : kOpNames)
    if (o == op) return name;
  return "";
}

std::optional<FaultOp> faultOpFromName(std::string_view name) {
  for (const auto& [o, n] : kOpNames)
    if (name == n) return o;
  return std::nullopt;
}

void addFault(const FaultRule& rule) {
  if (rule.count == 0) return;
  FaultTable& t = table();
  std::lock_guard lock(t.mutex);
  t.rules.push_back(rule);
  t.rearm();
}

void clearFaults() {
  FaultTable& t = table();
  std::lock_guard lock(t.mutex);
  t.rules.clear();
  t.rearm();
}

bool shouldFail(FaultOp op, std::string_view subject, long long* value, long long amount) {
  FaultTable& t = table();
  if (!t.armed) return false;
  std::lock_guard lock(t.mutex);
  for (FaultOp w : t.watched)
    if (w == op) t.checks.push_back({op, std::string(subject), amount});
  for (auto it = t.rules.begin(); it != t.rules.end(); ++it) {
    if (it->op != op || !globMatch(it->pattern, subject, it->caseBlind)) continue;
    if (value) *value = it->value;
    if (it->count > 0 && --it->count == 0) t.rules.erase(it);
    t.rearm();
    return true;
  }
  return false;
}

bool faultsArmed() { return table().armed; }

void watchFaults(FaultOp op, bool on) {
  FaultTable& t = table();
  std::lock_guard lock(t.mutex);
  std::erase(t.watched, op);
  if (on) t.watched.push_back(op);
  t.rearm();
}

std::vector<FaultCheck> takeWatchedChecks() {
  FaultTable& t = table();
  std::lock_guard lock(t.mutex);
  std::vector<FaultCheck> checks;
  checks.swap(t.checks);
  return checks;
}

bool globMatch(std::string_view pattern, std::string_view subject, bool caseBlind) {
  // Greedy match remembering the last '*': O(pattern x subject) at worst.
  std::size_t p = 0, s = 0, starP = std::string_view::npos, starS = 0;
  while (s < subject.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starS = s;
    } else if (p < pattern.size() && (pattern[p] == '?' || sameChar(pattern[p], subject[s], caseBlind))) {
      ++p;
      ++s;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      s = ++starS;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace platform
