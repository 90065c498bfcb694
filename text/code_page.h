// Text in a Windows code page, as VBA projects store their names and module
// source, decoded to the UTF-16 text the engine works in (and encoded back, for
// module files written in the project's code page). windows-1252 and
// cp932 go through the decoders of module files (encoding.h), so both readers
// give the same text for the same bytes; UTF-8 and UTF-16LE are decoded here;
// every other code page by the platform: MultiByteToWideChar on Windows,
// glibc's iconv elsewhere.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarnwick {

// How messages name a code page: "windows-1252", "cp932", "code page 1251".
std::string CodePageName(uint32_t codePage);

// Throws EncodingError for bytes that are no character in the code page
// (naming the 1-based byte column where the platform tells it), and for a code
// page the platform cannot convert.
std::wstring DecodeCodePage(std::string_view bytes, uint32_t codePage);

// The reverse: throws EncodingError for a character the code page has no bytes
// for (no best-fit stand-ins), and for a code page the platform cannot convert.
std::string EncodeCodePage(std::wstring_view text, uint32_t codePage);

}  // namespace tarnwick
