// Allocation of the working-memory block, with huge pages where the kernel
// hands them out on request.
#include "simulation/working_memory.hpp"

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace creditsim {

std::byte* WorkingMemory::AllocateBlock(std::size_t bytes) {
  const std::size_t size = bytes == 0 ? 1 : bytes;
  auto* block = static_cast<std::byte*>(::operator new(size, BlockAlignment(bytes)));
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  // Only advice: where huge pages are off, the block simply keeps small ones.
  if (BlockAlignment(bytes) == std::align_val_t{kHugePage}) madvise(block, size, MADV_HUGEPAGE);
#endif
  return block;
}

}  // namespace creditsim
