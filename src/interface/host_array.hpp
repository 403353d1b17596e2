// Reading the host's array descriptors: the count of dimension 1 and a typed
// view of the element block, with every check a descriptor needs before the
// library may address it.
#pragma once

#include <cstdint>
#include <span>

#include "creditsim/creditsim.h"

namespace creditsim {

template <class T>
struct ElementTypeOf;
template <>
struct ElementTypeOf<double> {
  static constexpr int value = CREDITSIM_DOUBLE;
};
template <>
struct ElementTypeOf<std::int16_t> {
  static constexpr int value = CREDITSIM_INT16;
};

// The descriptor behind a reference, after checking that it exists and has a
// sound shape (1 or 2 dimensions, no negative extent, data for its elements).
const HostArray& ResolveHostArray(HostArray** reference, const char* name);

// Number of elements in the block: the product of the extents.
std::int64_t ElementCount(const HostArray& array);

// Count taken from dimension 1: its extent.
inline std::int32_t CountOf(const HostArray& array) { return array.extent[0]; }

// The whole element block as a typed span, after checking the element type.
template <class T>
std::span<T> ElementsOf(HostArray** reference, const char* name);

}  // namespace creditsim
