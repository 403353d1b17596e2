// Allocation of the working-memory block, with huge pages where the kernel
// hands them out on request.
#include "simulation/working_memory.hpp"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace creditsim {

void AdviseHugePages(void* start, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  // Only advice: where huge pages are off, the memory simply keeps small ones.
  constexpr std::uintptr_t page = kHugePage;
  const auto begin = reinterpret_cast<std::uintptr_t>(start);
  const std::uintptr_t first = (begin + page - 1) / page * page;
  const std::uintptr_t last = (begin + bytes) / page * page;
  if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
  (void)start;
  (void)bytes;
#endif
}

std::byte* WorkingMemory::AllocateBlock(std::size_t bytes) {
  const std::size_t size = bytes == 0 ? 1 : bytes;
  auto* block = static_cast<std::byte*>(::operator new(size, BlockAlignment(bytes)));
  if (BlockAlignment(bytes) == std::align_val_t{kHugePage}) AdviseHugePages(block, size);
  return block;
}

}  // namespace creditsim
