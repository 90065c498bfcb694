#include <gtest/gtest.h>

#include "vba/module.h"

namespace tarnwick {
namespace {

Module Sample() {
  return Module({
      L"Option Explicit",                                          // 1  declarations
      L"Private m_count As Long",                                  // 2  declarations
      L"",                                                         // 3  Count (Get)
      L"''' Doc",                                                  // 4  Count (Get)
      L"Public Property Get Count() As Long",                      // 5  Count (Get) body
      L"    Count = m_count",                                      // 6
      L"End Property",                                             // 7
      L"",                                                         // 8  Count (Let)
      L"Friend Property Let Count(ByVal v As Long)",               // 9
      L"End Property",                                             // 10
      L"Private Static Function Add(ByVal a As Long, _",           // 11 Add
      L"    ByVal b As Long) As Long",                             // 12
      L"    If a > b Then",                                        // 13
      L"    End If",                                               // 14
      L"End Function",                                             // 15
      L"Private Declare PtrSafe Function F Lib \"k\" () As Long",  // 16 Add (trailing)
      L"' trailing",                                               // 17 Add (trailing)
  });
}

TEST(ModuleMapping, AssignsLinesAsTheEditorDoes) {
  const Module module = Sample();
  struct Row {
    int32_t line;
    const wchar_t* name;  // nullptr: no procedure
    int32_t kind;
  };
  const Row rows[] = {{1, nullptr, 0},  {2, nullptr, 0},  {3, L"Count", 3}, {4, L"Count", 3},
                      {5, L"Count", 3}, {7, L"Count", 3}, {8, L"Count", 1}, {10, L"Count", 1},
                      {11, L"Add", 0},  {12, L"Add", 0},  {14, L"Add", 0},  {15, L"Add", 0},
                      {16, L"Add", 0},  {17, L"Add", 0},  {0, nullptr, 0},  {18, nullptr, 0}};
  for (const Row& row : rows) {
    const Procedure* procedure = module.ProcOfLine(row.line);
    if (!row.name) {
      EXPECT_EQ(procedure, nullptr) << "line " << row.line;
      continue;
    }
    ASSERT_NE(procedure, nullptr) << "line " << row.line;
    EXPECT_EQ(procedure->name, row.name) << "line " << row.line;
    EXPECT_EQ(procedure->kind, row.kind) << "line " << row.line;
  }
  EXPECT_EQ(module.FindProc(L"count", 3)->bodyLine, 5);  // names ignore case
  EXPECT_EQ(module.FindProc(L"Count", 1)->bodyLine, 9);
  EXPECT_EQ(module.FindProc(L"Add", 0)->bodyLine, 11);
  EXPECT_EQ(module.FindProc(L"Count", 2), nullptr);
  EXPECT_EQ(module.FindProc(L"F", 0), nullptr);  // a Declare is no procedure
}

TEST(ModuleMapping, CommentsAboveTheFirstProcedureBelongToIt) {
  const Module module({L"Option Explicit", L"' about Run", L"", L"Sub Run()", L"End Sub"});
  EXPECT_EQ(module.ProcOfLine(1), nullptr);
  ASSERT_NE(module.ProcOfLine(2), nullptr);
  EXPECT_EQ(module.ProcOfLine(2)->bodyLine, 4);
}

TEST(ModuleMapping, FollowsEdits) {
  Module module({L"Sub A()", L"End Sub"});
  ASSERT_TRUE(module.ReplaceLine(1, L"'''\nSub B()"));
  EXPECT_EQ(module.ProcOfLine(1)->name, L"B");
  EXPECT_EQ(module.ProcOfLine(1)->bodyLine, 2);
}

TEST(ModuleMapping, UnterminatedProcedureEndsBeforeTheNext) {
  const Module module({L"Sub A()", L"' no end", L"Sub B()", L"End Sub"});
  EXPECT_EQ(module.ProcOfLine(2)->name, L"A");
  EXPECT_EQ(module.ProcOfLine(3)->name, L"B");
}

TEST(ModuleReplaceLine, SplitsAtLineFeedsAndStopsAtNul) {
  Module module({L"1", L"2", L"3", L"4", L"5"});
  ASSERT_TRUE(module.ReplaceLine(4, L"a\nb\nc"));
  EXPECT_EQ(module.Lines(), (std::vector<std::wstring>{L"1", L"2", L"3", L"a", L"b", L"c", L"5"}));
  ASSERT_TRUE(module.ReplaceLine(1, std::wstring(L"x\r\ny\0z\nw", 9)));
  EXPECT_EQ(module.Line(1), L"x");
  EXPECT_EQ(module.Line(2), L"y");
  EXPECT_EQ(module.Line(3), L"2");
  EXPECT_FALSE(module.ReplaceLine(0, L"no"));
  EXPECT_FALSE(module.ReplaceLine(module.LineCount() + 1, L"no"));
}

TEST(ModuleClamp, KeepsSelectionsInsideTheText) {
  const Module module({L"abc", L""});
  EXPECT_EQ(module.Clamp({1, 9, 1, 0}), (Selection{1, 1, 1, 4}));  // ordered too
  EXPECT_EQ(module.Clamp({7, 3, -2, 1}), (Selection{1, 1, 2, 1}));
  EXPECT_EQ(Module().Clamp({3, 3, 3, 3}), (Selection{1, 1, 1, 1}));
}

TEST(ModuleMapping, TenThousandLinesMapInOnePass) {
  std::vector<std::wstring> lines;
  for (int i = 0; i < 2500; ++i) {
    lines.push_back(L"Sub P" + std::to_wstring(i) + L"()");
    lines.push_back(L"    x = 1");
    lines.push_back(L"End Sub");
    lines.push_back(L"");
  }
  const Module module(std::move(lines));
  EXPECT_EQ(module.Procedures().size(), 2500u);
  EXPECT_EQ(module.ProcOfLine(9998)->name, L"P2499");
  EXPECT_EQ(module.ProcOfLine(4)->name, L"P1");  // blank line after End Sub: the next one's
}

}  // namespace
}  // namespace tarnwick
