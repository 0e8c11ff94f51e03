// Page blocks on Win32: committed virtual memory.
#include "page_memory.h"

#include <windows.h>

size_t PageSize() {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwPageSize;
}

void* PageAlloc(size_t bytes) {
  if (bytes == 0) return nullptr;
  return VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

void PageFree(void* block, size_t /*bytes*/) {
  if (block) VirtualFree(block, 0, MEM_RELEASE);
}
