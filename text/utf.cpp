#include "text/utf.h"

#include <cstdint>

namespace tarnwick {
namespace {

[[noreturn]] void Fail(size_t offset, const char* what) {
  throw Utf8Error("invalid UTF-8 at byte " + std::to_string(offset) + ": " + what);
}

void AppendUtf16(std::wstring& out, uint32_t codePoint) {
  if (codePoint < 0x10000) {
    out.push_back(static_cast<wchar_t>(codePoint));
    return;
  }
  codePoint -= 0x10000;
  out.push_back(static_cast<wchar_t>(0xD800 + (codePoint >> 10)));
  out.push_back(static_cast<wchar_t>(0xDC00 + (codePoint & 0x3FF)));
}

void AppendUtf8(std::string& out, uint32_t codePoint) {
  if (codePoint < 0x80) {
    out.push_back(static_cast<char>(codePoint));
  } else if (codePoint < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
    out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  } else if (codePoint < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
    out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
    out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  }
}

}  // namespace

std::wstring Utf8ToWide(std::string_view text) {
  std::wstring out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      // A run of ASCII, widened at once.
      size_t end = i + 1;
      while (end < text.size() && static_cast<unsigned char>(text[end]) < 0x80) {
        ++end;
      }
      const size_t at = out.size();
      out.resize(at + end - i);
      for (size_t k = i; k < end; ++k) {
        out[at + k - i] = static_cast<wchar_t>(text[k]);
      }
      i = end;
      continue;
    }
    int extra = 0;
    uint32_t codePoint = 0;
    uint32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
      extra = 1, codePoint = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2, codePoint = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3, codePoint = lead & 0x07, minimum = 0x10000;
    } else {
      Fail(i, "unexpected byte");
    }
    if (i + extra >= text.size()) {
      Fail(i, "truncated sequence");
    }
    for (int k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) {
        Fail(i, "truncated sequence");
      }
      codePoint = (codePoint << 6) | (next & 0x3F);
    }
    if (codePoint < minimum) {
      Fail(i, "overlong encoding");
    }
    if (codePoint > 0x10FFFF) {
      Fail(i, "code point above U+10FFFF");
    }
    if (codePoint >= 0xD800 && codePoint <= 0xDFFF) {
      Fail(i, "encoded surrogate");
    }
    AppendUtf16(out, codePoint);
    i += extra + 1;
  }
  return out;
}

std::string WideToUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const uint32_t unit = static_cast<uint16_t>(text[i]);
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size()) {
      const uint32_t low = static_cast<uint16_t>(text[i + 1]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        ++i;
        continue;
      }
    }
    AppendUtf8(out, (unit >= 0xD800 && unit <= 0xDFFF) ? 0xFFFD : unit);
  }
  return out;
}

}  // namespace tarnwick
