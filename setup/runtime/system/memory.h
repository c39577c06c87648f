// Movable global memory blocks, locked for as long as they are in use.
#pragma once

#include <cstddef>

#include "win/types.h"

namespace merl {

// Allocates size bytes (GMEM_MOVEABLE) and locks them; the block's address, its handle in
// *handle. Null (and a null handle) when there is no memory.
void* AllocMemory(std::size_t size, win::HGLOBAL* handle);

// Unlocks and frees a block of AllocMemory; a null handle is ignored.
void FreeMemory(win::HGLOBAL handle);

}  // namespace merl
