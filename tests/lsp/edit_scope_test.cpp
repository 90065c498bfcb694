// Which one-line edits leave what a module declares as it was read, so that
// the module is not read again for them.
#include <gtest/gtest.h>

#include "documentation/module.h"
#include "lsp/edit_scope.h"

namespace tarnwick::lsp {
namespace {

struct ScopeCase {
  const wchar_t* before;
  const wchar_t* after;
  const wchar_t* above;
  int64_t line;  // 0-based, in the module below
  bool changes;
};

TEST(EditScope, OnlyBodyLinesAreLeftAlone) {
  const DocModule module = ReadModuleText(
      L"Attribute VB_Name = \"M\"\nPublic Sub Run()\n    x = 1\nEnd Sub\n"
      L"Public Enum Kind\n    A\n\nEnd Enum\n",
      "M.bas", L"M");
  const ScopeCase cases[] = {
      {L"    x = 1", L"    x = 12", L"Public Sub Run()", 2, false},
      {L"    x = 1", L"    Call Foo(x, ", L"Public Sub Run()", 2, false},
      {L"    x = 1", L"    Dim x As Long", L"Public Sub Run()", 2, true},
      {L"    x = 1", L"    ''' <summary>", L"Public Sub Run()", 2, true},
      {L"    x = 1", L"    '@Description(\"x\")", L"Public Sub Run()", 2, true},
      {L"    x = 1", L"    x = 1 _", L"Public Sub Run()", 2, true},
      {L"    x = 1", L"    x = 2", L"    y = 1 _", 2, true},
      {L"    x = 1", L"End Sub", L"Public Sub Run()", 2, true},
      {L"Public Sub Run()", L"Public Sub Ran()", L"Attribute VB_Name = \"M\"", 1, true},
      {L"", L"    B", L"    A", 6, true},  // inside the Enum
  };
  for (const ScopeCase& c : cases) {
    EXPECT_EQ(ChangesDeclarations(c.before, c.after, c.above, &module, c.line), c.changes)
        << std::string(c.after, c.after + wcslen(c.after));
  }
  EXPECT_TRUE(ChangesDeclarations(L"    x = 1", L"    x = 2", L"", nullptr, 2));
}

}  // namespace
}  // namespace tarnwick::lsp
