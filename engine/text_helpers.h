// Small pure routines on one line's UTF-16 text. Positions are 0-based; a routine
// that finds nothing returns std::wstring::npos.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// Space and tab: every blank test of the engine.
inline constexpr wchar_t BlankChars[] = L" \t";
// Where FirstWordFrom ends a word: space, tab, line feed.
inline constexpr wchar_t WordEndChars[] = L" \t\n";
// Characters that end a tag name: the space and ASCII punctuation except '_'.
inline constexpr wchar_t NameStopChars[] = L" !\"#$%&'()*+,-./:;<=>?@[\\]^`{|}~";
// The documentation comment marker.
inline constexpr wchar_t CommentMarker[] = L"'''";

bool IsBlank(wchar_t c);
// Position of the first character at or after `from` that is not a blank, or
// npos: find_first_not_of(BlankChars) without its search of the set per character.
inline size_t FirstNonBlank(std::wstring_view text, size_t from = 0) {
  while (from < text.size() && (text[from] == L' ' || text[from] == L'\t')) {
    ++from;
  }
  return from < text.size() ? from : std::wstring_view::npos;
}
// True for a member of NameStopChars, and for a position at or past the end of `text`.
bool IsNameStopAt(const std::wstring& text, size_t position);

// Position of the line's "'''" marker (after optional blanks, not followed by a
// fourth apostrophe), or npos.
size_t FindCommentMarker(const std::wstring& text);
std::wstring TrimBlanks(const std::wstring& text);
std::wstring FirstWordFrom(const std::wstring& text, size_t start);
// Splits at any character of `delimiters`; empty pieces are dropped except the last.
std::vector<std::wstring> SplitAny(const std::wstring& text, const std::wstring& delimiters);

}  // namespace tarnwick
