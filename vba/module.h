// A code module as the editor holds it: a list of lines, and the editor's
// assignment of lines to procedures.
//
// Procedures are Sub, Function and Property Get/Let/Set statements, with any of
// the modifiers Public, Private, Friend and Static, possibly continued over
// several lines with " _". A procedure ends at its "End Sub", "End Function" or
// "End Property" line. Lines are assigned as the editor assigns them:
//   - a procedure owns the lines from just after the previous procedure's End
//     line down to its own End line, so blank and comment lines above its
//     declaration belong to it;
//   - the first procedure owns the lines from just after the last code line of
//     the declarations section (the last line above it that is neither blank nor
//     a comment); the declarations section itself belongs to no procedure;
//   - lines below the last procedure's End line belong to the last procedure;
//   - a procedure without an End line runs to the line before the next
//     procedure's declaration (or to the end of the module).
// Names compare without regard to ASCII case, as identifiers do.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick {

// A selection in 1-based lines and columns; start == end is a plain caret.
struct Selection {
  int32_t startLine = 1;
  int32_t startColumn = 1;
  int32_t endLine = 1;
  int32_t endColumn = 1;

  bool IsCaret() const { return startLine == endLine && startColumn == endColumn; }
  friend bool operator==(const Selection&, const Selection&) = default;
};

// One procedure of the module.
struct Procedure {
  std::wstring name;
  int32_t kind = 0;       // ProcKind: 0 Sub/Function, 1 Let, 2 Set, 3 Get
  int32_t firstLine = 0;  // first line the procedure owns
  int32_t bodyLine = 0;   // first line of its declaration
  int32_t lastLine = 0;   // last line it owns
};

class Module {
 public:
  Module() = default;
  explicit Module(std::vector<std::wstring> lines);

  int32_t LineCount() const { return static_cast<int32_t>(lines.size()); }
  // Text of line 1..LineCount(); empty for any other line number.
  const std::wstring& Line(int32_t line) const;
  const std::vector<std::wstring>& Lines() const { return lines; }
  // Lines start .. start + count - 1 joined with CR LF, as the editor's Lines
  // answers; line 0 and the line after the last read as empty text. False, with
  // `text` untouched, for a negative start or count or a run reaching further.
  [[nodiscard]] bool JoinLines(int32_t start, int32_t count, std::wstring& text) const;

  // Replaces line 1..LineCount(). Each LF in `text` starts a new line (a CR just
  // before an LF goes with it); text after a NUL is dropped. Returns false, with
  // nothing changed, for a line outside the module.
  [[nodiscard]] bool ReplaceLine(int32_t line, const std::wstring& text);
  // The lines that ReplaceLine makes of `text`: one at least.
  static std::vector<std::wstring> SplitReplacement(const std::wstring& text);
  // Replaces lines first .. first + count - 1 with `replacement` in one step;
  // `first` may be LineCount() + 1 (with count 0) to append. Returns false,
  // with nothing changed, for a run outside the module.
  [[nodiscard]] bool ReplaceLines(int32_t first, int32_t count,
                                  std::vector<std::wstring> replacement);
  // Direct edits used by the editor's own keystroke behaviour.
  void SetLine(int32_t line, std::wstring text);
  void InsertLine(int32_t before, std::wstring text);
  void EraseLines(int32_t first, int32_t count);

  // The procedure that owns `line`, or nullptr.
  const Procedure* ProcOfLine(int32_t line) const;
  // The procedure of that name and kind (Sub and Function share kind 0), or nullptr.
  const Procedure* FindProc(const std::wstring& name, int32_t kind) const;
  const std::vector<Procedure>& Procedures() const;

  // The editor's clamping: lines to the module (line 1 for an empty module),
  // columns to 1..length+1 of their line. The start is put before the end.
  Selection Clamp(Selection selection) const;

 private:
  void Changed() { mapped = false; }

  std::vector<std::wstring> lines;
  // The procedure table is rebuilt lazily, once per change of the text.
  mutable std::vector<Procedure> procedures;
  mutable bool mapped = false;
};

}  // namespace tarnwick
