#include <gtest/gtest.h>

#include "text/utf.h"

namespace tarnwick {
namespace {

TEST(Utf, RoundTripsCountingUtf16Units) {
  const std::string text = "a\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80";  // a é 日 😀
  const std::wstring wide = Utf8ToWide(text);
  ASSERT_EQ(wide.size(), 5u);  // the emoji is a surrogate pair on every platform
  EXPECT_EQ(static_cast<uint16_t>(wide[3]), 0xD83D);
  EXPECT_EQ(static_cast<uint16_t>(wide[4]), 0xDE00);
  EXPECT_EQ(WideToUtf8(wide), text);
}

TEST(Utf, RejectsMalformedInput) {
  for (const char* bad :
       {"\x80", "\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "a\xE6\x97"}) {
    EXPECT_THROW(Utf8ToWide(bad), Utf8Error) << bad;
  }
}

TEST(Utf, LoneSurrogateIsWrittenAsReplacementCharacter) {
  EXPECT_EQ(WideToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace tarnwick
