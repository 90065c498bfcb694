#include "tests/cases/caret_text.h"

#include <algorithm>

#include "text/utf.h"

namespace tarnwick {

CaretText ParseCaretText(std::string_view marked) {
  const size_t caret = marked.find('^');
  if (caret == std::string_view::npos || marked.find('^', caret + 1) != std::string_view::npos) {
    throw std::invalid_argument("caret-marked text needs exactly one '^': " + std::string(marked));
  }
  CaretText result;
  result.lines.clear();
  size_t start = 0;
  for (;;) {
    const size_t end = marked.find('\n', start);
    const std::string_view row =
        marked.substr(start, end == std::string_view::npos ? end : end - start);
    const size_t rowCaret =
        caret >= start && caret - start <= row.size() ? caret - start : row.size() + 1;
    if (rowCaret <= row.size()) {
      result.line = static_cast<int32_t>(result.lines.size()) + 1;
      result.column = static_cast<int32_t>(Utf8ToWide(row.substr(0, rowCaret)).size()) + 1;
      std::string without(row);
      without.erase(rowCaret, 1);
      result.lines.push_back(Utf8ToWide(without));
    } else {
      result.lines.push_back(Utf8ToWide(row));
    }
    if (end == std::string_view::npos) {
      break;
    }
    start = end + 1;
  }
  return result;
}

std::string RenderCaretText(const std::vector<std::wstring>& lines, int32_t line, int32_t column) {
  std::string out;
  for (size_t i = 0; i < lines.size() || (i == 0 && line == 1); ++i) {
    std::wstring text = i < lines.size() ? lines[i] : std::wstring();
    if (static_cast<int32_t>(i) + 1 == line) {
      const size_t at = static_cast<size_t>(std::max(column, 1) - 1);
      text.insert(std::min(at, text.size()), 1, L'^');
    }
    std::string row;
    for (const char c : WideToUtf8(text)) {
      row += c == '\t' ? std::string("\\t") : std::string(1, c);
    }
    out += "  |" + row + "\n";
  }
  return out;
}

}  // namespace tarnwick
