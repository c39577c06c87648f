// f8, f9, f11 and f17: an INI value, a registry value, the system directory
// or an environment value stored in a script variable. They always answer 0
// and run in a test run too.
#include <string>
#include <vector>

#include "constants.h"
#include "interp/action_params.h"
#include "script/variables.h"
#include "system/reg_values.h"
#include "text/path_text.h"
#include "win/files.h"
#include "win/process.h"
#include "win/profile.h"

namespace merl {

namespace {

constexpr std::size_t kRegKeyFieldSize = 512;
constexpr std::size_t kEnvValueLength = 254;
constexpr int kCutFlag = 1;  // f9's number: value 1 cuts the value at its last backslash

const char* textOf(const ActionParams* params) {
  return params && params->parameterText ? params->parameterText : "";
}

// A found value as the flag field asks: whole for "0", else cut at its last backslash.
std::string converted(std::string value, bool cut) {
  if (!cut) return value;
  std::size_t at = lastBackslash(value);
  return at == std::string::npos ? std::string() : value.substr(0, at);
}

}  // namespace

}  // namespace merl

extern "C" win::INT f8(merl::ActionParams* params) {
  using namespace merl;
  const char* at = textOf(params);
  bool cut = ParamFlag(NextParamField(at).c_str());
  std::string name = NextParamField(at, kNameFieldSize);
  std::string file = NextParamField(at);
  std::string section = NextParamField(at);
  std::string key = NextParamField(at);
  std::string fallback = NextParamField(at);
  char value[kFieldSize] = {};
  win::GetPrivateProfileString(section.c_str(), key.c_str(), "", value, sizeof value, file.c_str());
  SetVar(name, value[0] ? converted(value, cut) : fallback);
  return 0;
}

extern "C" win::INT f9(merl::ActionParams* params) {
  using namespace merl;
  const char* at = textOf(params);
  int number = ParamNumber(NextParamField(at).c_str());
  std::string name = NextParamField(at, kNameFieldSize);
  std::string key = NextParamField(at, kRegKeyFieldSize);
  std::string fallback = NextParamField(at);
  std::string valueName = NextParamField(at);
  int root = number >> 1;
  std::vector<char> text(kWorkBufferSize, '\0');
  char typeDigit = 0;
  // Only the five roots are read; any other number is a failed read.
  bool read = root >= 0 && root < kRegistryRoots &&
              ReadRegValue(root, key.c_str(), text.data(), valueName.c_str(), &typeDigit, text.size(), true) == 0;
  SetVar(name, read ? converted(text.data(), (number & kCutFlag) != 0) : fallback);
  return 0;
}

extern "C" win::INT f11(merl::ActionParams* params) {
  using namespace merl;
  const char* at = textOf(params);
  std::string name = NextParamField(at, kNameFieldSize);
  char directory[kFieldSize] = {};
  if (win::GetSystemDirectory(directory, sizeof directory) >= sizeof directory) directory[0] = '\0';
  SetVar(name, directory);
  return 0;
}

extern "C" win::INT f17(merl::ActionParams* params) {
  using namespace merl;
  const char* at = textOf(params);
  bool cut = ParamFlag(NextParamField(at).c_str());
  std::string name = NextParamField(at, kNameFieldSize);
  std::string envName = NextParamField(at);
  std::string fallback = NextParamField(at);
  for (char& c : envName)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  std::vector<char> value(kFieldSize, '\0');
  win::DWORD length = win::GetEnvironmentVariable(envName.c_str(), value.data(), static_cast<win::DWORD>(value.size()));
  if (length >= value.size()) {
    value.assign(length + 1, '\0');
    length = win::GetEnvironmentVariable(envName.c_str(), value.data(), static_cast<win::DWORD>(value.size()));
  }
  if (length == 0 || length >= value.size()) {
    SetVar(name, fallback);
    return 0;
  }
  std::string found(value.data(), length < kEnvValueLength ? length : kEnvValueLength);
  SetVar(name, converted(found, cut));
  return 0;
}
