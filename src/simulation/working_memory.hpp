// The fast engine's working memory: one block per run, carved into buffers.
//
// Freshly allocated memory is slow to touch the first time, so a run
// allocates everything it needs once, up front, and reuses it for every
// scenario. The layout is described by one function that is run twice: first
// against a counting arena (no memory, it only adds up sizes), then against
// the real block, so the two can never disagree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

namespace creditsim {

// The size of the huge pages the kernel is offered (x86-64 and arm64).
inline constexpr std::size_t kHugePage = std::size_t{2} << 20;

// Offers the whole huge pages within [start, start + bytes) to the kernel
// (only advice; call it before the memory is first touched).
void AdviseHugePages(void* start, std::size_t bytes);

// Frees a block with the alignment it was allocated with.
struct AlignedDelete {
  std::align_val_t alignment{64};
  void operator()(std::byte* p) const { ::operator delete(p, alignment); }
};

class WorkingMemory {
 public:
  static constexpr std::size_t kAlignment = 64;  // a cache line, and a full AVX-512 vector

  // A counting arena: Take returns nullptr and only the size grows.
  WorkingMemory() = default;

  // An arena over a fresh block of `bytes`.
  explicit WorkingMemory(std::size_t bytes)
      : block_(AllocateBlock(bytes), AlignedDelete{BlockAlignment(bytes)}), capacity_(bytes) {}

  template <class T>
  T* Take(std::size_t count) {
    used_ = (used_ + kAlignment - 1) / kAlignment * kAlignment;
    T* result = block_ ? reinterpret_cast<T*>(block_.get() + used_) : nullptr;
    used_ += count * sizeof(T);
    return result;
  }

  std::size_t Used() const { return used_; }
  std::size_t Capacity() const { return capacity_; }

 private:
  // Blocks of a few megabytes and more (the tails of large portfolios) are
  // aligned to huge pages and offered to the kernel as such: touching them
  // the first time then takes one fault per 2 MiB instead of one per 4 KiB,
  // which otherwise is a large share of a short run.
  static constexpr std::align_val_t BlockAlignment(std::size_t bytes) {
    return std::align_val_t{bytes >= 2 * kHugePage ? kHugePage : kAlignment};
  }
  static std::byte* AllocateBlock(std::size_t bytes);

  std::unique_ptr<std::byte, AlignedDelete> block_;
  std::size_t capacity_ = 0;
  std::size_t used_ = 0;
};

}  // namespace creditsim
