// Template part of last_error.hpp.
#pragma once

#include <new>

#include "creditsim/creditsim.hpp"

namespace creditsim {

template <class Body>
int GuardedCall(Body&& body) noexcept {
  try {
    ClearLastError();
    return body();
  } catch (const Error& e) {
    SetLastError(e.what());
    return e.status();
  } catch (const std::bad_alloc&) {
    SetLastError("out of memory");
    return CREDITSIM_ERROR_INTERNAL;
  } catch (const std::exception& e) {
    SetLastError(std::string("internal error: ") + e.what());
    return CREDITSIM_ERROR_INTERNAL;
  } catch (...) {
    SetLastError("internal error");
    return CREDITSIM_ERROR_INTERNAL;
  }
}

}  // namespace creditsim
