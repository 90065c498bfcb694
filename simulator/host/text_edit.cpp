#include "simulator/host/text_edit.h"

#include <algorithm>

#include "simulator/editor_behavior.h"

namespace tarnwick {
namespace {

int32_t LineEnd(const Module& module, int32_t line) {
  return static_cast<int32_t>(module.Line(line).size()) + 1;
}

Selection Caret(int32_t line, int32_t column) {
  return {line, column, line, column};
}

}  // namespace

Selection MoveCaret(const Module& module, const Selection& selection, CaretMove move,
                    int32_t pageLines) {
  const Selection current = module.Clamp(selection);
  int32_t line = current.endLine;
  int32_t column = current.endColumn;
  const int32_t lastLine = std::max(module.LineCount(), 1);
  switch (move) {
    case CaretMove::kLeft:
      if (column > 1) {
        --column;
      } else if (line > 1) {
        --line;
        column = LineEnd(module, line);
      }
      break;
    case CaretMove::kRight:
      if (column < LineEnd(module, line)) {
        ++column;
      } else if (line < lastLine) {
        ++line;
        column = 1;
      }
      break;
    case CaretMove::kUp:
      line = std::max(line - 1, 1);
      break;
    case CaretMove::kDown:
      line = std::min(line + 1, lastLine);
      break;
    case CaretMove::kHome:
      column = 1;
      break;
    case CaretMove::kEnd:
      column = LineEnd(module, line);
      break;
    case CaretMove::kPageUp:
      line = std::max(line - std::max(pageLines, 1), 1);
      break;
    case CaretMove::kPageDown:
      line = std::min(line + std::max(pageLines, 1), lastLine);
      break;
  }
  return module.Clamp(Caret(line, column));
}

void DeleteBackward(Module& module, Selection& selection) {
  if (module.LineCount() == 0) {
    return;
  }
  selection = module.Clamp(selection);
  if (!selection.IsCaret()) {
    TypeText(module, selection, {});
    return;
  }
  const int32_t line = selection.startLine;
  const int32_t column = selection.startColumn;
  if (column > 1) {
    std::wstring text = module.Line(line);
    text.erase(static_cast<size_t>(column - 2), 1);
    module.SetLine(line, std::move(text));
    selection = Caret(line, column - 1);
  } else if (line > 1) {
    const int32_t joinColumn = LineEnd(module, line - 1);
    module.SetLine(line - 1, module.Line(line - 1) + module.Line(line));
    module.EraseLines(line, 1);
    selection = Caret(line - 1, joinColumn);
  }
}

void DeleteForward(Module& module, Selection& selection) {
  if (module.LineCount() == 0) {
    return;
  }
  selection = module.Clamp(selection);
  if (!selection.IsCaret()) {
    TypeText(module, selection, {});
    return;
  }
  const int32_t line = selection.startLine;
  const int32_t column = selection.startColumn;
  if (column < LineEnd(module, line)) {
    std::wstring text = module.Line(line);
    text.erase(static_cast<size_t>(column - 1), 1);
    module.SetLine(line, std::move(text));
  } else if (line < module.LineCount()) {
    module.SetLine(line, module.Line(line) + module.Line(line + 1));
    module.EraseLines(line + 1, 1);
  }
}

}  // namespace tarnwick
