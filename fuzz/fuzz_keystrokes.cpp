// Random modules, carets and keystrokes through the simulated editor's full
// keystroke path, with a failing code-pane call now and then.
//
// Checked after every keystroke:
//   - nothing escapes the handler (an escaping exception aborts the run);
//   - the editor receives the keystroke at most once, and exactly once when it
//     was not consumed (which covers a failure stopped before consumption);
//   - clicks change no text, and keys the add-in does not watch do exactly what
//     the editor alone does;
//   - Tab either does what the editor alone does, or leaves the line count as
//     it was and changes one line by inserting spaces only;
//   - the same keystroke without the read cache, made when no call failed,
//     leaves the same text, selection and consumed flag;
//   - every other watched key keeps the lines above the caret line, and the
//     lines below the later of the selection's end line and the line after the
//     caret; of the lines in between, all but (their count in the old text + 1)
//     are documentation comment lines: only a template adds more, and a
//     composition one line more for each line break it commits.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/comment_engine.h"
#include "engine/messages.h"
#include "engine/text_helpers.h"
#include "engine/watched_message.h"
#include "fuzz/fuzz_input.h"
#include "simulator/editor_behavior.h"
#include "simulator/simulated_code_window.h"
#include "text/utf.h"

namespace tarnwick::fuzz {
namespace {

// The keystroke being checked, for the report of a broken invariant.
struct Context {
  const std::vector<std::wstring>* before = nullptr;
  const Module* after = nullptr;
  Selection selection;
  KeystrokeReport report;
};
Context context;

void PrintLines(const char* title, const std::vector<std::wstring>& lines) {
  std::fprintf(stderr, "%s\n", title);
  for (size_t i = 0; i < lines.size(); ++i) {
    std::fprintf(stderr, "  %zu: %s\n", i + 1, WideToUtf8(lines[i]).c_str());
  }
}

[[noreturn]] void Fail(const char* what, const Keystroke& key) {
  std::fprintf(stderr, "invariant broken: %s (keystroke kind %d, text '%s')\n", what,
               static_cast<int>(key.kind), WideToUtf8(key.text).c_str());
  const Selection& s = context.selection;
  std::fprintf(stderr, "selection %d:%d-%d:%d; consumed %d, editor received %d, failures %d\n",
               s.startLine, s.startColumn, s.endLine, s.endColumn, context.report.consumed,
               context.report.editorReceived, context.report.failuresStopped);
  if (context.before != nullptr) {
    PrintLines("before:", *context.before);
  }
  if (context.after != nullptr) {
    PrintLines("after:", context.after->Lines());
  }
  std::abort();
}

Selection PickSelection(FuzzedDataProvider& input, int32_t lineCount) {
  Selection s;
  s.startLine = input.ConsumeIntegralInRange<int32_t>(0, lineCount + 2);
  s.startColumn = input.ConsumeIntegralInRange<int32_t>(0, 40);
  if (input.ConsumeBool()) {
    s.endLine = s.startLine;
    s.endColumn = s.startColumn;
  } else {
    s.endLine = input.ConsumeIntegralInRange<int32_t>(0, lineCount + 2);
    s.endColumn = input.ConsumeIntegralInRange<int32_t>(0, 40);
  }
  return s;
}

Keystroke PickKeystroke(FuzzedDataProvider& input, int32_t lineCount) {
  Keystroke key;
  switch (input.ConsumeIntegralInRange(0, 11)) {
    case 0:
    case 1:
      key.text = L"'";
      break;
    case 2:
    case 3:
      key.text = L">";
      break;
    case 4:
    case 5:
      key.kind = Keystroke::Kind::kEnter;
      break;
    case 6:
    case 7:
      key.kind = Keystroke::Kind::kTab;
      break;
    case 8:
      key.kind = Keystroke::Kind::kIme;
      key.text = input.ConsumeBool() ? PickFragment(input) : MakeLine(input, 2);
      if (input.ConsumeIntegralInRange(0, 7) == 0) {
        const size_t at = input.ConsumeIntegralInRange<size_t>(0, key.text.size());
        key.text.insert(at, input.ConsumeBool() ? L"\r\n" : L"\n");
      }
      if (input.ConsumeBool()) {
        key.text += input.ConsumeBool() ? L"'" : L">";
      }
      break;
    case 9: {
      // Any other character: a printable one from the dictionary, or any unit.
      const std::wstring fragment = PickFragment(input);
      key.text = input.ConsumeBool() && !fragment.empty()
                     ? fragment.substr(0, 1)
                     : std::wstring(1, static_cast<wchar_t>(input.ConsumeIntegral<uint16_t>()));
      if (key.text[0] >= 0xD800 && key.text[0] < 0xDC00) {
        key.text.push_back(static_cast<wchar_t>(0xDC00 + (key.text[0] & 0x3FF)));
      }
      break;
    }
    case 10:
      key.kind = Keystroke::Kind::kCaret;
      key.selection = PickSelection(input, lineCount);
      key.selection.endLine = key.selection.startLine;
      key.selection.endColumn = key.selection.startColumn;
      break;
    default:
      key.kind = Keystroke::Kind::kSelect;
      key.selection = PickSelection(input, lineCount);
      break;
  }
  return key;
}

bool IsWatchedCharacter(const Keystroke& key) {
  return key.kind == Keystroke::Kind::kCharacter &&
         IsWatchedMessage(kWmChar, static_cast<uint16_t>(key.text[0]));
}

// What the editor alone does with the keystroke.
Module EditorAlone(const std::vector<std::wstring>& before, Selection selection,
                   const Keystroke& key) {
  Module module(before);
  switch (key.kind) {
    case Keystroke::Kind::kCharacter:
      for (wchar_t unit : key.text) {
        ApplyEditorMessage(module, selection, kWmChar, static_cast<uint16_t>(unit));
      }
      break;
    case Keystroke::Kind::kTab:
      ApplyEditorMessage(module, selection, kWmKeyDown, kVkTab);
      break;
    default:
      break;
  }
  return module;
}

// Does `after` differ from `before` only by spaces inserted at one place?
bool SpacesInserted(const std::wstring& before, const std::wstring& after) {
  if (after.size() < before.size()) {
    return false;
  }
  size_t head = 0;
  while (head < before.size() && before[head] == after[head]) {
    ++head;
  }
  const size_t added = after.size() - before.size();
  for (size_t i = head; i < head + added; ++i) {
    if (after[i] != L' ') {
      return false;
    }
  }
  return after.compare(head + added, std::wstring::npos, before, head) == 0;
}

void CheckTab(const std::vector<std::wstring>& before, const Selection& selection,
              const Keystroke& key, const Module& after) {
  if (after.Lines() == EditorAlone(before, selection, key).Lines()) {
    return;
  }
  if (after.Lines().size() != before.size()) {
    Fail("Tab changed the number of lines", key);
  }
  int changed = 0;
  for (size_t i = 0; i < before.size(); ++i) {
    if (before[i] == after.Lines()[i]) {
      continue;
    }
    ++changed;
    if (!SpacesInserted(before[i], after.Lines()[i])) {
      Fail("Tab changed a line by more than spaces", key);
    }
  }
  if (changed > 1) {
    Fail("Tab changed more than one line", key);
  }
}

// Line breaks as the editor counts them when it inserts text: CR LF, CR or LF.
int64_t LineBreaks(const std::wstring& text) {
  int64_t breaks = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\n' || (text[i] == L'\r' && (i + 1 == text.size() || text[i + 1] != L'\n'))) {
      ++breaks;
    }
  }
  return breaks;
}

