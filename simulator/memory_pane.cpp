#include "simulator/memory_pane.h"

#include <exception>

#include "engine/bad_exception.h"

namespace tarnwick {

const char* PaneOperationName(PaneOperation operation) {
  static constexpr const char* names[kPaneOperationCount] = {
      "GetLineCount",  "GetSelection",    "SetCaret",     "SetSelection", "GetLine",    "GetLines",
      "GetProcOfLine", "GetProcBodyLine", "IsInProcBody", "ReplaceLine",  "ReadLineRun"};
  return names[static_cast<int>(operation)];
}

// Counts one call for its whole duration and fires an injected failure.
class MemoryPane::CallScope {
 public:
  CallScope(MemoryPane& pane, PaneOperation operation) : pane(pane) {
    ++pane.perOperation[static_cast<int>(operation)];
    pane.log.push_back(operation);
    ++pane.total;
    if (pane.depth++ == 0) {
      ++pane.outer;
    }
    if (pane.failAt != 0 && pane.total == pane.failAt) {
      pane.injectedFired = true;
      pane.failAt = 0;
      --pane.depth;
      throw BadException();
    }
  }
  ~CallScope() { --pane.depth; }
  CallScope(const CallScope&) = delete;
  CallScope& operator=(const CallScope&) = delete;

 private:
  MemoryPane& pane;
};

void MemoryPane::FailAtCall(int64_t call) {
  ResetCounts();
  failAt = call;
  injectedFired = false;
}

void MemoryPane::ResetCounts() {
  perOperation.fill(0);
  log.clear();
  total = 0;
  outer = 0;
}

int32_t MemoryPane::GetLineCount() {
  CallScope scope(*this, PaneOperation::kGetLineCount);
  return editor.GetLineCount();
}

void MemoryPane::GetSelection(int32_t* startLine, int32_t* startColumn, int32_t* endLine,
                              int32_t* endColumn) {
  CallScope scope(*this, PaneOperation::kGetSelection);
  editor.GetSelection(startLine, startColumn, endLine, endColumn);
}

void MemoryPane::SetCaret(int32_t line, int32_t column) {
  CallScope scope(*this, PaneOperation::kSetCaret);
  static_cast<VisualBasicEditor&>(*this).SetSelection(line, column, line, column);
}

void MemoryPane::SetSelection(int32_t startLine, int32_t startColumn, int32_t endLine,
                              int32_t endColumn) {
  CallScope scope(*this, PaneOperation::kSetSelection);
  editor.SetSelection(startLine, startColumn, endLine, endColumn);
}

void MemoryPane::GetLine(int32_t line, std::wstring& text) {
  CallScope scope(*this, PaneOperation::kGetLine);
  editor.GetLine(line, text);
}

void MemoryPane::GetLines(int32_t startLine, int32_t count, std::vector<std::wstring>& lines) {
  CallScope scope(*this, PaneOperation::kGetLines);
  editor.GetLines(startLine, count, lines);
}

void MemoryPane::GetProcOfLine(int32_t line, std::wstring& name, int32_t* kind) {
  name.clear();
  try {
    CallScope scope(*this, PaneOperation::kGetProcOfLine);
    editor.GetProcOfLine(line, name, kind);
  } catch (const std::bad_exception&) {
    // A failed question answers with no procedure.
  }
}

int32_t MemoryPane::GetProcBodyLine(const std::wstring& name, int32_t kind) {
  CallScope scope(*this, PaneOperation::kGetProcBodyLine);
  return editor.GetProcBodyLine(name, kind);
}

bool MemoryPane::IsInProcBody(int32_t line) {
  CallScope scope(*this, PaneOperation::kIsInProcBody);
  return IsInProcBodyThroughInterface(*this, line);
}

void MemoryPane::ReplaceLine(int32_t line, const std::wstring& text) {
  CallScope scope(*this, PaneOperation::kReplaceLine);
  editor.ReplaceLine(line, text);
}

std::wstring MemoryPane::ReadLineRun(int32_t startLine, int32_t count) {
  CallScope scope(*this, PaneOperation::kReadLineRun);
  std::wstring text;
  if (!module.JoinLines(startLine, count, text)) {
    throw BadException();
  }
  return text;
}

}  // namespace tarnwick
