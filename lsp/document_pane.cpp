#include "lsp/document_pane.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "engine/bad_exception.h"

namespace tarnwick::lsp {

int32_t DocumentPane::LineCount() const {
  return document.LineCount() - replaced + static_cast<int32_t>(written.size());
}

const std::wstring& DocumentPane::Line(int32_t line) const {
  static const std::wstring empty;
  if (line < 1 || line > LineCount()) {
    return empty;
  }
  if (line < first) {
    return document.Line(line);
  }
  const int64_t inRun = int64_t{line} - first;
  if (inRun < static_cast<int64_t>(written.size())) {
    return written[static_cast<size_t>(inRun)];
  }
  return document.Line(
      static_cast<int32_t>(line - static_cast<int64_t>(written.size()) + replaced));
}

void DocumentPane::Cover(int32_t from, int32_t through) {
  if (replaced == 0 && written.empty()) {
    first = from;
  }
  const int32_t runEnd = first + static_cast<int32_t>(written.size());  // first line after
  if (from < first) {
    std::vector<std::wstring> above;
    for (int32_t line = from; line < first; ++line) {
      above.push_back(document.Line(line));
    }
    written.insert(written.begin(), std::make_move_iterator(above.begin()),
                   std::make_move_iterator(above.end()));
    replaced += first - from;
    first = from;
  }
  int32_t next = first + replaced;  // the document's first line after the run
  for (int32_t line = runEnd; line <= through; ++line) {
    written.push_back(document.Line(next++));
    ++replaced;
  }
}

void DocumentPane::Write(int32_t line, std::vector<std::wstring> lines) {
  Cover(line, line);
  const auto at = written.begin() + (line - first);
  written.erase(at);
  written.insert(written.begin() + (line - first), std::make_move_iterator(lines.begin()),
                 std::make_move_iterator(lines.end()));
}

void DocumentPane::TypeAtCaret(const std::wstring& text) {
  selection = Clamp(selection);
  std::wstring line = Line(selection.startLine);
  const auto column = static_cast<size_t>(selection.startColumn - 1);
  line.insert(column, text);
  Write(selection.startLine, {std::move(line)});
  const int32_t caret = selection.startColumn + static_cast<int32_t>(text.size());
  PlaceCaret(selection.startLine, caret);
}

void DocumentPane::SplitAtCaret() {
  selection = Clamp(selection);
  const std::wstring& line = Line(selection.startLine);
  const auto column = static_cast<size_t>(selection.startColumn - 1);
  Write(selection.startLine, {line.substr(0, column), line.substr(column)});
  PlaceCaret(selection.startLine + 1, 1);
}

Selection DocumentPane::Clamp(Selection s) const {
  auto clampPosition = [this](int32_t& line, int32_t& column) {
    line = std::clamp(line, 1, std::max(1, LineCount()));
    column = std::clamp(column, 1, static_cast<int32_t>(Line(line).size()) + 1);
  };
  clampPosition(s.startLine, s.startColumn);
  clampPosition(s.endLine, s.endColumn);
  if (std::pair(s.endLine, s.endColumn) < std::pair(s.startLine, s.startColumn)) {
    std::swap(s.startLine, s.endLine);
    std::swap(s.startColumn, s.endColumn);
  }
  return s;
}

void DocumentPane::GetProcOfLine(int32_t line, std::wstring& name, int32_t* kind) {
  name.clear();
  // A line of the run stands for the document's line at the same place.
  const int32_t runEnd = first + static_cast<int32_t>(written.size());
  int64_t documentLine = line;
  if (line >= runEnd) {
    documentLine = int64_t{line} - static_cast<int64_t>(written.size()) + replaced;
  } else if (line >= first) {
    documentLine = std::min<int64_t>(line, int64_t{first} + std::max(replaced - 1, 0));
  }
  if (const Procedure* procedure = document.ProcOfLine(static_cast<int32_t>(documentLine))) {
    name = procedure->name;
    if (kind) {
      *kind = procedure->kind;
    }
  }
}

int32_t DocumentPane::GetProcBodyLine(const std::wstring& name, int32_t kind) {
  const Procedure* procedure = document.FindProc(name, kind);
  if (!procedure) {
    throw BadException();
  }
  if (procedure->bodyLine >= first + replaced && (replaced > 0 || !written.empty())) {
    return procedure->bodyLine + static_cast<int32_t>(written.size()) - replaced;
  }
  return procedure->bodyLine;
}

void DocumentPane::ReplaceLine(int32_t line, const std::wstring& text) {
  if (line < 1 || line > LineCount()) {
    throw BadException();
  }
  Write(line, Module::SplitReplacement(text));
  selection = Clamp(selection);
}

}  // namespace tarnwick::lsp