void CheckWatchedEdit(const std::vector<std::wstring>& before, const Selection& selection,
                      const Keystroke& key, const Module& after) {
  const auto& lines = after.Lines();
  const int64_t n = static_cast<int64_t>(before.size());
  const int64_t m = static_cast<int64_t>(lines.size());
  const int64_t low = std::min<int64_t>(selection.startLine, n + 1);  // first line that may change
  const int64_t high = std::min<int64_t>(std::max(selection.endLine, selection.startLine + 1), n);
  const int64_t keptAbove = low - 1;
  const int64_t keptBelow = n - high;
  if (m < keptAbove + keptBelow) {
    Fail("lines outside the caret's reach were removed", key);
  }
  for (int64_t i = 0; i < keptAbove; ++i) {
    if (lines[i] != before[i]) {
      Fail("a line above the caret line changed", key);
    }
  }
  for (int64_t i = 1; i <= keptBelow; ++i) {
    if (lines[m - i] != before[n - i]) {
      Fail("a line below the caret's reach changed", key);
    }
  }
  int64_t plain = 0;
  for (int64_t i = keptAbove; i < m - keptBelow; ++i) {
    if (FindCommentMarker(lines[i]) == std::wstring::npos) {
      ++plain;
    }
  }
  // The editor always has a caret line, even in an empty module; each line
  // break that a composition commits starts one more.
  const int64_t span = std::max<int64_t>(high - low + 1, 1) + LineBreaks(key.text);
  if (plain > span + 1) {
    Fail("lines other than documentation lines were added", key);
  }
}

