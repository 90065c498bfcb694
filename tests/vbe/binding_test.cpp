// The code pane binding, checked against what the simulated editor was asked.
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "tests/vbe/com_fixture.h"
#include "vbe/visual_basic_editor_vba.h"

namespace tarnwick::test {
namespace {

using Calls_ = std::vector<std::wstring>;

class BindingTest : public ComModelTest {
 protected:
  BindingTest() {
    module = Module({L"Option Explicit",              // 1
                     L"",                             // 2
                     L"' Runs it.",                   // 3  owned by Run, above its declaration
                     L"Sub Run()",                    // 4
                     L"    x = 1",                    // 5
                     L"End Sub",                      // 6
                     L"",                             // 7
                     L"Property Get Size() As Long",  // 8
                     L"End Property",                 // 9
                     L""});                           // 10
  }
  void TearDown() override {
    binding.reset();
    ComModelTest::TearDown();
  }
  // Binds to the active pane and forgets the construction's two calls.
  VisualBasicEditorVBA& Bind() {
    binding.emplace(model.Vbe());
    model.Log().Clear();
    return *binding;
  }

  std::optional<VisualBasicEditorVBA> binding;
};

TEST_F(BindingTest, ConstructionAsksForThePaneAndItsModule) {
  binding.emplace(model.Vbe());
  EXPECT_EQ(Calls(), (Calls_{L"VBE.ActiveCodePane", L"CodePane.CodeModule"}));
  // One reference more on each object while bound; TearDown sees them return.
  EXPECT_EQ(model.Pane().References(), 3);  // the model, the VBE and the binding
}

TEST_F(BindingTest, ConstructionWithoutAnActivePaneThrowsAndKeepsNoReference) {
  model.SetPaneActive(false);
  EXPECT_THROW(VisualBasicEditorVBA{model.Vbe()}, std::bad_exception);
  EXPECT_EQ(Calls(), Calls_{L"VBE.ActiveCodePane"});
  model.SetPaneActive(true);

  model.Log().FailInvoke(2, E_FAIL);  // CodePane.CodeModule fails
  EXPECT_THROW(VisualBasicEditorVBA{model.Vbe()}, std::bad_exception);
}

TEST_F(BindingTest, LineCountIsOneCountOfLinesCallPlusOne) {
  EXPECT_EQ(Bind().GetLineCount(), 11);
  EXPECT_EQ(Calls(), Calls_{L"CodeModule.CountOfLines"});
}

TEST_F(BindingTest, GetLineChecksTheRangeAgainstTheCountFirst) {
  VisualBasicEditorVBA& pane = Bind();
  std::wstring text = L"old";
  pane.GetLine(4, text);
  EXPECT_EQ(text, L"Sub Run()");
  pane.GetLine(11, text);  // one past the last line reaches the editor
  EXPECT_EQ(text, L"");
  EXPECT_EQ(Calls(), (Calls_{L"CodeModule.CountOfLines", L"CodeModule.Lines(4, 1)",
                             L"CodeModule.CountOfLines", L"CodeModule.Lines(11, 1)"}));

  model.Log().Clear();
  EXPECT_THROW(pane.GetLine(12, text), std::bad_exception);
  EXPECT_EQ(Calls(), Calls_{L"CodeModule.CountOfLines"});
  model.Log().Clear();
  EXPECT_THROW(pane.GetLine(-1, text), std::bad_exception);
  EXPECT_EQ(Calls(), Calls_{});
}

TEST_F(BindingTest, StringsFromTheEditorEndAtTheirFirstNul) {
  module.SetLine(5, std::wstring(L"ab\0cd", 5));
  std::wstring text;
  Bind().GetLine(5, text);
  EXPECT_EQ(text, L"ab");
}

// The read cache's batched read: one call, nothing checked first, the lines
// joined with CR LF and each cut at its NUL as GetLine cuts a line.
TEST_F(BindingTest, ReadLineRunIsOneUncheckedCallOfLines) {
  module.SetLine(5, std::wstring(L"ab\0cd", 5));
  VisualBasicEditorVBA& pane = Bind();
  EXPECT_EQ(pane.ReadLineRun(4, 3), L"Sub Run()\r\nab\r\nEnd Sub");
  EXPECT_EQ(pane.ReadLineRun(5, 1), L"ab");
  EXPECT_EQ(pane.ReadLineRun(11, 1), L"");  // the editor's answer decides
  EXPECT_THROW(pane.ReadLineRun(12, 1), std::bad_exception);
  EXPECT_EQ(Calls(), (Calls_{L"CodeModule.Lines(4, 3)", L"CodeModule.Lines(5, 1)",
                             L"CodeModule.Lines(11, 1)", L"CodeModule.Lines(12, 1)"}));
}

TEST_F(BindingTest, GetLinesChecksTheRunAndKeepsEachCr) {
  VisualBasicEditorVBA& pane = Bind();
  std::vector<std::wstring> lines{L"stale"};
  pane.GetLines(8, 3, lines);  // ends on the last line: accepted
  EXPECT_EQ(lines,
            (std::vector<std::wstring>{L"Property Get Size() As Long\r", L"End Property\r", L""}));
  EXPECT_THROW(pane.GetLines(9, 3, lines), std::bad_exception);
  // A count so large that the end would wrap round to a negative line.
  EXPECT_THROW(pane.GetLines(2, INT_MAX, lines), std::bad_exception);
  EXPECT_EQ(Calls(), (Calls_{L"CodeModule.CountOfLines", L"CodeModule.Lines(8, 3)",
                             L"CodeModule.CountOfLines", L"CodeModule.CountOfLines"}));

  module = Module({L"x", L"", L"y"});
  pane.GetLines(1, 3, lines);
  EXPECT_EQ(lines, (std::vector<std::wstring>{L"x\r", L"\r", L"y"}));
}

TEST_F(BindingTest, GetSelectionAsksForAllFourAndWritesOnlyWhatIsWanted) {
  selection = {4, 2, 5, 3};
  VisualBasicEditorVBA& pane = Bind();
  int32_t column = 0;
  pane.GetSelection(nullptr, &column, nullptr, nullptr);
  EXPECT_EQ(column, 2);
  EXPECT_EQ(Calls(), Calls_{L"CodePane.GetSelection(&0, &0, &0, &0)"});

  model.Log().Clear();
  EXPECT_THROW(pane.GetSelection(nullptr, nullptr, nullptr, nullptr), std::bad_exception);
  EXPECT_EQ(Calls(), Calls_{});

  int32_t line = -7;
  model.Log().FailInvoke(1, E_FAIL);
  EXPECT_THROW(pane.GetSelection(&line, nullptr, nullptr, nullptr), std::bad_exception);
  EXPECT_EQ(line, -7) << "outputs stay untouched on failure";
}

TEST_F(BindingTest, SetCaretIsExactlyOneSetSelection) {
  Bind().SetCaret(3, 9);
  EXPECT_EQ(Calls(), Calls_{L"CodePane.SetSelection(3, 9, 3, 9)"});
  EXPECT_EQ(selection, (Selection{3, 9, 3, 9}));
}

TEST_F(BindingTest, ProcOfLineTakesTheFirstTryThatAnswers) {
  VisualBasicEditorVBA& pane = Bind();
  model.Log().FailInvoke(1, E_FAIL);
  std::wstring name = L"stale";
  int32_t kind = -1;
  pane.GetProcOfLine(8, name, &kind);
  EXPECT_EQ(name, L"Size");
  EXPECT_EQ(kind, 3) << "the kind the editor wrote back, not the preset passed in";
  EXPECT_EQ(Calls(), (Calls_{L"CodeModule.ProcOfLine(8, &0)", L"CodeModule.ProcOfLine(8, &1)"}));
  EXPECT_EQ(model.Log().Calls()[0].result, E_FAIL);
}

TEST_F(BindingTest, ProcOfLineThatNeverAnswersGivesNoNameAndNoFailure) {
  VisualBasicEditorVBA& pane = Bind();
  std::wstring name = L"stale";
  int32_t kind = -1;
  EXPECT_NO_THROW(pane.GetProcOfLine(99, name, &kind));  // the editor rejects the line
  EXPECT_EQ(name, L"");
  EXPECT_EQ(kind, -1);
  EXPECT_EQ(Calls(), (Calls_{L"CodeModule.ProcOfLine(99, &0)", L"CodeModule.ProcOfLine(99, &1)",
                             L"CodeModule.ProcOfLine(99, &2)", L"CodeModule.ProcOfLine(99, &3)"}));
}

TEST_F(BindingTest, IsInProcBodyAsksForTheBodyLineOnlyWhenALineHasAnOwner) {
  VisualBasicEditorVBA& pane = Bind();
  EXPECT_FALSE(pane.IsInProcBody(1));  // declarations section
  EXPECT_EQ(Calls(), Calls_{L"CodeModule.ProcOfLine(1, &0)"});

  model.Log().Clear();
  EXPECT_FALSE(pane.IsInProcBody(3));  // comment above Run, owned by Run
  EXPECT_TRUE(pane.IsInProcBody(4));   // Run's declaration
  EXPECT_TRUE(pane.IsInProcBody(9));
  EXPECT_EQ(Calls(),
            (Calls_{L"CodeModule.ProcOfLine(3, &0)", L"CodeModule.ProcBodyLine(\"Run\", 0)",
                    L"CodeModule.ProcOfLine(4, &0)", L"CodeModule.ProcBodyLine(\"Run\", 0)",
                    L"CodeModule.ProcOfLine(9, &0)", L"CodeModule.ProcBodyLine(\"Size\", 3)"}));
}

TEST_F(BindingTest, ReplaceLineSendsTheTextUpToItsFirstNul) {
  VisualBasicEditorVBA& pane = Bind();
  pane.ReplaceLine(7, std::wstring(L"''' a\n''' b\0tail", 16));
  EXPECT_EQ(Calls(), Calls_{L"CodeModule.ReplaceLine(7, \"''' a\n''' b\")"});
  EXPECT_EQ(module.Line(7), L"''' a");
  EXPECT_EQ(module.Line(8), L"''' b");
  EXPECT_EQ(module.Line(9), L"Property Get Size() As Long");
}

TEST_F(BindingTest, EveryFailedEditorCallThrowsBadException) {
  VisualBasicEditorVBA& pane = Bind();
  model.Log().FailInvoke(1, E_UNEXPECTED);
  EXPECT_THROW(pane.GetLineCount(), std::bad_exception);
  EXPECT_THROW(pane.ReplaceLine(40, L"x"), std::bad_exception);        // editor error
  EXPECT_THROW(pane.GetProcBodyLine(L"Gone", 0), std::bad_exception);  // unknown procedure
  model.Log().FailInvoke(1, E_FAIL);
  EXPECT_THROW(pane.SetSelection(1, 1, 1, 1), std::bad_exception);
}

TEST_F(BindingTest, MemberNumbersAreLookedUpOnceForTheProcess) {
  std::wstring text;
  {
    VisualBasicEditorVBA first(model.Vbe());
    first.GetLine(1, text);
    first.SetCaret(1, 1);
  }
  EXPECT_EQ(model.Log().NameLookups(), 5);  // ActiveCodePane, CodeModule, CountOfLines, ...
  model.Log().Clear();

  VisualBasicEditorVBA second(model.Vbe());
  second.GetLine(1, text);
  second.SetCaret(1, 1);
  EXPECT_EQ(model.Log().NameLookups(), 0);
}

TEST_F(BindingTest, AStaleMemberNumberIsLookedUpAgainOnce) {
  VisualBasicEditorVBA& pane = Bind();
  EXPECT_EQ(pane.GetLineCount(), 11);  // caches CountOfLines
  model.ShiftDispatchIds(0x100);
  model.Log().Clear();

  EXPECT_EQ(pane.GetLineCount(), 11);
  EXPECT_EQ(model.Log().NameLookups(), 1);
  ASSERT_EQ(model.Log().Calls().size(), 2u);
  EXPECT_EQ(model.Log().Calls()[0].result, DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(model.Log().Calls()[1].result, S_OK);

  model.Log().Clear();
  EXPECT_EQ(pane.GetLineCount(), 11);
  EXPECT_EQ(model.Log().NameLookups(), 0) << "the new number is kept";

  // A member still missing after the second look is a failure, not a loop.
  model.Log().FailInvoke(1, DISP_E_MEMBERNOTFOUND, 2);
  EXPECT_THROW(pane.GetLineCount(), std::bad_exception);
  EXPECT_EQ(model.Log().Calls().size(), 3u);
  EXPECT_EQ(model.Log().NameLookups(), 1);
}

}  // namespace
}  // namespace tarnwick::test
