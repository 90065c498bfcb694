#include "engine/text_helpers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnwick {
namespace {

constexpr size_t npos = std::wstring::npos;

TEST(EngineTextHelpers, FindCommentMarker) {
  struct Case {
    std::wstring text;
    size_t expected;
  };
  const Case cases[] = {
      {L"'''", 0},          {L"  ''' <summary>", 2},
      {L"\t'''x", 1},       {L" \t '''", 3},
      {L"''''", npos},      {L"  ''''' text", npos},
      {L"''", npos},        {L"'' '", npos},
      {L"x '''", npos},     {L"", npos},
      {L"   ", npos},       {L"\n'''", npos},  // only space and tab are blanks
      {L"\x3000'''", npos},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindCommentMarker(c.text), c.expected)
        << "text: [" << std::string(c.text.begin(), c.text.end()) << "]";
  }
}

TEST(EngineTextHelpers, TrimBlanks) {
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"", L""},   {L" \t ", L""},           {L" a b\t", L"a b"},
      {L"x", L"x"}, {L"\r\nx\n", L"\r\nx\n"}, {L"\t''' \t", L"'''"},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(TrimBlanks(text), expected);
  }
}

TEST(EngineTextHelpers, FirstWordFrom) {
  struct Case {
    std::wstring text;
    size_t start;
    std::wstring expected;
  };
  const Case cases[] = {
      {L"   Public Sub Foo()", 0, L"Public"},
      {L"Sub\tFoo", 0, L"Sub"},
      {L"abc", 1, L"bc"},
      {L"abc", 3, L""},
      {L"abc", npos, L""},
      {L"   ", 0, L""},
      {L"", 0, L""},
      {L"Function Foo(x As Long)", 9, L"Foo(x"},
      {L"a\nb", 0, L"a"},
      {L"\nb", 0, L""},  // a line feed ends a word but is not skipped
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FirstWordFrom(c.text, c.start), c.expected);
  }
}

TEST(EngineTextHelpers, SplitAnyDropsEmptyPiecesExceptTheLast) {
  struct Case {
    std::wstring text;
    std::wstring delimiters;
    std::vector<std::wstring> expected;
  };
  const Case cases[] = {
      {L"a b", L" ", {L"a", L"b"}},
      {L"  a  b", L" ", {L"a", L"b"}},
      {L"a ", L" ", {L"a", L""}},
      {L"", L",", {L""}},
      {L",", L",", {L""}},
      {L"a,,b", L",", {L"a", L"b"}},
      {L"x(\ty", L" \t", {L"x(", L"y"}},
      {L"a,b", L"", {L"a,b"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplitAny(c.text, c.delimiters), c.expected);
  }
}

TEST(EngineTextHelpers, NameStopCharsAreSpaceAndAsciiPunctuationButUnderscore) {
  EXPECT_EQ(std::wstring(NameStopChars).size(), 32u);
  for (wchar_t c = 0; c < 0x80; ++c) {
    const bool punctuation = (c >= 0x21 && c <= 0x2F) || (c >= 0x3A && c <= 0x40) ||
                             (c >= 0x5B && c <= 0x60 && c != L'_') || (c >= 0x7B && c <= 0x7E);
    EXPECT_EQ(IsNameStopAt(std::wstring(1, c), 0), c == L' ' || punctuation) << int(c);
  }
  EXPECT_FALSE(IsNameStopAt(L"\x00e9", 0));
  // The end of the text stops a name too.
  EXPECT_TRUE(IsNameStopAt(L"<", 1));
  EXPECT_TRUE(IsNameStopAt(L"", 0));
  EXPECT_TRUE(IsNameStopAt(L"ab", npos));
}

}  // namespace
}  // namespace tarnwick
