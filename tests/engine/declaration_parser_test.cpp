#include "engine/declaration_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnwick {
namespace {

TEST(EngineDeclarationKeyword, WholeWordsIgnoringAsciiCase) {
  const std::pair<std::wstring, bool> cases[] = {
      {L"function", true},
      {L"SUB", true},
      {L"Public", true},
      {L"private", true},
      {L"Friend", true},
      {L"Static", true},
      {L"Dim", true},
      {L"Const", true},
      {L"Enum", true},
      {L"Declare", true},
      {L"Property", true},
      {L"Type", true},
      {L"", false},
      {L"Global", false},
      {L"Subroutine", false},
      {L"Su", false},
      {L"Option", false},
      {L"End", false},
      {L"Implements", false},
      {L"'''", false},
      {L"S\x0130"
       L"b",
       false},  // only A-Z fold
  };
  for (const auto& [word, expected] : cases) {
    EXPECT_EQ(IsDeclarationKeyword(word), expected);
  }
}

struct ParseCase {
  std::wstring text;
  std::vector<std::wstring> names;
  bool returnsValue;
};

void ExpectParses(const ParseCase& c) {
  std::vector<std::wstring> names = {L"stale"};
  bool returnsValue = true;
  ParseDeclaration(c.text, names, returnsValue);
  EXPECT_EQ(names, c.names) << std::string(c.text.begin(), c.text.end());
  EXPECT_EQ(returnsValue, c.returnsValue) << std::string(c.text.begin(), c.text.end());
}

TEST(EngineParseDeclaration, KindDecidesWhetherAValueIsReturned) {
  const ParseCase cases[] = {
      {L"Public Function Add(ByVal a As Long, ByVal b As Long) As Long", {L"a", L"b"}, true},
      {L"Private Sub Init()", {}, false},
      {L"Property Get Item(ByVal Index As Long) As Variant", {L"Index"}, true},
      {L"Public Property Let Item(ByVal Index As Long, ByVal v As Variant)",
       {L"Index", L"v"},
       false},
      {L"Property Set Obj(ByVal o As Object)", {L"o"}, false},
      {L"Public Static Function F() As Long", {}, true},
      {L"Friend Function F() As Long", {}, true},
      {L"static private FUNCTION F()", {}, true},
      {L"Public Private", {}, false},
      {L"Public Property", {}, false},
      {L"    Function\tF()", {}, true},
      {L"Dim counter As Long", {}, false},
      {L"Public Const Limit As Long = 10", {}, false},
      {L"Public Enum Colors", {}, false},
      {L"Private Type Point", {}, false},
      {L"Public Event Changed(ByVal v As Long)", {L"v"}, false},
      // A variable's or a constant's parentheses hold bounds, not parameters.
      {L"Private Buffer(0 To 255) As Byte", {}, false},
      {L"Dim grid(1 To rows, 1 To cols) As Double, names() As String", {}, false},
      {L"Public Cells(10)", {}, false},
      {L"Const Size As Long = (4 + 2)", {}, false},
      {L"", {}, false},
  };
  for (const ParseCase& c : cases) {
    ExpectParses(c);
  }
}

TEST(EngineParseDeclaration, DeclareWithOptionalPtrSafe) {
  const ParseCase cases[] = {
      {L"Private Declare Function GetTickCount Lib \"kernel32\" () As Long", {}, true},
      {L"Private Declare PtrSafe Function GetTickCount Lib \"kernel32\" () As Long", {}, true},
      {L"Declare ptrsafe Function F Lib \"k\" (ByVal h As LongPtr) As Long", {L"h"}, true},
      {L"Declare PtrSafe Sub Sleep Lib \"kernel32\" (ByVal ms As Long)", {L"ms"}, false},
      {L"Declare Sub Sleep Lib \"kernel32\" (ByVal ms As Long)", {L"ms"}, false},
      // Only the single word after Declare (and PtrSafe) is tested.
      {L"Declare PtrSafe PtrSafe Function F Lib \"k\" ()", {}, false},
      {L"Declare Property Get X()", {}, false},
  };
  for (const ParseCase& c : cases) {
    ExpectParses(c);
  }
}

TEST(EngineParseDeclaration, ParameterNames) {
  const ParseCase cases[] = {
      {L"Sub Run(x, y)", {L"x", L"y"}, false},
      {L"Sub S(Optional ByVal n As Integer = 5)", {L"n"}, false},
      {L"Sub S(x as Long, y AS String)", {L"x", L"y"}, false},  // "As" in any ASCII case
      {L"Sub S(ByRef r As Range, ParamArray rest() As Variant)", {L"r", L"rest"}, false},
      {L"Sub S(As Long, b)", {L"b"}, false},
      {L"Sub S(a,, b,)", {L"a", L"b"}, false},
      {L"Sub S(\ta\tAs Long)", {L"Long"}, false},  // a tab does not separate words
      {L"Sub S(a As Long", {L"a"}, false},         // unclosed list runs to the end
      {L"Sub S) (a As Long)", {}, false},          // ')' before '(' means no list
      {L"Sub S", {}, false},
      {L"Sub S(a As Long) As Long(x, y)", {L"a"}, false},
      {L"Sub S(Optional x As Long = (1 + 2), y As Long)", {L"x", L"y"}, false},
      // A default value is cut off before the name is picked.
      {L"Sub S(Optional n = 1, Optional v = Null)", {L"n", L"v"}, false},
      {L"Sub S(Optional s = \"a As b\", Optional t = \"=\")", {L"s", L"t"}, false},
      // A trailing comment is not read; an apostrophe in a literal is no comment.
      {L"Dim total As Long ' see Sum(a, b)", {}, false},
      {L"Sub S(Optional q As String = \"it's\", n As Long) ' (x)", {L"q", L"n"}, false},
      // A type-declaration character is the name's type.
      {L"Sub S(ByVal cb&, s$, a%(), ByRef d#, c@, f!, l^)",
       {L"cb", L"s", L"a", L"d", L"c", L"f", L"l"},
       false},
  };
  for (const ParseCase& c : cases) {
    ExpectParses(c);
  }
}

TEST(EngineParseDeclaration, ArrayParametersDoNotCloseTheList) {
  const ParseCase cases[] = {
      {L"Sub S(a() As Byte, n As Long)", {L"a", L"n"}, false},
      {L"Function F(ByRef data() As Byte, ByVal n As Long) As Byte()", {L"data", L"n"}, true},
      {L"Sub S(a() As Long, Optional k As Long = (2), m As Long)", {L"a", L"k", L"m"}, false},
      {L"Sub S(a(), b())", {L"a", L"b"}, false},
      {L"Function F() As Long()", {}, true},
      {L"Sub S(a() As Byte, n As Long", {L"a", L"n"}, false},
  };
  for (const ParseCase& c : cases) {
    ExpectParses(c);
  }
}

TEST(EngineParseDeclaration, StringLiteralsNeitherSplitNorCloseTheList) {
  const ParseCase cases[] = {
      {L"Function Join(Optional delim As String = \",\") As String", {L"delim"}, true},
      {L"Sub S(Optional delim As String = \")\", n As Long)", {L"delim", L"n"}, false},
      {L"Sub S(Optional d As String = \"(\", n As Long)", {L"d", L"n"}, false},
      {L"Sub S(Optional q As String = \"\"\"\", n As Long)", {L"q", L"n"}, false},
      {L"Sub S(Optional q As String = \"a\"\",(b\", n As Long)", {L"q", L"n"}, false},
      {L"Public Const Pair As String = \"(a, b)\"", {}, false},
      {L"Declare Function F Lib \"lib(1).dll\" (ByVal a As Long) As Long", {L"a"}, true},
  };
  for (const ParseCase& c : cases) {
    ExpectParses(c);
  }
}

// The one joining of continued lines, which the template path (over the code
// pane) and the module reader (over a file's lines) share.
TEST(JoinContinuedLines, EachContinuedLineGoesInWithoutItsMark) {
  struct Case {
    std::vector<std::wstring> lines;
    std::wstring joined;
    int64_t read;
  };
  const Case cases[] = {
      {{L"Sub A(x, _", L"      y)", L"End Sub"}, L"Sub A(x,       y)", 2},
      {{L"Sub A(x, _  \t", L"  y)"}, L"Sub A(x,   y)", 2},         // blanks after the mark
      {{L"Sub A(x,_", L"y)"}, L"Sub A(x,_", 1},                    // no blank before it
      {{L"Const A = 1 _", L"  + 2 _"}, L"Const A = 1   + 2 ", 2},  // the module ends
      {{}, L"", 0},
  };
  for (const Case& c : cases) {
    std::wstring out = L"stale";
    const int64_t read = JoinContinuedLines(
        0, static_cast<int64_t>(c.lines.size()),
        [&](int64_t line, std::wstring& text) { text = c.lines[static_cast<size_t>(line)]; }, out);
    EXPECT_EQ(out, c.joined);
    EXPECT_EQ(read, c.read);
  }
}

}  // namespace
}  // namespace tarnwick
