// Conversions between UTF-8 and the UTF-16 text the editor works in. A
// std::wstring here holds one UTF-16 code unit per wchar_t on every platform
// (a character outside the BMP takes two units), so columns count code units
// exactly as the editor counts them.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace tarnwick {

// Thrown for malformed UTF-8; the message names the offending byte offset.
class Utf8Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Decodes UTF-8. Throws Utf8Error for overlong forms, surrogates, truncated or
// stray continuation bytes and code points above U+10FFFF.
std::wstring Utf8ToWide(std::string_view text);

// Encodes UTF-16 units as UTF-8. A lone surrogate unit is written as U+FFFD.
std::string WideToUtf8(std::wstring_view text);

}  // namespace tarnwick
