// An exception that carries a failed HRESULT, for failures on the message path
// that are not a failed editor call (those throw std::bad_exception): for
// example a string for the editor that cannot be allocated (E_OUTOFMEMORY).
#pragma once

#include <windows.h>

#include <exception>

namespace tarnwick {

class HResultError : public std::exception {
 public:
  explicit HResultError(HRESULT code) noexcept : code(code) {}
  HRESULT Code() const noexcept { return code; }
  const char* what() const noexcept override { return "HRESULT failure"; }

 private:
  HRESULT code;
};

}  // namespace tarnwick