void CheckKeystroke(const std::vector<std::wstring>& before, const Selection& selection,
                    const Keystroke& key, const KeystrokeReport& report, const Module& after) {
  switch (key.kind) {
    case Keystroke::Kind::kCaret:
    case Keystroke::Kind::kSelect:
      if (after.Lines() != before) {
        Fail("a click changed the text", key);
      }
      return;
    default:
      break;
  }
  if (report.editorReceived > 1) {
    Fail("the editor received the keystroke twice", key);
  }
  if (!report.consumed && report.editorReceived != 1) {
    Fail("a keystroke that was not consumed did not reach the editor", key);
  }
  if (key.kind == Keystroke::Kind::kCharacter && !IsWatchedCharacter(key)) {
    if (report.consumed || after.Lines() != EditorAlone(before, selection, key).Lines()) {
      Fail("an unwatched character did more than the editor does", key);
    }
    return;
  }
  if (key.kind == Keystroke::Kind::kTab) {
    CheckTab(before, selection, key, after);
    return;
  }
  CheckWatchedEdit(before, selection, key, after);
}

}  // namespace
}  // namespace tarnwick::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarnwick;
  using namespace tarnwick::fuzz;
  FuzzedDataProvider input(data, size);

  // The one piece of engine state that outlives a message starts fresh.
  lineBeforeComposition = input.ConsumeBool() ? std::wstring() : MakeLine(input, 3);

  std::vector<std::wstring> lines(input.ConsumeIntegralInRange<size_t>(0, 12));
  for (std::wstring& line : lines) {
    line = MakeLine(input, 6);
  }
  SimulatedCodeWindow window(lines);
  window.Select(PickSelection(input, static_cast<int32_t>(lines.size())));

  const int keystrokes = input.ConsumeIntegralInRange(1, 8);
  for (int i = 0; i < keystrokes && input.remaining_bytes() > 0; ++i) {
    const Keystroke key = PickKeystroke(input, window.GetModule().LineCount());
    // The fault plan: none, or the k-th pane call of this keystroke fails.
    const int64_t failAt = input.ConsumeBool() ? 0 : input.ConsumeIntegralInRange<int64_t>(1, 40);

    const std::vector<std::wstring> before = window.GetModule().Lines();
    const Selection selection = window.GetModule().Clamp(window.CurrentSelection());
    const Selection asItStands = window.CurrentSelection();
    window.Pane().FailAtCall(failAt);
    KeystrokeReport report;
    try {
      report = window.Press(key);
    } catch (...) {
      context = {&before, &window.GetModule(), selection, report};
      Fail("an exception left the keystroke path", key);
    }
    window.Pane().FailAtCall(0);
    context = {&before, &window.GetModule(), selection, report};
    CheckKeystroke(before, selection, key, report, window.GetModule());
    if (failAt == 0) {
      // The keystroke's read cache changes the calls, never what they do.
      SimulatedCodeWindow direct(before);
      direct.EditorSelection() = asItStands;
      direct.SetReadCache(false);
      const KeystrokeReport reference = direct.Press(key);
      if (direct.GetModule().Lines() != window.GetModule().Lines() ||
          direct.CurrentSelection() != window.CurrentSelection() ||
          reference.consumed != report.consumed) {
        Fail("the read cache changed what the keystroke did", key);
      }
    }
  }
  return 0;
}
