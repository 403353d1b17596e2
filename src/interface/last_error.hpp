// The per-thread message behind creditsim_last_error(), and the guard that
// keeps every C entry point from letting an exception escape.
#pragma once

#include <string>

namespace creditsim {

void SetLastError(const std::string& message);
void ClearLastError();
const char* LastError();

// Runs `body` (which returns a status), turning any exception into a status
// code and a last-error message.
template <class Body>
int GuardedCall(Body&& body) noexcept;

}  // namespace creditsim

#include "interface/last_error_inl.hpp"
