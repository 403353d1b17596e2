// Builds an error message from pieces, the way a stream would.
#pragma once

#include <sstream>
#include <string>

namespace creditsim {

template <class... Parts>
std::string Message(const Parts&... parts) {
  std::ostringstream out;
  (out << ... << parts);
  return out.str();
}

}  // namespace creditsim
