// The failure of the message path: a failed editor call, a failed range check
// or an invalid window. Callers catch it as std::bad_exception.
#pragma once

#include <exception>

namespace tarnwick {

class BadException : public std::bad_exception {
 public:
  const char* what() const noexcept override { return "bad exception"; }
};

}  // namespace tarnwick
