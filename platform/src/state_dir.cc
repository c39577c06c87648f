// The platform state directory, from IDS_PLATFORM_DIR or its default.
#include "platform/state_dir.h"

#include <filesystem>
#include <system_error>

namespace platform {

std::string stateDirectory() {
  const char* env = std::getenv(kStateDirVariable);
  std::string dir = (env && *env) ? env : kDefaultStateDir;
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  return dir;
}

}  // namespace platform
