// The shared keystroke tables once more, with each watched message bound to the
// simulated editor's objects through VisualBasicEditorVBA, behind the
// keystroke's read cache, as the add-in binds the real editor's.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "simulator/com/object_model.h"
#include "simulator/keys.h"
#include "simulator/simulated_code_window.h"
#include "tests/cases/caret_text.h"
#include "tests/cases/keystroke_cases.h"
#include "vbe/visual_basic_editor_vba.h"

namespace tarnwick::test {
namespace {

// A simulated code window whose panes are bindings over the object model.
struct ComWindow {
  explicit ComWindow(const CaretText& text) : window(text.lines) {
    window.Select({text.line, text.column, text.line, text.column});
    window.SetPaneBinder(
        [this](const PaneUse& use) {
          VisualBasicEditorVBA pane(model.Vbe());
          use(pane);
        },
        [this] { return model.Log().InvokeCount(); });
    vbeStart = model.VbeObj().References();
    paneStart = model.Pane().References();
    moduleStart = model.CodeModule().References();
  }
  void ExpectReferencesBalanced(const char* name) const {
    EXPECT_EQ(model.VbeObj().References(), vbeStart) << name;
    EXPECT_EQ(model.Pane().References(), paneStart) << name;
    EXPECT_EQ(model.CodeModule().References(), moduleStart) << name;
  }

  SimulatedCodeWindow window;
  SimulatedObjectModel model{window.GetModule(), window.EditorSelection()};
  LONG vbeStart = 0, paneStart = 0, moduleStart = 0;
};

class KeystrokeTableThroughCom : public testing::TestWithParam<KeystrokeCase> {};

TEST_P(KeystrokeTableThroughCom, ProducesTheExpectedTextAndCaret) {
  const KeystrokeCase& c = GetParam();
  const CaretText before = ParseCaretText(c.before);
  const CaretText expected = ParseCaretText(c.after);

  ComWindow com(before);
  const std::vector<KeystrokeReport> reports = com.window.Play(ParseKeys(c.keys));

  const Selection& caret = com.window.CurrentSelection();
  const bool same = com.window.GetModule().Lines() == expected.lines && caret.IsCaret() &&
                    caret.startLine == expected.line && caret.startColumn == expected.column;
  EXPECT_TRUE(same) << c.name << "\nkeys: " << c.keys << "\nexpected:\n"
                    << RenderCaretText(expected.lines, expected.line, expected.column)
                    << "actual:\n"
                    << RenderCaretText(com.window.GetModule().Lines(), caret.startLine,
                                       caret.startColumn);
  for (const KeystrokeReport& report : reports) {
    EXPECT_EQ(report.failuresStopped, 0) << c.name;
    if (report.editorReceived >= 0) {
      EXPECT_LE(report.editorReceived, 1) << c.name;
    }
  }
  com.ExpectReferencesBalanced(c.name);
}

std::string CaseName(const testing::TestParamInfo<KeystrokeCase>& info) {
  return "case" + std::to_string(info.index);
}

INSTANTIATE_TEST_SUITE_P(Shared, KeystrokeTableThroughCom, testing::ValuesIn(KeystrokeCases()),
                         CaseName);

// A failing editor call in the middle of a keystroke is stopped by the
// window's failure policy: the editor still gets the key once, and every
// reference the binding took is given back.
TEST(KeystrokeCostThroughCom, AFailedEditorCallIsStoppedAndReleasesTheBinding) {
  const CaretText before = ParseCaretText("''^\nSub Init()\nEnd Sub");
  ComWindow com(before);
  com.model.Log().FailInvoke(4, E_FAIL);
  const std::vector<KeystrokeReport> reports = com.window.Play(ParseKeys("'"));
  EXPECT_EQ(reports.back().failuresStopped, 1);
  EXPECT_EQ(reports.back().editorReceived, 1);
  EXPECT_EQ(com.window.GetModule().Line(1), L"'''");
  com.ExpectReferencesBalanced("failure");
}

}  // namespace
}  // namespace tarnwick::test
