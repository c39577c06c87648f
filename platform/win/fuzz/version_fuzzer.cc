// libFuzzer target: any bytes as a PE image, then the version block it yields
// queried the way the installer does.
#include <cstddef>
#include <cstdint>

#include "win/version.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto block = win::version::findVersionResource(data, size);
  const std::uint8_t* value = nullptr;
  std::size_t valueSize = 0;
  for (const char* path : {"\\", "\\VarFileInfo\\Translation", "\\StringFileInfo\\040904E4\\FileVersion"})
    if (win::version::queryValue(block.data(), block.size(), path, &value, &valueSize) && valueSize)
      (void)(value[0] + value[valueSize - 1]);
  // The raw input as a block too.
  win::version::queryValue(data, size, "\\VarFileInfo\\Translation", &value, &valueSize);
  return 0;
}
