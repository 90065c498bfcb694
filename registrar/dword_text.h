// Reads the text of a `d` (REG_DWORD) script value the way OLE Automation's
// unsigned-32-bit conversion reads plain decimal text.
#pragma once

#include <cstdint>
#include <string>

#include "registrar/hresult.h"

namespace tarnwick {

// Accepts optional spaces and tabs around the number, an optional "+" or "-" sign
// and decimal digits, leading zeros included ("00000003" is 3). Nothing else is
// accepted (no fractions, separators or hexadecimal): kDISP_E_TYPEMISMATCH. A value
// above 4294967295, or below zero ("-0" is 0), gives kDISP_E_OVERFLOW.
// *value is set on success only.
[[nodiscard]] HResult ParseDwordText(const std::wstring& text, std::uint32_t* value);

}  // namespace tarnwick
