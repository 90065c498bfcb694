#include "lsp/text_document.h"

#include <algorithm>
#include <utility>

namespace tarnwick::lsp {
namespace {

enum LineEndKind : uint8_t { kNone, kLf, kCrLf, kCr };

constexpr std::wstring_view kEndTexts[] = {L"", L"\n", L"\r\n", L"\r"};

// Splits `text` into lines and their ends. With `keepLast`, the piece after
// the last line end is a line (possibly empty); without, it must be empty and
// is dropped.
void SplitLines(std::wstring_view text, bool keepLast, std::vector<std::wstring>& lines,
                std::vector<uint8_t>& ends) {
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c != L'\n' && c != L'\r') {
      continue;
    }
    lines.emplace_back(text.substr(start, i - start));
    if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') {
      ends.push_back(kCrLf);
      ++i;
    } else {
      ends.push_back(c == L'\r' ? kCr : kLf);
    }
    start = i + 1;
  }
  if (keepLast) {
    lines.emplace_back(text.substr(start));
    ends.push_back(kNone);
  }
}

}  // namespace

TextDocument::TextDocument(std::wstring_view text) {
  SetText(text);
}

void TextDocument::SetText(std::wstring_view text) {
  std::vector<std::wstring> lines;
  std::vector<uint8_t> newEnds;
  SplitLines(text, true, lines, newEnds);
  module = Module(std::move(lines));
  ends = std::move(newEnds);
}

const std::wstring& TextDocument::Line(int64_t line) const {
  static const std::wstring empty;
  if (line < 0 || line >= LineCount()) {
    return empty;
  }
  return module.Line(static_cast<int32_t>(line + 1));
}

std::wstring_view TextDocument::LineEnd(int64_t line) const {
  if (line < 0 || line >= LineCount()) {
    return {};
  }
  return kEndTexts[ends[static_cast<size_t>(line)]];
}

std::wstring_view TextDocument::PreferredLineEnd() const {
  return LineCount() > 1 ? LineEnd(0) : std::wstring_view(L"\n");
}

TextPosition TextDocument::Clamp(TextPosition position) const {
  const int64_t last = LineCount() - 1;
  if (position.line < 0) {
    return {0, 0};
  }
  if (position.line > last) {
    return {last, static_cast<int64_t>(Line(last).size())};
  }
  const auto length = static_cast<int64_t>(Line(position.line).size());
  position.character = std::clamp<int64_t>(position.character, 0, length);
  return position;
}

void TextDocument::Replace(TextRange range, std::wstring_view text) {
  TextPosition start = Clamp(range.start);
  TextPosition end = Clamp(range.end);
  if (end < start) {
    end = start;
  }
  // The lines around the edit are cut again together with it: a CR left at
  // the end of the line above can meet an LF that the edit begins with.
  const int64_t last = LineCount() - 1;
  const int64_t first = std::max<int64_t>(start.line - 1, 0);
  const int64_t through = std::min<int64_t>(end.line + 1, last);
  std::wstring joined;
  size_t startOffset = 0;
  size_t endOffset = 0;
  for (int64_t line = first; line <= through; ++line) {
    if (line == start.line) {
      startOffset = joined.size() + static_cast<size_t>(start.character);
    }
    if (line == end.line) {
      endOffset = joined.size() + static_cast<size_t>(end.character);
    }
    joined += Line(line);
    joined += LineEnd(line);
  }
  joined.replace(startOffset, endOffset - startOffset, text);

  std::vector<std::wstring> lines;
  std::vector<uint8_t> newEnds;
  SplitLines(joined, through == last, lines, newEnds);
  const auto count = static_cast<int32_t>(through - first + 1);
  (void)module.ReplaceLines(static_cast<int32_t>(first + 1), count, std::move(lines));
  const auto at = ends.begin() + first;
  ends.erase(at, at + count);
  ends.insert(ends.begin() + first, newEnds.begin(), newEnds.end());
}

std::wstring TextDocument::Text() const {
  std::wstring text;
  for (int64_t line = 0; line < LineCount(); ++line) {
    text += Line(line);
    text += LineEnd(line);
  }
  return text;
}

}  // namespace tarnwick::lsp
