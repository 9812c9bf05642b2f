#include "platform/hugepages.h"

#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

namespace kestrin {

void AdviseHugePages(void* block, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
  const long pageSize = sysconf(_SC_PAGESIZE);
  if (!block || pageSize <= 0) return;
  const std::uintptr_t page = static_cast<std::uintptr_t>(pageSize);
  const std::uintptr_t start = (reinterpret_cast<std::uintptr_t>(block) + page - 1) & ~(page - 1);
  const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(block) + bytes) & ~(page - 1);
  if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
#else
  (void)block;
  (void)bytes;
#endif
}

} // namespace kestrin
