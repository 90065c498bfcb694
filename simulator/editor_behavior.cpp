#include "simulator/editor_behavior.h"

namespace tarnwick {
namespace {

// The editor always has a line to type into.
void EnsureLine(Module& module) {
  if (module.LineCount() == 0) {
    module.InsertLine(1, {});
  }
}

// Removes the selected text and leaves a caret at its start.
void DeleteSelection(Module& module, Selection& selection) {
  EnsureLine(module);
  selection = module.Clamp(selection);
  if (selection.IsCaret()) {
    return;
  }
  const std::wstring head = module.Line(selection.startLine).substr(0, selection.startColumn - 1);
  const std::wstring tail = module.Line(selection.endLine).substr(selection.endColumn - 1);
  module.EraseLines(selection.startLine + 1, selection.endLine - selection.startLine);
  module.SetLine(selection.startLine, head + tail);
  selection.endLine = selection.startLine;
  selection.endColumn = selection.startColumn;
}

void SplitLine(Module& module, Selection& selection) {
  DeleteSelection(module, selection);
  const std::wstring& text = module.Line(selection.startLine);
  const std::wstring rest = text.substr(selection.startColumn - 1);
  module.SetLine(selection.startLine, text.substr(0, selection.startColumn - 1));
  module.InsertLine(selection.startLine + 1, rest);
  selection = {selection.startLine + 1, 1, selection.startLine + 1, 1};
}

void TypeTab(Module& module, Selection& selection) {
  DeleteSelection(module, selection);
  const int32_t column = selection.startColumn;
  const int32_t nextStop = (column - 1) / 4 * 4 + 5;
  TypeText(module, selection, std::wstring(static_cast<size_t>(nextStop - column), L' '));
}

}  // namespace

void TypeText(Module& module, Selection& selection, const std::wstring& text) {
  DeleteSelection(module, selection);
  size_t start = 0;
  for (;;) {
    const size_t lineBreak = text.find_first_of(L"\r\n", start);
    const std::wstring piece = text.substr(start, lineBreak - start);
    std::wstring line = module.Line(selection.startLine);
    line.insert(static_cast<size_t>(selection.startColumn - 1), piece);
    module.SetLine(selection.startLine, std::move(line));
    const auto column = selection.startColumn + static_cast<int32_t>(piece.size());
    selection = {selection.startLine, column, selection.startLine, column};
    if (lineBreak == std::wstring::npos) {
      return;
    }
    SplitLine(module, selection);
    const bool crLf =
        text[lineBreak] == L'\r' && lineBreak + 1 < text.size() && text[lineBreak + 1] == L'\n';
    start = lineBreak + (crLf ? 2 : 1);
  }
}

void ApplyEditorMessage(Module& module, Selection& selection, uint32_t message, uintptr_t wParam,
                        const std::wstring& compositionResult) {
  switch (message) {
    case kWmChar:
      if (wParam >= 0x20 && wParam != 0x7F && wParam <= 0xFFFF) {
        TypeText(module, selection, std::wstring(1, static_cast<wchar_t>(wParam)));
      }
      return;
    case kWmKeyDown:
      if (wParam == kVkReturn) {
        SplitLine(module, selection);
      } else if (wParam == kVkTab) {
        TypeTab(module, selection);
      }
      return;
    case kWmImeComposition:
      TypeText(module, selection, compositionResult);
      return;
    default:
      return;
  }
}

}  // namespace tarnwick
