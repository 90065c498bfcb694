#include <gtest/gtest.h>

#include "simulator/keys.h"

namespace tarnwick {
namespace {

using Kind = Keystroke::Kind;

TEST(Keys, ReadsEveryKindOfKey) {
  const auto keys = ParseKeys("a{Enter}{Tab}{Caret 3:14}{Select 1:2-4:5}{Ime x}}y}{{}}\xC3\xA9");
  ASSERT_EQ(keys.size(), 9u);
  EXPECT_EQ(keys[0].kind, Kind::kCharacter);
  EXPECT_EQ(keys[0].text, L"a");
  EXPECT_EQ(keys[1].kind, Kind::kEnter);
  EXPECT_EQ(keys[2].kind, Kind::kTab);
  EXPECT_EQ(keys[3].kind, Kind::kCaret);
  EXPECT_EQ(keys[3].selection, (Selection{3, 14, 3, 14}));
  EXPECT_EQ(keys[4].kind, Kind::kSelect);
  EXPECT_EQ(keys[4].selection, (Selection{1, 2, 4, 5}));
  EXPECT_EQ(keys[5].kind, Kind::kIme);
  EXPECT_EQ(keys[5].text, L"x}y");
  EXPECT_EQ(keys[5].notation, "{Ime x}}y}");
  EXPECT_EQ(keys[6].text, L"{");
  EXPECT_EQ(keys[7].text, L"}");
  EXPECT_EQ(keys[8].text, L"\x00E9");
  EXPECT_EQ(keys[8].notation, "\xC3\xA9");
}

TEST(Keys, CharacterOutsideTheBmpIsOneKeyOfTwoUnits) {
  const auto keys = ParseKeys("\xF0\x9F\x98\x80");
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_EQ(keys[0].text.size(), 2u);
}

TEST(Keys, RejectsWhatItCannotRead) {
  struct Bad {
    const char* keys;
    const char* named;  // part of the message
  };
  const Bad cases[] = {
      {"{Home}", "unknown key {Home}"},   {"{Enter", "unterminated '{'"},
      {"a}b", "unmatched '}'"},           {"{Caret 3}", "expected ':'"},
      {"{Caret 0:1}", "from 1"},          {"{Caret 1:2x}", "unexpected text"},
      {"{Select 1:2}", "expected '-'"},   {"{Ime }", "needs the text"},
      {"\x80", "invalid UTF-8"},          {"a\tb", "control character"},
      {"{enter}", "unknown key {enter}"},
  };
  for (const Bad& bad : cases) {
    try {
      ParseKeys(bad.keys);
      ADD_FAILURE() << "accepted " << bad.keys;
    } catch (const KeysError& error) {
      EXPECT_NE(std::string(error.what()).find(bad.named), std::string::npos)
          << bad.keys << ": " << error.what();
    }
  }
}

}  // namespace
}  // namespace tarnwick
