// Descriptor checks. A refused descriptor raises creditsim::Error naming the
// parameter, before the call has written anything.
#include "interface/host_array.hpp"

#include <string>

#include "creditsim/creditsim.hpp"
#include "interface/messages.hpp"

namespace creditsim {

const HostArray& ResolveHostArray(HostArray** reference, const char* name) {
  if (reference == nullptr || *reference == nullptr) {
    throw Error(CREDITSIM_ERROR_NULL_ARRAY, std::string(name) + ": no array given");
  }
  const HostArray& array = **reference;
  if (array.dimensionCount != 1 && array.dimensionCount != 2) {
    throw Error(CREDITSIM_ERROR_ARRAY_TYPE,
                Message(name, ": has ", array.dimensionCount, " dimensions, needs 1 or 2"));
  }
  for (int d = 0; d < array.dimensionCount; ++d) {
    if (array.extent[d] < 0) {
      throw Error(CREDITSIM_ERROR_ARRAY_TYPE,
                  Message(name, ": extent of dimension ", d + 1, " is negative (", array.extent[d], ")"));
    }
  }
  if (array.data == nullptr && ElementCount(array) > 0) {
    throw Error(CREDITSIM_ERROR_NULL_ARRAY, Message(name, ": holds ", ElementCount(array), " elements but no data"));
  }
  return array;
}

std::int64_t ElementCount(const HostArray& array) {
  std::int64_t count = array.extent[0];
  if (array.dimensionCount == 2) count *= array.extent[1];
  return count;
}

namespace {
const char* ElementTypeName(int type) {
  switch (type) {
    case CREDITSIM_DOUBLE: return "doubles";
    case CREDITSIM_INT16: return "16-bit integers";
    default: return "elements of an unknown type";
  }
}
}  // namespace

template <class T>
std::span<T> ElementsOf(HostArray** reference, const char* name) {
  const HostArray& array = ResolveHostArray(reference, name);
  constexpr int wanted = ElementTypeOf<std::remove_const_t<T>>::value;
  if (array.elementType != wanted) {
    throw Error(CREDITSIM_ERROR_ARRAY_TYPE,
                Message(name, ": holds ", ElementTypeName(array.elementType), ", needs ", ElementTypeName(wanted)));
  }
  return {static_cast<T*>(array.data), static_cast<std::size_t>(ElementCount(array))};
}

template std::span<double> ElementsOf<double>(HostArray**, const char*);
template std::span<const double> ElementsOf<const double>(HostArray**, const char*);
template std::span<std::int16_t> ElementsOf<std::int16_t>(HostArray**, const char*);
template std::span<const std::int16_t> ElementsOf<const std::int16_t>(HostArray**, const char*);

}  // namespace creditsim
