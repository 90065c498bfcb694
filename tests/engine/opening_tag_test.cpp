#include "engine/comment_engine.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace tarnwick {
namespace {

// Each text ends with the typed '>', whose position is passed unless stated.
TEST(EngineFindOpeningTagName, NameOfTheTagClosedByTheTypedBracket) {
  struct Case {
    std::wstring text;
    std::wstring expected;
  };
  const Case cases[] = {
      {L"''' <summary>", L"summary"},
      {L"    ''' <param name=\"x\">", L"param"},
      {L"''' </summary>", L""},
      {L"''' <br/>", L"br"},
      {L"''' <see cref=\"x\"/>", L"see"},
      {L"''' a < b>", L""},
      {L"''' <>", L""},
      {L"''' <!x>", L""},
      {L"''' <?x>", L""},
      {L"''' <x:y>", L"x"},
      {L"''' <my-tag>", L"my"},
      {L"''' <my_tag1>", L"my_tag1"},
      {L"''' <a\tb>", L"a\tb"},
      {L"''' <a>b>", L"a"},
      {L"''' <<x>", L"x"},
      {L"''' text>", L""},
      {L"'''<c>", L"c"},
      {L"'''' <c>", L""},  // four apostrophes: no documentation marker
      {L"Dim a <b>", L""},
      {L"<a> ''' x>", L""},
  };
  for (const Case& c : cases) {
    const int32_t position = static_cast<int32_t>(c.text.size()) - 1;
    EXPECT_EQ(FindOpeningTagName(c.text, position), c.expected)
        << std::string(c.text.begin(), c.text.end());
  }
}

TEST(EngineFindOpeningTagName, PositionsAnywhereAreSafe) {
  const std::wstring text = L"''' <c>rest";
  EXPECT_EQ(FindOpeningTagName(text, 6), L"c");
  EXPECT_EQ(FindOpeningTagName(text, 2), L"");  // inside the marker
  EXPECT_EQ(FindOpeningTagName(text, -1), L"");
  EXPECT_EQ(FindOpeningTagName(text, std::numeric_limits<int32_t>::min()), L"");
  // Past the end: the search for '<' starts at the last character.
  EXPECT_EQ(FindOpeningTagName(text, 40), L"c");
  EXPECT_EQ(FindOpeningTagName(L"''' <abc", 40), L"abc");
  EXPECT_EQ(FindOpeningTagName(text, std::numeric_limits<int32_t>::max()), L"c");
  EXPECT_EQ(FindOpeningTagName(L"''' <", 5), L"");
  EXPECT_EQ(FindOpeningTagName(L"'''", 3), L"");
  EXPECT_EQ(FindOpeningTagName(L"", 0), L"");
}

}  // namespace
}  // namespace tarnwick
