// Global memory blocks as plain heap memory: the handle is the block's
// address; a table of live blocks (size and lock count) lets unknown handles
// fail cleanly.
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include "win/error.h"
#include "win/system.h"

namespace win {

namespace {

struct Block {
  std::size_t size;
  unsigned locks;
};

struct Blocks {
  std::mutex mutex;
  std::map<void*, Block> live;
};

Blocks& blocks() {
  static Blocks* b = new Blocks;  // blocks may be freed while the process ends
  return *b;
}

// The live block of a handle (the caller holds the mutex); null with ERROR_INVALID_HANDLE.
Block* findBlock(Blocks& b, HGLOBAL handle) {
  auto it = b.live.find(handle);
  if (it != b.live.end()) return &it->second;
  SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}

}  // namespace

HGLOBAL GlobalAlloc(UINT uFlags, std::size_t dwBytes) {
  void* p = (uFlags & GMEM_ZEROINIT) ? std::calloc(dwBytes ? dwBytes : 1, 1) : std::malloc(dwBytes ? dwBytes : 1);
  if (!p) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  Blocks& b = blocks();
  std::lock_guard lock(b.mutex);
  b.live[p] = Block{dwBytes, 0};
  return p;
}

LPVOID GlobalLock(HGLOBAL hMem) {
  Blocks& b = blocks();
  std::lock_guard lock(b.mutex);
  Block* block = findBlock(b, hMem);
  if (!block) return nullptr;
  ++block->locks;
  return hMem;
}

BOOL GlobalUnlock(HGLOBAL hMem) {
  Blocks& b = blocks();
  std::lock_guard lock(b.mutex);
  Block* block = findBlock(b, hMem);
  if (!block) return FALSE;
  if (block->locks > 0) --block->locks;
  if (block->locks == 0) {
    SetLastError(NO_ERROR);
    return FALSE;
  }
  return TRUE;
}

HGLOBAL GlobalFree(HGLOBAL hMem) {
  if (!hMem) return nullptr;
  Blocks& b = blocks();
  std::lock_guard lock(b.mutex);
  if (!findBlock(b, hMem)) return hMem;
  b.live.erase(hMem);
  std::free(hMem);
  return nullptr;
}

std::size_t GlobalSize(HGLOBAL hMem) {
  Blocks& b = blocks();
  std::lock_guard lock(b.mutex);
  Block* block = findBlock(b, hMem);
  return block ? block->size : 0;
}

}  // namespace win
