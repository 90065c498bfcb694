// Runs every shared keystroke case through the simulated code window.
#include <gtest/gtest.h>

#include <string>

#include "simulator/keys.h"
#include "simulator/simulated_code_window.h"
#include "tests/cases/caret_text.h"
#include "tests/cases/keystroke_cases.h"

namespace tarnwick {
namespace {

class KeystrokeTable : public testing::TestWithParam<KeystrokeCase> {};

TEST_P(KeystrokeTable, ProducesTheExpectedTextAndCaret) {
  const KeystrokeCase& c = GetParam();
  const CaretText before = ParseCaretText(c.before);
  const CaretText expected = ParseCaretText(c.after);

  SimulatedCodeWindow window(before.lines);
  window.Select({before.line, before.column, before.line, before.column});
  const std::vector<KeystrokeReport> reports = window.Play(ParseKeys(c.keys));

  const Selection& caret = window.CurrentSelection();
  const bool same = window.GetModule().Lines() == expected.lines && caret.IsCaret() &&
                    caret.startLine == expected.line && caret.startColumn == expected.column;
  EXPECT_TRUE(same) << c.name << "\nkeys: " << c.keys << "\nbefore:\n"
                    << RenderCaretText(before.lines, before.line, before.column) << "expected:\n"
                    << RenderCaretText(expected.lines, expected.line, expected.column)
                    << "actual:\n"
                    << RenderCaretText(window.GetModule().Lines(), caret.startLine,
                                       caret.startColumn);
  for (const KeystrokeReport& report : reports) {
    EXPECT_EQ(report.failuresStopped, 0) << c.name;
    if (report.editorReceived >= 0) {
      EXPECT_LE(report.editorReceived, 1) << c.name;
    }
  }
}

std::string CaseName(const testing::TestParamInfo<KeystrokeCase>& info) {
  return "case" + std::to_string(info.index);
}

INSTANTIATE_TEST_SUITE_P(Shared, KeystrokeTable, testing::ValuesIn(KeystrokeCases()), CaseName);

}  // namespace
}  // namespace tarnwick
