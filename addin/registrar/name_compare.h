// Case-insensitive comparison of registry names, keywords and replacement names.
// Only ASCII letters are folded: every name the registrar must recognise is ASCII,
// and other characters compare as they stand.
#pragma once

#include <string_view>

namespace tarnwick {

constexpr wchar_t FoldAscii(wchar_t c) {
  return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

constexpr bool EqualsIgnoreCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i]))
      return false;
  }
  return true;
}

// Negative, zero or positive like std::wstring::compare, after folding.
constexpr int CompareIgnoreCase(std::wstring_view a, std::wstring_view b) {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const wchar_t x = FoldAscii(a[i]);
    const wchar_t y = FoldAscii(b[i]);
    if (x != y)
      return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace tarnwick
