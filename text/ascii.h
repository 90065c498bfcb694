// Case folding of the ASCII letters only. VBA's keywords and names, registry
// names and the names of encodings are all compared so: every name that must
// be recognised is ASCII, and other characters compare as they stand.
#pragma once

#include <string>
#include <string_view>

namespace tarnwick {

template <class Char>
constexpr Char AsciiUpper(Char c) {
  return (c >= Char('a') && c <= Char('z')) ? static_cast<Char>(c - Char('a') + Char('A')) : c;
}

template <class Char>
constexpr Char AsciiLower(Char c) {
  return (c >= Char('A') && c <= Char('Z')) ? static_cast<Char>(c - Char('A') + Char('a')) : c;
}

// The whole text with its ASCII letters folded; every other character, and
// every byte of a multi-byte UTF-8 sequence, stays as it stands.
template <class Char>
std::basic_string<Char> ToAsciiLowerOf(std::basic_string_view<Char> text) {
  std::basic_string<Char> folded(text);
  for (Char& c : folded) {
    c = AsciiLower(c);
  }
  return folded;
}
template <class Char>
std::basic_string<Char> ToAsciiUpperOf(std::basic_string_view<Char> text) {
  std::basic_string<Char> folded(text);
  for (Char& c : folded) {
    c = AsciiUpper(c);
  }
  return folded;
}

inline std::string ToAsciiLower(std::string_view text) {
  return ToAsciiLowerOf(text);
}
inline std::wstring ToAsciiLower(std::wstring_view text) {
  return ToAsciiLowerOf(text);
}
inline std::string ToAsciiUpper(std::string_view text) {
  return ToAsciiUpperOf(text);
}
inline std::wstring ToAsciiUpper(std::wstring_view text) {
  return ToAsciiUpperOf(text);
}

template <class Char>
constexpr bool EqualsIgnoringAsciiCaseOf(std::basic_string_view<Char> a,
                                         std::basic_string_view<Char> b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) {
      return false;
    }
  }
  return true;
}

constexpr bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
  return EqualsIgnoringAsciiCaseOf(a, b);
}
constexpr bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return EqualsIgnoringAsciiCaseOf(a, b);
}

constexpr bool EndsWithIgnoringAsciiCase(std::string_view text, std::string_view ending) {
  return text.size() >= ending.size() &&
         EqualsIgnoringAsciiCase(text.substr(text.size() - ending.size()), ending);
}

// Negative, zero or positive like std::wstring::compare, after folding to
// upper case (the order the registry keeps its names in).
constexpr int CompareIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const wchar_t x = AsciiUpper(a[i]);
    const wchar_t y = AsciiUpper(b[i]);
    if (x != y) {
      return x < y ? -1 : 1;
    }
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace tarnwick
