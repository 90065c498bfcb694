// Code pages of VBA projects: windows-1252 and cp932 as module files decode
// them, the others through the platform's converter, with the same table on
// both platforms.
#include <gtest/gtest.h>

#include <string>

#include "text/code_page.h"
#include "text/encoding.h"
#include "tests/text/units.h"

namespace tarnwick {
namespace {

using test::Units;

TEST(CodePage, DecodesWhatThePlatformConverts) {
  const struct {
    uint32_t codePage;
    std::string bytes;
    std::wstring text;
  } cases[] = {
      {1252,
       "\x93"
       "caf\xE9\x94 \x80",
       Units({0x201C, 'c', 'a', 'f', 0xE9, 0x201D, ' ', 0x20AC})},
      {932, "\x93\xFA\x96\x7B \xB1", Units({0x65E5, 0x672C, ' ', 0xFF71})},
      {1251, "\xCF\xF0\xE8\xE2\xE5\xF2", Units({0x41F, 0x440, 0x438, 0x432, 0x435, 0x442})},
      {1250, "\x8A\xE8", Units({0x160, 0x10D})},
      {1253, "\xE1\xE2", Units({0x3B1, 0x3B2})},
      {936, "\xD6\xD0 a", Units({0x4E2D, ' ', 'a'})},
      {949, "\xC7\xD1", Units({0xD55C})},
      {65001, "\xE6\x97\xA5", Units({0x65E5})},
      {1252, "", L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecodeCodePage(c.bytes, c.codePage), c.text) << CodePageName(c.codePage);
  }
}

// The two code pages module files know decode exactly as module files do.
TEST(CodePage, AgreesWithTheModuleFileDecoders) {
  const std::string bytes = "x \x82\xA0\x82\xA2 \x81\x40";
  EXPECT_EQ(DecodeCodePage(bytes, 932), Decode(bytes, Encoding::kCp932));
  const std::string western = "\x80\x85\x99\xFF";
  EXPECT_EQ(DecodeCodePage(western, 1252), Decode(western, Encoding::kWindows1252));
}

TEST(CodePage, RefusesBytesWithoutCharactersAndUnknownCodePages) {
  const struct {
    uint32_t codePage;
    std::string bytes;
    const char* message;
  } cases[] = {
      {1252, "ab\x81", "byte 0x81 at column 3 is no character in windows-1252"},
      {932, "a\x81", "column 2 is no character in cp932"},
      {936, "ab\x81", "code page 936"},
      {12345, "abc", "cannot convert code page 12345"},
  };
  for (const auto& c : cases) {
    try {
      (void)DecodeCodePage(c.bytes, c.codePage);
      ADD_FAILURE() << c.codePage << ": no error";
    } catch (const EncodingError& error) {
      EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos)
          << c.codePage << ": " << error.what();
    }
  }
}

}  // namespace
}  // namespace tarnwick
