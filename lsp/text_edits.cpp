#include "lsp/text_edits.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace tarnwick::lsp {
namespace {

TextRange RangeOf(const TextDocument& document, const LineEdit& edit) {
  const int64_t last = edit.firstLine + edit.lineCount - 1;
  return {{edit.firstLine, 0}, {last, static_cast<int64_t>(document.Line(last).size())}};
}

std::wstring_view LineEndFor(const TextDocument& document, const LineEdit& edit) {
  const std::wstring_view end = document.LineEnd(edit.firstLine);
  return end.empty() ? document.PreferredLineEnd() : end;
}

struct Mark {
  TextPosition at;
  std::wstring text;
};

std::wstring Render(const TextDocument& document, const LineEdit& edit, std::vector<Mark> marks,
                    bool escape) {
  std::stable_sort(marks.begin(), marks.end(),
                   [](const Mark& a, const Mark& b) { return a.at < b.at; });
  const std::wstring_view lineEnd = LineEndFor(document, edit);
  std::wstring text;
  size_t next = 0;
  for (size_t i = 0; i < edit.lines.size(); ++i) {
    if (i > 0) {
      text += lineEnd;
    }
    const std::wstring& line = edit.lines[i];
    const int64_t row = edit.firstLine + static_cast<int64_t>(i);
    size_t done = 0;
    while (next < marks.size() && marks[next].at.line == row) {
      const size_t column = std::min(
          static_cast<size_t>(std::max<int64_t>(marks[next].at.character, 0)), line.size());
      const std::wstring_view piece = std::wstring_view(line).substr(done, column - done);
      text += escape ? EscapeSnippet(piece) : std::wstring(piece);
      text += marks[next].text;
      done = column;
      ++next;
    }
    const std::wstring_view rest = std::wstring_view(line).substr(done);
    text += escape ? EscapeSnippet(rest) : std::wstring(rest);
  }
  return text;
}

}  // namespace

std::wstring EscapeSnippet(std::wstring_view text) {
  std::wstring escaped;
  escaped.reserve(text.size());
  for (const wchar_t c : text) {
    if (c == L'$' || c == L'}' || c == L'\\') {
      escaped += L'\\';
    }
    escaped += c;
  }
  return escaped;
}

TextEdit PlainEdit(const TextDocument& document, const LineEdit& edit) {
  return {RangeOf(document, edit), Render(document, edit, {}, false)};
}

TextEdit SnippetEdit(const TextDocument& document, const LineEdit& edit) {
  std::vector<Mark> marks;
  if (edit.walkEnd) {
    for (size_t i = 0; i < edit.stops.size(); ++i) {
      marks.push_back({edit.stops[i], L"${" + std::to_wstring(i + 1) + L"}"});
    }
    marks.push_back({*edit.walkEnd, L"$0"});
  } else {
    marks.push_back({edit.caret, L"$0"});
  }
  return {RangeOf(document, edit), Render(document, edit, std::move(marks), true)};
}

}  // namespace tarnwick::lsp
