// The keystroke's read cache answers every read exactly as the pane under it
// does, in fewer calls, and never asks the editor for a run past the end.
#include <gtest/gtest.h>

#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "engine/keystroke_read_cache.h"
#include "simulator/memory_pane.h"

namespace tarnwick {
namespace {

using Lines = std::vector<std::wstring>;

// The editor's batched read as a strict editor answers it: a run of more than
// one line must lie inside the module.
struct StrictRuns final : LineRunSource {
  explicit StrictRuns(MemoryPane& pane, const Module& module) : pane(pane), module(module) {}
  std::wstring ReadLineRun(int32_t startLine, int32_t count) override {
    if (count > 1) {
      EXPECT_GE(startLine, 1);
      EXPECT_LE(int64_t{startLine} + count - 1, module.LineCount()) << "a run past the end";
    }
    return pane.ReadLineRun(startLine, count);
  }
  MemoryPane& pane;
  const Module& module;
};

struct Cached {
  explicit Cached(Lines lines) : module(std::move(lines)) {}
  Module module;
  Selection selection;
  MemoryPane pane{module, selection};
  StrictRuns runs{pane, module};
  KeystrokeReadCache cache{pane, runs};
};

Lines Numbered(int count) {
  Lines lines;
  for (int i = 1; i <= count; ++i) {
    lines.push_back(L"line " + std::to_wstring(i));
  }
  return lines;
}

// Reads `order` through the cache and directly, and compares; a line the pane
// refuses must be refused by the cache too.
void ExpectSameAnswers(Cached& c, const std::vector<int32_t>& order, const char* what) {
  for (const int32_t line : order) {
    std::wstring direct = L"unset";
    bool directFails = false;
    try {
      c.pane.GetLine(line, direct);
    } catch (const std::bad_exception&) {
      directFails = true;
    }
    std::wstring cached = L"unset";
    if (directFails) {
      EXPECT_THROW(c.cache.GetLine(line, cached), std::bad_exception) << what << " line " << line;
    } else {
      c.cache.GetLine(line, cached);
      EXPECT_EQ(cached, direct) << what << " line " << line;
    }
  }
}

std::vector<int32_t> Walk(int32_t from, int32_t to) {
  std::vector<int32_t> order;
  for (int32_t line = from; from <= to ? line <= to : line >= to; from <= to ? ++line : --line) {
    order.push_back(line);
  }
  return order;
}

TEST(KeystrokeReadCache, EveryLineReadsAsThePaneAnswersIt) {
  struct Case {
    const char* what;
    Lines lines;
  };
  const Case cases[] = {
      {"empty module", {}},
      {"one line", {L"only"}},
      {"a lone CR at an end, alone, at a start",
       {L"a\r", L"\r", L"\rb", L"", L"c\r", L"\nd", L"e"}},
      {"a NUL inside a line", {L"one", std::wstring(L"ab\0cd", 5), L"three", L"four"}},
      {"a CR LF inside a line", {L"one", L"p\r\nq", L"three", L"four", L"five"}},
      {"300 lines", Numbered(300)},
  };
  for (const Case& c : cases) {
    const auto count = static_cast<int32_t>(c.lines.size());
    const int32_t middle = (count + 1) / 2;
    const std::vector<std::vector<int32_t>> orders = {
        Walk(-1, count + 2),
        Walk(count + 2, -1),
        Walk(middle, 0),
    };
    for (const std::vector<int32_t>& order : orders) {
      Cached cached(c.lines);
      std::vector<int32_t> all = order;
      if (order.front() == middle) {  // then down from the middle
        const std::vector<int32_t> down = Walk(middle, count + 1);
        all.insert(all.end(), down.begin(), down.end());
      }
      ExpectSameAnswers(cached, all, c.what);
      // What a keystroke reads twice costs nothing the second time.
      const int64_t reads = cached.pane.Calls(PaneOperation::kReadLineRun);
      ExpectSameAnswers(cached, all, c.what);
      EXPECT_EQ(cached.pane.Calls(PaneOperation::kReadLineRun), reads) << c.what;
      EXPECT_LE(cached.pane.Calls(PaneOperation::kGetLineCount), 1) << c.what;
    }
  }
}

TEST(KeystrokeReadCache, AWalkCostsAtMostOneCallPer64Lines) {
  for (const int lines : {64, 1000, 10000}) {
    Cached c(Numbered(lines));
    std::wstring text;
    c.cache.GetLine(lines / 2, text);
    c.pane.ResetCounts();
    for (const int32_t line : Walk(lines / 2, 1)) {
      c.cache.GetLine(line, text);
    }
    for (const int32_t line : Walk(1, lines)) {
      c.cache.GetLine(line, text);
    }
    // The second line read alone, then the line count, then the runs.
    EXPECT_LE(c.pane.TotalCalls(), 2 + (lines * 3 / 2 + 63) / 64) << lines << " lines";
    EXPECT_EQ(c.pane.Calls(PaneOperation::kGetLineCount), 1) << lines << " lines";
  }
}

TEST(KeystrokeReadCache, OwnWritesKeepTheLinesAndTheCountRight) {
  struct Case {
    const char* what;
    int32_t line;
    std::wstring text;
    bool countAskedAgain;
  };
  // Lines 39 .. 102 are held as a run, lines 2 and 3 alone.
  const Case cases[] = {
      {"inside the run", 50, L"a\nb\nc", false},
      {"above the run", 5, L"x\ny", false},
      {"a line held alone", 3, L"z\n", false},
      {"below the run", 150, L"tail\nend", false},
      {"text after a NUL is not written", 60, std::wstring(L"kept\nkept\0lost\nlost", 19), false},
      {"a CR: the editor's to place", 70, L"r\rs", true},
  };
  for (const Case& c : cases) {
    Cached cached(Numbered(200));
    std::wstring text;
    for (const int32_t line : {3, 2, 71}) {
      cached.cache.GetLine(line, text);
    }
    ASSERT_EQ(cached.cache.GetLineCount(), 201);
    cached.cache.ReplaceLine(c.line, c.text);
    cached.pane.ResetCounts();
    EXPECT_EQ(cached.cache.GetLineCount(), cached.module.LineCount() + 1) << c.what;
    EXPECT_EQ(cached.pane.Calls(PaneOperation::kGetLineCount), c.countAskedAgain ? 1 : 0) << c.what;
    ExpectSameAnswers(cached, Walk(0, cached.module.LineCount() + 1), c.what);
  }
}

TEST(KeystrokeReadCache, AFailedReadFailsAndTheSelectionIsAskedAfterEachWrite) {
  Cached c(Numbered(100));
  std::wstring text = L"kept";
  c.pane.FailAtCall(1);  // a line read alone
  EXPECT_THROW(c.cache.GetLine(50, text), std::bad_exception);
  c.cache.GetLine(50, text);
  c.pane.FailAtCall(2);  // the run after the line count
  EXPECT_THROW(c.cache.GetLine(49, text), std::bad_exception);
  EXPECT_EQ(text, L"line 50");
  c.cache.GetLine(49, text);
  EXPECT_EQ(text, L"line 49");

  int32_t line = 0;
  int32_t column = 0;
  c.pane.ResetCounts();
  c.cache.GetSelection(&line, &column, nullptr, nullptr);
  c.cache.GetSelection(nullptr, &column, nullptr, nullptr);
  EXPECT_THROW(c.cache.GetSelection(nullptr, nullptr, nullptr, nullptr), std::bad_exception);
  EXPECT_EQ(c.pane.Calls(PaneOperation::kGetSelection), 1);
  c.cache.SetCaret(3, 99);  // the editor clamps the column
  c.cache.GetSelection(nullptr, &column, nullptr, nullptr);
  EXPECT_EQ(column, 7);
  c.cache.ReplaceLine(3, L"x");
  c.cache.GetSelection(nullptr, &column, nullptr, nullptr);
  EXPECT_EQ(column, 2);
  EXPECT_EQ(c.pane.Calls(PaneOperation::kGetSelection), 3);
}

// The editor settles the line that the caret leaves (it recases it, or adds
// an End Sub below it): what was read before such a move is read again, and a
// move along the caret's line keeps it.
TEST(KeystrokeReadCache, ACaretThatLeavesItsLineReadsTheTextAgain) {
  struct Case {
    const char* what;
    Selection before;  // the selection the cache has read
    int32_t toLine;
    bool readAgain;
  };
  const Case cases[] = {
      {"along the caret's line", {40, 3, 40, 3}, 40, false},
      {"to another line", {40, 3, 40, 3}, 39, true},
      {"from a selection of two lines", {40, 3, 41, 1}, 40, true},
  };
  for (const Case& c : cases) {
    Cached cached(Numbered(100));
    cached.selection = c.before;
    std::wstring text;
    int32_t line = 0;
    cached.cache.GetSelection(&line, nullptr, nullptr, nullptr);
    for (const int32_t at : {40, 41, 42}) {
      cached.cache.GetLine(at, text);
    }
    ASSERT_EQ(cached.cache.GetLineCount(), 101);
    cached.cache.SetCaret(c.toLine, 1);
    cached.module.SetLine(40, L"Line 40");
    cached.module.InsertLine(41, L"End Sub");
    cached.pane.ResetCounts();
    cached.cache.GetLine(40, text);
    EXPECT_EQ(text, c.readAgain ? L"Line 40" : L"line 40") << c.what;
    EXPECT_EQ(cached.cache.GetLineCount(), c.readAgain ? 102 : 101) << c.what;
    EXPECT_EQ(cached.pane.TotalCalls(), c.readAgain ? 2 : 0) << c.what;
  }
  Cached unknown(Numbered(10));  // no selection read: where the caret was is not known
  std::wstring text;
  unknown.cache.GetLine(5, text);
  unknown.cache.SetCaret(5, 2);
  unknown.module.SetLine(5, L"Line 5");
  unknown.cache.GetLine(5, text);
  EXPECT_EQ(text, L"Line 5");
}

}  // namespace
}  // namespace tarnwick
