// The code pane bound to the editor's active CodePane and its CodeModule,
// called late-bound by member name through IDispatch (the editor's interfaces
// are dual, so this works on the editor and on any automation stand-in).
//
// One binding is made on the stack for one message and destroyed at its end.
// Construction asks VBE.ActiveCodePane and CodePane.CodeModule; after that each
// operation is one editor call, GetLine and GetLines two (the line count
// first), SetCaret and IsInProcBody the calls of the operations they forward
// to through the interface. ReadLineRun, the batched read that the
// keystroke's read cache uses, is one call of Lines with no range check.
//
// Failures: a failed editor call, a failed range check, GetSelection with four
// null pointers, and construction without an active pane or module throw
// std::bad_exception; a string for the editor that cannot be allocated throws
// HResultError(E_OUTOFMEMORY). GetProcOfLine never throws for a failed
// question: it answers with an empty name. Nothing here catches otherwise.
//
// Strings from the editor are copied up to their first NUL (a null string is
// empty), and the lines of a ReadLineRun each up to theirs; strings sent to
// the editor end at the first NUL of the text.
#pragma once

#include <windows.h>
#include <wrl/client.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/keystroke_read_cache.h"
#include "engine/visual_basic_editor.h"

namespace tarnwick {

class VisualBasicEditorVBA final : public LineRunPane {
 public:
  // `vbe` is the editor's VBE object (any of its dual interfaces). Adds a
  // reference to it for the binding's lifetime.
  explicit VisualBasicEditorVBA(IDispatch* vbe);
  // Releases the code module, then the code pane, then the editor object.
  ~VisualBasicEditorVBA();
  VisualBasicEditorVBA(const VisualBasicEditorVBA&) = delete;
  VisualBasicEditorVBA& operator=(const VisualBasicEditorVBA&) = delete;

  int32_t GetLineCount() override;
  void GetSelection(int32_t* startLine, int32_t* startColumn, int32_t* endLine,
                    int32_t* endColumn) override;
  void SetCaret(int32_t line, int32_t column) override;
  void SetSelection(int32_t startLine, int32_t startColumn, int32_t endLine,
                    int32_t endColumn) override;
  void GetLine(int32_t line, std::wstring& text) override;
  void GetLines(int32_t startLine, int32_t count, std::vector<std::wstring>& lines) override;
  void GetProcOfLine(int32_t line, std::wstring& name, int32_t* kind) override;
  int32_t GetProcBodyLine(const std::wstring& name, int32_t kind) override;
  bool IsInProcBody(int32_t line) override;
  void ReplaceLine(int32_t line, const std::wstring& text) override;

  // CodeModule.Lines(startLine, count); each line of the answer ends at its
  // first NUL, as GetLine's answer does.
  std::wstring ReadLineRun(int32_t startLine, int32_t count) override;

 private:
  Microsoft::WRL::ComPtr<IDispatch> vbe;
  Microsoft::WRL::ComPtr<IDispatch> codePane;
  Microsoft::WRL::ComPtr<IDispatch> codeModule;
};

}  // namespace tarnwick
