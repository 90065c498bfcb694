#include "text/cp932.h"

#include <optional>

#include "text/encoding.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace tarnwick {

namespace {

bool IsLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool IsTrailByte(unsigned char byte) {
  return byte >= 0x40 && byte <= 0xFC && byte != 0x7F;
}

// Length of the character at `at`: 1 or 2 bytes, or 0 for a byte that starts none.
size_t CharacterLength(std::string_view bytes, size_t at) {
  const auto byte = static_cast<unsigned char>(bytes[at]);
  if (byte < 0x80 || (byte >= 0xA1 && byte <= 0xDF)) {
    return 1;
  }
  if (IsLeadByte(byte) && at + 1 < bytes.size() &&
      IsTrailByte(static_cast<unsigned char>(bytes[at + 1]))) {
    return 2;
  }
  return 0;
}

#ifdef _WIN32

constexpr UINT kCodePage = 932;

std::optional<std::wstring> SystemDecode(std::string_view bytes) {
  if (bytes.empty()) {
    return std::wstring();
  }
  const int size = static_cast<int>(bytes.size());
  const int units =
      MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
  if (units <= 0) {
    return std::nullopt;
  }
  std::wstring text(units, L'\0');
  MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes.data(), size, text.data(), units);
  return text;
}

std::optional<std::string> SystemEncode(std::wstring_view text) {
  if (text.empty()) {
    return std::string();
  }
  const int units = static_cast<int>(text.size());
  BOOL usedDefault = FALSE;
  const int size = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, text.data(), units, nullptr,
                                       0, nullptr, &usedDefault);
  if (size <= 0 || usedDefault) {
    return std::nullopt;
  }
  std::string bytes(size, '\0');
  WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, text.data(), units, bytes.data(), size,
                      nullptr, nullptr);
  return bytes;
}

#else

// One conversion descriptor per direction for the process; cp932 keeps no
// shift state, and each call starts from the initial state.
iconv_t Converter(const char* to, const char* from) {
  const iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) {
    throw EncodingError(std::string("the system cannot convert from ") + from + " to " + to);
  }
  return converter;
}

bool Convert(iconv_t converter, const char* in, size_t inSize, std::string& out) {
  iconv(converter, nullptr, nullptr, nullptr, nullptr);
  out.assign(2 * inSize + 4, '\0');
  char* input = const_cast<char*>(in);
  char* output = out.data();
  size_t outLeft = out.size();
  if (iconv(converter, &input, &inSize, &output, &outLeft) == static_cast<size_t>(-1)) {
    return false;
  }
  out.resize(out.size() - outLeft);
  return true;
}

std::optional<std::wstring> SystemDecode(std::string_view bytes) {
  static const iconv_t converter = Converter("UTF-16LE", "CP932");
  std::string utf16;
  if (!Convert(converter, bytes.data(), bytes.size(), utf16)) {
    return std::nullopt;
  }
  std::wstring text(utf16.size() / 2, L'\0');
  for (size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<wchar_t>(static_cast<unsigned char>(utf16[2 * i]) |
                                   static_cast<unsigned char>(utf16[2 * i + 1]) << 8);
  }
  return text;
}

std::optional<std::string> SystemEncode(std::wstring_view text) {
  static const iconv_t converter = Converter("CP932", "UTF-16LE");
  std::string utf16;
  utf16.reserve(2 * text.size());
  for (const wchar_t c : text) {
    utf16.push_back(static_cast<char>(c & 0xFF));
    utf16.push_back(static_cast<char>((c >> 8) & 0xFF));
  }
  std::string bytes;
  if (!Convert(converter, utf16.data(), utf16.size(), bytes)) {
    return std::nullopt;
  }
  return bytes;
}

#endif

[[noreturn]] void FailToDecode(size_t at) {
  throw EncodingError("byte at column " + std::to_string(at + 1) + " is no character in cp932");
}

}  // namespace

std::wstring DecodeCp932(std::string_view bytes) {
  for (size_t at = 0; at < bytes.size();) {
    const size_t length = CharacterLength(bytes, at);
    if (length == 0) {
      FailToDecode(at);
    }
    at += length;
  }
  if (std::optional<std::wstring> text = SystemDecode(bytes)) {
    return *text;
  }
  // A code the table leaves empty: find it, one character at a time.
  for (size_t at = 0; at < bytes.size();) {
    const size_t length = CharacterLength(bytes, at);
    if (!SystemDecode(bytes.substr(at, length))) {
      FailToDecode(at);
    }
    at += length;
  }
  FailToDecode(0);
}

std::string EncodeCp932(std::wstring_view text) {
  if (std::optional<std::string> bytes = SystemEncode(text)) {
    return *bytes;
  }
  for (size_t at = 0; at < text.size(); ++at) {
    if (!SystemEncode(text.substr(at, 1))) {
      throw EncodingError("the character at column " + std::to_string(at + 1) +
                          " has no bytes in cp932");
    }
  }
  throw EncodingError("the text has no bytes in cp932");
}

}  // namespace tarnwick
