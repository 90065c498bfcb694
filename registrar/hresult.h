// Portable HRESULT codes for the registrar. The names carry a k prefix so that they
// never meet the macros of <windows.h> when a Windows source includes both.
#pragma once

#include <cstdint>

namespace tarnwick {

using HResult = std::int32_t;

inline constexpr HResult kS_OK = 0;
inline constexpr HResult kE_NOTIMPL = static_cast<HResult>(0x80004001u);
inline constexpr HResult kE_FAIL = static_cast<HResult>(0x80004005u);
inline constexpr HResult kE_OUTOFMEMORY = static_cast<HResult>(0x8007000Eu);
inline constexpr HResult kE_INVALIDARG = static_cast<HResult>(0x80070057u);
inline constexpr HResult kDISP_E_TYPEMISMATCH = static_cast<HResult>(0x80020005u);
inline constexpr HResult kDISP_E_EXCEPTION = static_cast<HResult>(0x80020009u);
inline constexpr HResult kDISP_E_OVERFLOW = static_cast<HResult>(0x8002000Au);

// Win32 error codes that the registry ports report.
inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorInsufficientBuffer = 122;
inline constexpr std::uint32_t kErrorKeyDeleted = 1018;

constexpr HResult HResultFromWin32(std::uint32_t error) {
  return error == 0 ? kS_OK : static_cast<HResult>((error & 0xFFFFu) | 0x80070000u);
}

inline constexpr HResult kNotFound = HResultFromWin32(kErrorFileNotFound);

constexpr bool Succeeded(HResult hr) {
  return hr >= 0;
}
constexpr bool Failed(HResult hr) {
  return hr < 0;
}

}  // namespace tarnwick
