#include <gtest/gtest.h>

#include <exception>

#include "simulator/memory_pane.h"

namespace tarnwick {
namespace {

struct TenLines {
  Module module{{L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8", L"9", L"10"}};
  Selection selection;
  MemoryPane pane{module, selection};
  VisualBasicEditor& editor = pane;
};

TEST(MemoryPane, RangeChecksMatchTheEditor) {
  TenLines t;
  std::wstring text = L"old";
  std::vector<std::wstring> lines{L"old"};
  EXPECT_EQ(t.editor.GetLineCount(), 11);
  t.editor.GetLine(11, text);  // the line after the last passes and reads empty
  EXPECT_EQ(text, L"");
  t.editor.GetLine(0, text);
  EXPECT_EQ(text, L"");
  t.editor.GetLine(10, text);
  EXPECT_EQ(text, L"10");
  EXPECT_THROW(t.editor.GetLine(12, text), std::bad_exception);
  EXPECT_THROW(t.editor.GetLine(-1, text), std::bad_exception);
  t.editor.GetLines(8, 3, lines);
  EXPECT_EQ(lines, (std::vector<std::wstring>{L"8", L"9", L"10"}));
  EXPECT_THROW(t.editor.GetLines(9, 3, lines), std::bad_exception);
  EXPECT_THROW(t.editor.GetLines(-1, 1, lines), std::bad_exception);
  EXPECT_THROW(t.editor.ReplaceLine(11, L"x"), std::bad_exception);
  EXPECT_EQ(lines.size(), 3u);  // untouched by the failures
}

TEST(MemoryPane, EmptyModuleHasNoLines) {
  Module module;
  Selection selection;
  MemoryPane pane(module, selection);
  EXPECT_EQ(pane.GetLineCount(), 1);
  std::wstring text;
  pane.GetLine(1, text);
  EXPECT_EQ(text, L"");
}

TEST(MemoryPane, SelectionReadsOnlyWhatIsAskedAndClamps) {
  TenLines t;
  t.editor.SetCaret(5, 7);  // line "5" is one character long
  int32_t column = -9;
  int32_t line = -9;
  t.editor.GetSelection(nullptr, &column, nullptr, nullptr);
  EXPECT_EQ(column, 2);
  t.editor.GetSelection(&line, nullptr, nullptr, nullptr);
  EXPECT_EQ(line, 5);
  EXPECT_EQ(t.selection, (Selection{5, 2, 5, 2}));
  EXPECT_THROW(t.editor.GetSelection(nullptr, nullptr, nullptr, nullptr), std::bad_exception);
  t.editor.SetSelection(2, 1, 3, 2);
  EXPECT_EQ(t.selection, (Selection{2, 1, 3, 2}));
}

TEST(MemoryPane, ProcedureQuestionsGoThroughTheInterface) {
  Module module({L"Dim x", L"' doc", L"Sub Run()", L"    x = 1", L"End Sub"});
  Selection selection;
  MemoryPane pane(module, selection);
  VisualBasicEditor& editor = pane;
  EXPECT_FALSE(editor.IsInProcBody(1));  // no procedure: GetProcBodyLine is not asked
  EXPECT_EQ(pane.Calls(PaneOperation::kGetProcBodyLine), 0);
  EXPECT_FALSE(editor.IsInProcBody(2));  // above the declaration
  EXPECT_TRUE(editor.IsInProcBody(3));
  EXPECT_TRUE(editor.IsInProcBody(4));
  std::wstring name = L"stale";
  int32_t kind = 42;
  editor.GetProcOfLine(1, name, &kind);
  EXPECT_EQ(name, L"");
  EXPECT_EQ(kind, 42);
  EXPECT_THROW(editor.GetProcBodyLine(L"Nope", 0), std::bad_exception);
  EXPECT_THROW(editor.GetProcBodyLine(L"Run", 3), std::bad_exception);
}

TEST(MemoryPane, CountsOuterAndInnerCalls) {
  TenLines t;
  t.editor.SetCaret(1, 1);   // SetCaret + SetSelection
  t.editor.IsInProcBody(1);  // IsInProcBody + GetProcOfLine (no procedure)
  t.editor.GetLineCount();
  EXPECT_EQ(t.pane.EngineCalls(), 3);
  EXPECT_EQ(t.pane.TotalCalls(), 5);
  EXPECT_EQ(t.pane.Calls(PaneOperation::kSetSelection), 1);
  EXPECT_EQ(t.pane.CallLog().front(), PaneOperation::kSetCaret);
  t.pane.ResetCounts();
  EXPECT_EQ(t.pane.TotalCalls(), 0);
  EXPECT_TRUE(t.pane.CallLog().empty());
}

TEST(MemoryPane, InjectedFailureFiresOnceAtTheNumberedCall) {
  TenLines t;
  t.pane.FailAtCall(2);  // SetCaret's inner SetSelection
  EXPECT_THROW(t.editor.SetCaret(4, 1), std::bad_exception);
  EXPECT_TRUE(t.pane.InjectedFailureFired());
  EXPECT_EQ(t.selection, (Selection{1, 1, 1, 1}));  // nothing was set
  t.editor.SetCaret(4, 1);                          // disarmed after firing
  EXPECT_EQ(t.selection.startLine, 4);

  t.pane.FailAtCall(2);  // IsInProcBody's GetProcOfLine answers "no procedure"
  EXPECT_FALSE(t.editor.IsInProcBody(1));
  EXPECT_TRUE(t.pane.InjectedFailureFired());
}

}  // namespace
}  // namespace tarnwick
