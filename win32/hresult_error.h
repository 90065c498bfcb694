// An exception that carries a failed HRESULT, for failures on the message path
// that are not a failed editor call (those throw std::bad_exception): for
// example a string for the editor that cannot be allocated (E_OUTOFMEMORY).
// And the one catch-all of every boundary that the system or COM calls (the
// exports, COM methods): whatever was thrown becomes an HRESULT there.
#pragma once

#include <windows.h>

#include <exception>
#include <new>
#include <type_traits>

namespace tarnwick {

class HResultError : public std::exception {
 public:
  explicit HResultError(HRESULT code) noexcept : code(code) {}
  HRESULT Code() const noexcept { return code; }
  const char* what() const noexcept override { return "HRESULT failure"; }

 private:
  HRESULT code;
};

// What a boundary answers for the exception being handled: an HResultError's
// code, E_OUTOFMEMORY for an allocation failure, E_FAIL for anything else.
// Call it inside a catch block only.
inline HRESULT CaughtHResult() noexcept {
  try {
    throw;
  } catch (const HResultError& error) {
    return error.Code();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

// Runs `work` at a boundary: its HRESULT (S_OK when it returns nothing), or
// CaughtHResult() for what it threw. Nothing gets out.
template <class Work>
[[nodiscard]] HRESULT Guarded(Work&& work) noexcept {
  try {
    if constexpr (std::is_void_v<std::invoke_result_t<Work&>>) {
      work();
      return S_OK;
    } else {
      return work();
    }
  } catch (...) {
    return CaughtHResult();
  }
}

}  // namespace tarnwick
