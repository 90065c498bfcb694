#include "engine/text_helpers.h"

#include <cwchar>

namespace tarnwick {

bool IsBlank(wchar_t c) {
  return c == L' ' || c == L'\t';
}

bool IsNameStopAt(const std::wstring& text, size_t position) {
  if (position >= text.size()) {
    return true;
  }
  // wcschr would also match the terminating NUL, so rule it out first.
  const wchar_t c = text[position];
  return c != L'\0' && std::wcschr(NameStopChars, c) != nullptr;
}

size_t FindCommentMarker(const std::wstring& text) {
  const size_t p = FirstNonBlank(text);
  if (p == std::wstring::npos) {
    return std::wstring::npos;
  }
  if (text.compare(p, 3, CommentMarker) != 0) {
    return std::wstring::npos;
  }
  // Four or more apostrophes are an ordinary comment, not documentation.
  if (p + 3 < text.size() && text[p + 3] == L'\'') {
    return std::wstring::npos;
  }
  return p;
}

std::wstring TrimBlanks(const std::wstring& text) {
  const size_t first = text.find_first_not_of(BlankChars);
  if (first == std::wstring::npos) {
    return std::wstring();
  }
  const size_t last = text.find_last_not_of(BlankChars);
  return text.substr(first, last - first + 1);
}

std::wstring FirstWordFrom(const std::wstring& text, size_t start) {
  if (start >= text.size()) {
    return std::wstring();
  }
  const size_t w = text.find_first_not_of(BlankChars, start);
  if (w == std::wstring::npos) {
    return std::wstring();
  }
  const size_t end = text.find_first_of(WordEndChars, w);
  return text.substr(w, end == std::wstring::npos ? std::wstring::npos : end - w);
}

std::vector<std::wstring> SplitAny(const std::wstring& text, const std::wstring& delimiters) {
  std::vector<std::wstring> pieces;
  size_t from = 0;
  while (!delimiters.empty()) {
    const size_t q = text.find_first_of(delimiters, from);
    if (q == std::wstring::npos) {
      break;
    }
    if (q > from) {
      pieces.push_back(text.substr(from, q - from));
    }
    from = q + 1;
  }
  pieces.push_back(text.substr(from));
  return pieces;
}

}  // namespace tarnwick
