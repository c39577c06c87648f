// Global memory blocks through GlobalAlloc/GlobalLock and GlobalUnlock/GlobalFree.
#include "system/memory.h"

#include "win/system.h"

namespace merl {

void* AllocMemory(std::size_t size, win::HGLOBAL* handle) {
  *handle = win::GlobalAlloc(win::GMEM_MOVEABLE, size);
  if (!*handle) return nullptr;
  void* block = win::GlobalLock(*handle);
  if (!block) {
    win::GlobalFree(*handle);
    *handle = nullptr;
  }
  return block;
}

void FreeMemory(win::HGLOBAL handle) {
  if (!handle) return;
  win::GlobalUnlock(handle);
  win::GlobalFree(handle);
}

}  // namespace merl
