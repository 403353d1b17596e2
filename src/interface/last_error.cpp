#include "interface/last_error.hpp"

namespace creditsim {
namespace {
thread_local std::string lastError;
}

void SetLastError(const std::string& message) {
  try {
    lastError = message;
  } catch (...) {
    lastError.clear();  // no memory for the message: at least leave it empty
  }
}
void ClearLastError() { lastError.clear(); }
const char* LastError() { return lastError.c_str(); }

}  // namespace creditsim
