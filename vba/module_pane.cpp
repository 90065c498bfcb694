#include "vba/module_pane.h"

#include <exception>
#include <utility>

#include "engine/bad_exception.h"

namespace tarnwick {

int32_t LinesPane::GetLineCount() {
  return HeldLineCount() + 1;
}

void LinesPane::GetSelection(int32_t* startLine, int32_t* startColumn, int32_t* endLine,
                             int32_t* endColumn) {
  if (!startLine && !startColumn && !endLine && !endColumn) {
    throw BadException();
  }
  const Selection& selection = HeldSelection();
  if (startLine) {
    *startLine = selection.startLine;
  }
  if (startColumn) {
    *startColumn = selection.startColumn;
  }
  if (endLine) {
    *endLine = selection.endLine;
  }
  if (endColumn) {
    *endColumn = selection.endColumn;
  }
}

void LinesPane::SetCaret(int32_t line, int32_t column) {
  static_cast<VisualBasicEditor&>(*this).SetSelection(line, column, line, column);
}

void LinesPane::SetSelection(int32_t startLine, int32_t startColumn, int32_t endLine,
                             int32_t endColumn) {
  HeldSelection() = ClampToText({startLine, startColumn, endLine, endColumn});
}

void LinesPane::GetLine(int32_t line, std::wstring& text) {
  if (line < 0 || line > HeldLineCount() + 1) {
    throw BadException();
  }
  text = HeldLine(line);
}

void LinesPane::GetLines(int32_t startLine, int32_t count, std::vector<std::wstring>& lines) {
  const int64_t end = int64_t{startLine} + count;
  if (startLine < 0 || count < 0 || end > HeldLineCount() + 1) {
    throw BadException();
  }
  std::vector<std::wstring> run;
  run.reserve(static_cast<size_t>(count));
  for (int32_t line = startLine; line < end; ++line) {
    run.push_back(HeldLine(line));
  }
  lines = std::move(run);
}

bool LinesPane::IsInProcBody(int32_t line) {
  return IsInProcBodyThroughInterface(*this, line);
}

void ModulePane::GetProcOfLine(int32_t line, std::wstring& name, int32_t* kind) {
  name.clear();
  if (const Procedure* procedure = module.ProcOfLine(line)) {
    name = procedure->name;
    if (kind) {
      *kind = procedure->kind;
    }
  }
}

int32_t ModulePane::GetProcBodyLine(const std::wstring& name, int32_t kind) {
  const Procedure* procedure = module.FindProc(name, kind);
  if (!procedure) {
    throw BadException();
  }
  return procedure->bodyLine;
}

void ModulePane::ReplaceLine(int32_t line, const std::wstring& text) {
  if (!module.ReplaceLine(line, text)) {
    throw BadException();
  }
  // The editor keeps the caret inside the text it now holds.
  selection = module.Clamp(selection);
}

}  // namespace tarnwick
