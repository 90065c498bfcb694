// The abstract code pane: everything the comment engine reads from or writes to
// the source goes through these ten operations.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick {

// Procedure kinds, with the editor's values.
enum ProcKind : int32_t {
  kProcKindProc = 0,  // Sub or Function
  kProcKindLet = 1,
  kProcKindSet = 2,
  kProcKindGet = 3,
};

// Lines and columns are 1-based, as the editor reports them. Every failure throws
// std::bad_exception, except GetProcOfLine, which answers with an empty name.
// Implementations are owned by value and never destroyed through this interface.
class VisualBasicEditor {
 public:
  // Number of lines plus one: line l exists exactly when 1 <= l < GetLineCount().
  virtual int32_t GetLineCount() = 0;
  // Writes the selection into the pointers that are not null; all four null fails.
  virtual void GetSelection(int32_t* startLine, int32_t* startColumn, int32_t* endLine,
                            int32_t* endColumn) = 0;
  // Exactly SetSelection(line, column, line, column), called through the interface.
  virtual void SetCaret(int32_t line, int32_t column) = 0;
  virtual void SetSelection(int32_t startLine, int32_t startColumn, int32_t endLine,
                            int32_t endColumn) = 0;
  // Replaces `text` with the line's text. Fails when line < 0 or line > GetLineCount().
  virtual void GetLine(int32_t line, std::wstring& text) = 0;
  // Replaces `lines` with lines startLine .. startLine + count - 1.
  // Fails when startLine < 0 or startLine + count > GetLineCount().
  virtual void GetLines(int32_t startLine, int32_t count, std::vector<std::wstring>& lines) = 0;
  // Empties `name`, then names the procedure that owns the line and writes its kind
  // through `kind` when not null. Never throws for a failed question.
  virtual void GetProcOfLine(int32_t line, std::wstring& name, int32_t* kind) = 0;
  // Line of the named procedure's declaration.
  virtual int32_t GetProcBodyLine(const std::wstring& name, int32_t kind) = 0;
  // GetProcOfLine, then line >= GetProcBodyLine, both through the interface.
  virtual bool IsInProcBody(int32_t line) = 0;
  // Replaces one line. Each LF in `text` starts a new line; text after a NUL is dropped.
  virtual void ReplaceLine(int32_t line, const std::wstring& text) = 0;

 protected:
  ~VisualBasicEditor() = default;
};

// IsInProcBody as every implementation defines it: GetProcOfLine, then
// GetProcBodyLine, both called through the interface. A line that no procedure
// owns is not in a body.
bool IsInProcBodyThroughInterface(VisualBasicEditor& pane, int32_t line);

}  // namespace tarnwick
