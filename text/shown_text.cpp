#include "text/shown_text.h"

#include <cstdint>

#include "text/utf.h"

namespace tarnwick {

namespace {

bool IsHidden(uint32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F ||
         (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

// The length of the valid UTF-8 sequence at `at` and its code point, or 0.
size_t Sequence(std::string_view bytes, size_t at, uint32_t& c) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(bytes[i]); };
  const uint8_t lead = byte(at);
  size_t length = 0;
  uint32_t min = 0;
  if (lead < 0x80) {
    c = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    c = lead & 0x1F;
    min = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    c = lead & 0x0F;
    min = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    c = lead & 0x07;
    min = 0x10000;
  } else {
    return 0;
  }
  if (bytes.size() - at < length) {
    return 0;
  }
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) {
      return 0;
    }
    c = (c << 6) | (byte(at + i) & 0x3F);
  }
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    return 0;
  }
  return length;
}

}  // namespace

std::string ShownText(std::string_view utf8OrBytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string shown;
  shown.reserve(utf8OrBytes.size());
  size_t at = 0;
  while (at < utf8OrBytes.size()) {
    uint32_t c = 0;
    const size_t length = Sequence(utf8OrBytes, at, c);
    if (length == 0) {
      const auto byte = static_cast<uint8_t>(utf8OrBytes[at]);
      shown += "\\x";
      shown += kHex[byte >> 4];
      shown += kHex[byte & 0x0F];
      ++at;
    } else {
      if (IsHidden(c)) {
        shown += '?';
      } else {
        shown.append(utf8OrBytes, at, length);
      }
      at += length;
    }
  }
  return shown;
}

std::string ShownText(std::wstring_view text) {
  return ShownText(std::string_view(WideToUtf8(text)));
}

}  // namespace tarnwick
