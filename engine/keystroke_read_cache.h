// One watched keystroke's reads of the editor, made in as few calls as the
// keystroke allows. Every call into the editor's object model is a late-bound
// round trip that costs far more than the engine's own work, so the code pane
// is read through a cache that lives for one message and no longer: between
// two keystrokes the user edits.
//
// KeystrokeReadCache is a VisualBasicEditor over the real one. The engine runs
// on it unchanged, and sees exactly the answers the pane underneath would give.
//
// How lines are read:
//   - The first two lines missed since the cache was last emptied are read one
//     at a time, without asking for the line count: most keystrokes read one or
//     two lines around the caret and nothing else. Such a read goes to the
//     editor unchecked, and the editor's answer decides, as it does for line 0
//     and the line after the last (a negative line still fails at once).
//   - From the third miss on, the line count is asked once, and lines come in
//     runs of one call each: 64 lines around the missed one first, then, as a
//     walk goes on up or down past what is held, a run twice as long as the
//     one before in that direction (up to 1,024 lines a call). A run never
//     reaches outside 1 .. line count, which the editor would refuse; line 0
//     and the line after the last are read one at a time.
//   - A run must split at its CR LFs into exactly as many lines as were asked
//     for. When it does not (a line that holds a CR LF of its own, an answer
//     that is not all the text), nothing of the run is used, and every later
//     miss of the keystroke is read one line at a time.
//
// What is kept right: the add-in's own ReplaceLine is applied to the lines and
// the line count held (a text with a CR in it, whose treatment is the
// editor's, empties the cache instead). The selection is held from one
// GetSelection to the next SetSelection or ReplaceLine. Passing the message on
// to the editor and typing a space into the window, through the adapters that
// DispatchKeystrokeCached puts in front of the route and the window, empty the
// cache: the editor changes the text then. So does a selection that leaves the
// caret's line (or any whose line is not known): the editor settles the line
// it leaves.
//
// Failures: every failure of the pane underneath, a batched read included,
// passes out unchanged, so a keystroke fails exactly where it would have
// failed reading the line alone.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/code_window.h"
#include "engine/visual_basic_editor.h"

namespace tarnwick {

// The editor's own read of a run of lines: one call, with no range check
// before it (the editor's answer decides). The answer is the lines joined with
// CR LF, each as the pane's GetLine gives it; a run of one line is exactly
// what GetLine gives.
class LineRunSource {
 public:
  virtual std::wstring ReadLineRun(int32_t startLine, int32_t count) = 0;

 protected:
  ~LineRunSource() = default;
};

// A code pane that also offers the editor's batched read: what a keystroke's
// read cache stands in front of. The pane over the editor's object model and
// the simulator's in-memory pane are both one, handed to the engine once.
class LineRunPane : public VisualBasicEditor, public LineRunSource {
 protected:
  ~LineRunPane() = default;
};

class KeystrokeReadCache final : public VisualBasicEditor {
 public:
  // Lines asked for around the first line missed, and the longest run of one call.
  static constexpr int32_t kFirstRun = 64;
  static constexpr int32_t kLongestRun = 1024;
  // Lines read one at a time before the line count is asked.
  static constexpr int kSingleReads = 2;

  explicit KeystrokeReadCache(LineRunPane& pane) : KeystrokeReadCache(pane, pane) {}
  // The pane's operations and its batched read from two objects (tests
  // check each alone).
  KeystrokeReadCache(VisualBasicEditor& pane, LineRunSource& source) : pane(pane), source(source) {}
  KeystrokeReadCache(const KeystrokeReadCache&) = delete;
  KeystrokeReadCache& operator=(const KeystrokeReadCache&) = delete;

  int32_t GetLineCount() override;
  void GetSelection(int32_t* startLine, int32_t* startColumn, int32_t* endLine,
                    int32_t* endColumn) override;
  void SetCaret(int32_t line, int32_t column) override;
  void SetSelection(int32_t startLine, int32_t startColumn, int32_t endLine,
                    int32_t endColumn) override;
  void GetLine(int32_t line, std::wstring& text) override;
  // Passed to the pane underneath as it stands: its contract cuts the text
  // otherwise than the lines held here.
  void GetLines(int32_t startLine, int32_t count, std::vector<std::wstring>& lines) override;
  void GetProcOfLine(int32_t line, std::wstring& name, int32_t* kind) override;
  int32_t GetProcBodyLine(const std::wstring& name, int32_t kind) override;
  bool IsInProcBody(int32_t line) override;
  void ReplaceLine(int32_t line, const std::wstring& text) override;

  // Drops every line, the line count and the selection: the editor may have
  // changed them.
  void Forget();

 private:
  std::wstring_view Line(int32_t line);
  const std::wstring_view* Find(int32_t line) const;
  std::wstring_view ReadAlone(int32_t line);
  void FetchRunAround(int32_t line, int32_t lastLine);
  void ApplyReplacement(int32_t line, std::wstring_view written);
  std::wstring_view Keep(std::wstring text);

  VisualBasicEditor& pane;
  LineRunSource& source;
  // The editor's texts that the views below point into; a deque never moves
  // what it holds.
  std::deque<std::wstring> texts;
  // Lines runFirst .. runFirst + run.size() - 1, read in runs.
  int32_t runFirst = 1;
  std::vector<std::wstring_view> run;
  // Lines read one at a time, or written outside the run.
  std::vector<std::pair<int32_t, std::wstring_view>> loose;
  int singleReads = 0;
  int32_t nextUp = 0;  // length of the next run above `run`
  int32_t nextDown = 0;
  bool runsSplitBadly = false;       // for the rest of the keystroke
  std::optional<int32_t> lineCount;  // GetLineCount as the editor answered it
  std::optional<std::array<int32_t, 4>> selection;
};

// DispatchKeystroke for one watched message, with `pane` behind a
// KeystrokeReadCache made for it. CallOriginal on the route and TypeSpace on
// the window empty the cache first.
void DispatchKeystrokeCached(CodeWindow* window, uint32_t message, uint8_t character,
                             LineRunPane& pane, Route* route, bool* consumed);

}  // namespace tarnwick
