// Page-sized committed memory blocks, the backing store of the block queues.
#pragma once

#include <cstddef>

// The platform's page size in bytes.
size_t PageSize();

// Commits `bytes` (rounded up to whole pages) of zero-filled read-write memory.
// Returns null on failure. Release with PageFree and the same byte count.
void* PageAlloc(size_t bytes);
void PageFree(void* block, size_t bytes);
