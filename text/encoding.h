// The encodings of module files, decoded to and encoded from the UTF-16 text
// the engine works in. Both platforms give the same results: windows-1252 is
// decoded here, cp932 by the system (glibc's iconv, or MultiByteToWideChar),
// after the byte structure both share has been checked here.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tarnwick {

enum class Encoding { kUtf8, kUtf16Le, kUtf16Be, kWindows1252, kCp932 };

// Thrown for bytes the encoding has no character for, or a character it
// cannot write. The message names the column (1-based, in bytes or units).
class EncodingError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The encoding a name stands for, ASCII case ignored: "utf-8", "windows-1252"
// or "cp1252", "cp932" or "shift_jis" or "windows-31j"; nullopt for others.
std::optional<Encoding> EncodingNamed(std::string_view name);
const char* EncodingName(Encoding encoding);

// One line's bytes, without its line end.
std::wstring Decode(std::string_view bytes, Encoding encoding);
std::string Encode(std::wstring_view text, Encoding encoding);

}  // namespace tarnwick
