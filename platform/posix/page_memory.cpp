// Page blocks on POSIX: anonymous private mappings.
#include "page_memory.h"

#include <sys/mman.h>
#include <unistd.h>

size_t PageSize() { return static_cast<size_t>(sysconf(_SC_PAGESIZE)); }

static size_t RoundToPages(size_t bytes) {
  size_t page = PageSize();
  return (bytes + page - 1) / page * page;
}

void* PageAlloc(size_t bytes) {
  if (bytes == 0) return nullptr;
  void* block = mmap(nullptr, RoundToPages(bytes), PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return block == MAP_FAILED ? nullptr : block;
}

void PageFree(void* block, size_t bytes) {
  if (block) munmap(block, RoundToPages(bytes));
}
