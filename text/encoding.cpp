#include "text/encoding.h"

#include <array>
#include <cstdint>

#include "text/ascii.h"
#include "text/cp932.h"
#include "text/utf.h"

namespace tarnwick {

namespace {

// windows-1252 at 0x80..0x9F; 0 marks the five bytes it leaves undefined.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::string Hex(uint32_t value, int digits) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text(digits, '0');
  for (int i = digits - 1; i >= 0; --i, value >>= 4) {
    text[i] = kDigits[value & 0xF];
  }
  return text;
}

std::wstring DecodeWindows1252(std::string_view bytes) {
  std::wstring text(bytes.size(), L'\0');
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    wchar_t c = byte;
    if (byte >= 0x80 && byte < 0xA0) {
      c = kWindows1252High[byte - 0x80];
      if (c == 0) {
        throw EncodingError("byte 0x" + Hex(byte, 2) + " at column " + std::to_string(i + 1) +
                            " is no character in windows-1252");
      }
    }
    text[i] = c;
  }
  return text;
}

std::string EncodeWindows1252(std::wstring_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      bytes.push_back(static_cast<char>(c));
      continue;
    }
    size_t high = 0;
    while (high < kWindows1252High.size() &&
           (kWindows1252High[high] == 0 || kWindows1252High[high] != c)) {
      ++high;
    }
    if (high == kWindows1252High.size()) {
      throw EncodingError("U+" + Hex(static_cast<uint16_t>(c), 4) + " at column " +
                          std::to_string(i + 1) + " has no byte in windows-1252");
    }
    bytes.push_back(static_cast<char>(0x80 + high));
  }
  return bytes;
}

std::wstring DecodeUtf16(std::string_view bytes, bool bigEndian) {
  if (bytes.size() % 2 != 0) {
    throw EncodingError("an odd byte at column " + std::to_string(bytes.size()) +
                        " ends the UTF-16 text");
  }
  std::wstring text(bytes.size() / 2, L'\0');
  for (size_t i = 0; i < text.size(); ++i) {
    const auto first = static_cast<unsigned char>(bytes[2 * i]);
    const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
    text[i] = static_cast<wchar_t>(bigEndian ? (first << 8 | second) : (second << 8 | first));
  }
  return text;
}

std::string EncodeUtf16(std::wstring_view text, bool bigEndian) {
  std::string bytes;
  bytes.reserve(2 * text.size());
  for (const wchar_t c : text) {
    const auto unit = static_cast<uint16_t>(c);
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    bytes.push_back(bigEndian ? high : low);
    bytes.push_back(bigEndian ? low : high);
  }
  return bytes;
}

}  // namespace

std::optional<Encoding> EncodingNamed(std::string_view name) {
  if (EqualsIgnoringAsciiCase(name, "utf-8") || EqualsIgnoringAsciiCase(name, "utf8")) {
    return Encoding::kUtf8;
  }
  if (EqualsIgnoringAsciiCase(name, "windows-1252") || EqualsIgnoringAsciiCase(name, "cp1252")) {
    return Encoding::kWindows1252;
  }
  if (EqualsIgnoringAsciiCase(name, "cp932") || EqualsIgnoringAsciiCase(name, "shift_jis") ||
      EqualsIgnoringAsciiCase(name, "windows-31j")) {
    return Encoding::kCp932;
  }
  return std::nullopt;
}

const char* EncodingName(Encoding encoding) {
  switch (encoding) {
    case Encoding::kUtf8:
      return "utf-8";
    case Encoding::kUtf16Le:
      return "utf-16le";
    case Encoding::kUtf16Be:
      return "utf-16be";
    case Encoding::kWindows1252:
      return "windows-1252";
    case Encoding::kCp932:
      return "cp932";
  }
  return "?";
}

std::wstring Decode(std::string_view bytes, Encoding encoding) {
  switch (encoding) {
    case Encoding::kUtf8:
      try {
        return Utf8ToWide(bytes);
      } catch (const Utf8Error& error) {
        throw EncodingError(error.what());
      }
    case Encoding::kUtf16Le:
    case Encoding::kUtf16Be:
      return DecodeUtf16(bytes, encoding == Encoding::kUtf16Be);
    case Encoding::kWindows1252:
      return DecodeWindows1252(bytes);
    case Encoding::kCp932:
      return DecodeCp932(bytes);
  }
  return std::wstring();
}

std::string Encode(std::wstring_view text, Encoding encoding) {
  switch (encoding) {
    case Encoding::kUtf8:
      return WideToUtf8(text);
    case Encoding::kUtf16Le:
    case Encoding::kUtf16Be:
      return EncodeUtf16(text, encoding == Encoding::kUtf16Be);
    case Encoding::kWindows1252:
      return EncodeWindows1252(text);
    case Encoding::kCp932:
      return EncodeCp932(text);
  }
  return std::string();
}

}  // namespace tarnwick
