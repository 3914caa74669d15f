#include <sys/mman.h>

#include <cstdint>

#include "platform/system/memory.h"

namespace brackwater {

void AdviseLargePages(void* data, std::size_t size) {
  constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;
  const auto start = reinterpret_cast<std::uintptr_t>(data);
  // Only whole large pages inside the buffer: the advice covers every page it touches.
  const std::uintptr_t first = (start + kLargePage - 1) & ~(kLargePage - 1);
  const std::uintptr_t last = (start + size) & ~(kLargePage - 1);
  if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

}  // namespace brackwater
