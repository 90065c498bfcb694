// A failure on the message path never leaves the window, the editor receives
// the keystroke exactly once, and the edits made before the failure stay.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "simulator/keys.h"
#include "simulator/simulated_code_window.h"
#include "tests/cases/caret_text.h"

namespace tarnwick {
namespace {

using Lines = std::vector<std::wstring>;

struct PolicyCase {
  const char* name;
  const char* before;  // caret-marked
  const char* key;
  Lines unwritten;  // the text when the failure came before the engine's first write
  Lines written;    // the text when it came after that write
};

std::string Join(const Lines& lines) {
  std::string out;
  for (const auto& line : lines) {
    out += std::string(line.begin(), line.end()) + "|";
  }
  return out;
}

void CheckEveryFailurePoint(const PolicyCase& c) {
  const CaretText before = ParseCaretText(c.before);
  const Keystroke key = ParseKeys(c.key).at(0);
  auto fresh = [&](SimulatedCodeWindow& window) {
    window.GetModule() = Module(before.lines);
    window.Select({before.line, before.column, before.line, before.column});
  };

  SimulatedCodeWindow clean;
  fresh(clean);
  const KeystrokeReport cleanReport = clean.Press(key);
  const std::vector<PaneOperation> log = clean.Pane().CallLog();
  const Lines cleanText = clean.GetModule().Lines();
  ASSERT_TRUE(cleanReport.consumed) << c.name;
  const auto firstWrite = std::find(log.begin(), log.end(), PaneOperation::kReplaceLine);
  ASSERT_NE(firstWrite, log.end()) << c.name;
  const auto firstWriteCall = firstWrite - log.begin() + 1;

  for (int64_t k = 1; k <= static_cast<int64_t>(log.size()); ++k) {
    SCOPED_TRACE(std::string(c.name) + ": failure at call " + std::to_string(k) + " (" +
                 PaneOperationName(log[k - 1]) + ")");
    SimulatedCodeWindow window;
    fresh(window);
    window.Pane().FailAtCall(k);
    KeystrokeReport report;
    ASSERT_NO_THROW(report = window.Press(key));
    EXPECT_TRUE(window.Pane().InjectedFailureFired());
    EXPECT_EQ(report.editorReceived, 1);
    const Lines& text = window.GetModule().Lines();
    if (log[k - 1] == PaneOperation::kGetProcOfLine) {
      // A failed procedure question answers "none"; the keystroke goes on normally.
      EXPECT_EQ(report.failuresStopped, 0);
      EXPECT_EQ(text, cleanText) << Join(text);
    } else if (k <= firstWriteCall) {
      EXPECT_EQ(report.failuresStopped, 1);
      EXPECT_EQ(text, c.unwritten) << Join(text);
    } else {
      EXPECT_EQ(report.failuresStopped, 1);
      EXPECT_EQ(text, c.written) << Join(text);
    }
  }
}

TEST(FailurePolicy, TemplateKeystrokeSurvivesAFailureAtEveryPaneCall) {
  CheckEveryFailurePoint(
      {"template",
       "Option Explicit\n''^\nPublic Function Add(ByVal a As Long) As Long\n"
       "End Function",
       "'",
       {L"Option Explicit", L"'''", L"Public Function Add(ByVal a As Long) As Long",
        L"End Function"},
       {L"Option Explicit", L"''' <summary>", L"'''", L"''' </summary>",
        L"''' <param name=\"a\"></param>", L"''' <returns></returns>", L"''' <remarks></remarks>",
        L"Public Function Add(ByVal a As Long) As Long", L"End Function"}});
}

TEST(FailurePolicy, EnterContinuationSurvivesAFailureAtEveryPaneCall) {
  CheckEveryFailurePoint({"continuation",
                          "''' Returns the sum^\nFunction F() As Long",
                          "{Enter}",
                          {L"''' Returns the sum", L"", L"Function F() As Long"},
                          {L"''' Returns the sum", L"'''", L"Function F() As Long"}});
}

TEST(FailurePolicy, DeadWindowPassesTheKeyToTheEditor) {
  SimulatedCodeWindow window({L"''", L"Sub Run()"});
  window.Select({1, 3, 1, 3});
  window.SetLive(false);
  const KeystrokeReport report = window.Press(ParseKeys("'").at(0));
  EXPECT_FALSE(report.consumed);
  EXPECT_EQ(report.failuresStopped, 1);
  EXPECT_EQ(report.editorReceived, 1);
  EXPECT_EQ(report.editorCalls, 0);
  EXPECT_EQ(window.GetModule().Lines(), (Lines{L"'''", L"Sub Run()"}));
}

}  // namespace
}  // namespace tarnwick
