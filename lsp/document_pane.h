// The engine's code pane over a document, for one action: the document's lines
// read in place, and the lines the action writes kept apart, as one run that
// replaces a run of the document's lines. Nothing of the document changes; the
// run is what the client is asked to apply.
//
// It answers as vba/'s ModulePane does (the editor's pane). The editor's
// procedure questions are answered from the document's own procedure table,
// with the lines of the run mapped onto the document's.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/code_window.h"
#include "vba/module.h"
#include "vba/module_pane.h"

namespace tarnwick::lsp {

class DocumentPane final : public LinesPane, public CodeWindow {
 public:
  explicit DocumentPane(const Module& document) : document(document) {}

  // The run: document lines first .. first + replaced - 1 (1-based) give way to
  // Written(); lines after them move by Written().size() - replaced.
  int32_t First() const { return first; }
  int32_t Replaced() const { return replaced; }
  const std::vector<std::wstring>& Written() const { return written; }
  const Selection& Caret() const { return selection; }
  // The pane's line, after what has been written.
  const std::wstring& Line(int32_t line) const;
  int32_t LineCount() const;
  // Sets the pane's line (written into the run) and the caret, without the
  // editor's checks: how the text stood before the key.
  void Write(int32_t line, std::vector<std::wstring> lines);
  void PlaceCaret(int32_t line, int32_t column) { selection = {line, column, line, column}; }
  // The editor's handling of a key: text typed at the caret, or the line split
  // there with the caret at the start of the new line.
  void TypeAtCaret(const std::wstring& text);
  void SplitAtCaret();

  // VisualBasicEditor: what LinesPane leaves to the pane.
  void GetProcOfLine(int32_t line, std::wstring& name, int32_t* kind) override;
  int32_t GetProcBodyLine(const std::wstring& name, int32_t kind) override;
  void ReplaceLine(int32_t line, const std::wstring& text) override;

  // CodeWindow: the window is the document's, always live; a space typed by
  // the engine goes in at the caret.
  bool IsLive() override { return true; }
  void TypeSpace() override { TypeAtCaret(L" "); }

 private:
  // LinesPane
  int32_t HeldLineCount() const override { return LineCount(); }
  const std::wstring& HeldLine(int32_t line) const override { return Line(line); }
  Selection ClampToText(Selection s) const override { return Clamp(s); }
  Selection& HeldSelection() override { return selection; }

  // Takes the pane's lines from..through into the run.
  void Cover(int32_t from, int32_t through);
  Selection Clamp(Selection s) const;

  const Module& document;
  int32_t first = 1;
  int32_t replaced = 0;
  std::vector<std::wstring> written;
  Selection selection;
};

}  // namespace tarnwick::lsp
