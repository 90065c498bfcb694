// The code pane over a module held in memory: the engine's VisualBasicEditor
// over a Module and a Selection that the caller owns. The simulated editor and
// the language server both run the engine on it.
//
// It answers as the editor's pane does:
//   - GetLine fails for line < 0 or line > GetLineCount(); line 0 and the line
//     after the last read as empty text.
//   - GetLines fails for startLine < 0, count < 0 or startLine + count >
//     GetLineCount().
//   - GetSelection fails when all four pointers are null.
//   - SetSelection clamps to the module as the editor does (Module::Clamp).
//   - ReplaceLine fails for a line outside 1..GetLineCount()-1, and keeps the
//     selection inside the text the module then holds.
//   - GetProcOfLine answers with an empty name for a line no procedure owns.
//   - GetProcBodyLine fails for a name and kind the module does not hold.
//   - SetCaret and IsInProcBody go through the interface's own operations.
// Every failure throws std::bad_exception.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/visual_basic_editor.h"
#include "vba/module.h"

namespace tarnwick {

// The part of that contract that only reads lines and keeps the selection,
// for every pane over lines held in memory: a derived pane says how many lines
// it holds, what each says, how it clamps a selection and where it keeps it.
class LinesPane : public VisualBasicEditor {
 public:
  int32_t GetLineCount() override;
  void GetSelection(int32_t* startLine, int32_t* startColumn, int32_t* endLine,
                    int32_t* endColumn) override;
  void SetCaret(int32_t line, int32_t column) override;
  void SetSelection(int32_t startLine, int32_t startColumn, int32_t endLine,
                    int32_t endColumn) override;
  void GetLine(int32_t line, std::wstring& text) override;
  void GetLines(int32_t startLine, int32_t count, std::vector<std::wstring>& lines) override;
  bool IsInProcBody(int32_t line) override;

 protected:
  ~LinesPane() = default;
  // Lines 1..HeldLineCount(); HeldLine answers empty text for any other.
  virtual int32_t HeldLineCount() const = 0;
  virtual const std::wstring& HeldLine(int32_t line) const = 0;
  virtual Selection ClampToText(Selection selection) const = 0;
  virtual Selection& HeldSelection() = 0;
};

class ModulePane : public LinesPane {
 public:
  ModulePane(Module& module, Selection& selection) : module(module), selection(selection) {}
  virtual ~ModulePane() = default;
  ModulePane(const ModulePane&) = delete;
  ModulePane& operator=(const ModulePane&) = delete;

  void GetProcOfLine(int32_t line, std::wstring& name, int32_t* kind) override;
  int32_t GetProcBodyLine(const std::wstring& name, int32_t kind) override;
  void ReplaceLine(int32_t line, const std::wstring& text) override;

 protected:
  int32_t HeldLineCount() const override { return module.LineCount(); }
  const std::wstring& HeldLine(int32_t line) const override { return module.Line(line); }
  Selection ClampToText(Selection s) const override { return module.Clamp(s); }
  Selection& HeldSelection() override { return selection; }

  Module& module;
  Selection& selection;
};

}  // namespace tarnwick
