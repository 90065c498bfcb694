// cp932, the Japanese code page of Windows, converted by the system: glibc's
// iconv natively, MultiByteToWideChar and WideCharToMultiByte on Windows. The
// byte structure is checked here first, so that both reject the same bytes.
#pragma once

#include <string>
#include <string_view>

namespace tarnwick {

// Throw EncodingError naming the first column that cannot be converted.
std::wstring DecodeCp932(std::string_view bytes);
std::string EncodeCp932(std::wstring_view text);

}  // namespace tarnwick
