#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/encoding.h"
#include "text/source_text.h"
#include "tests/text/units.h"

namespace tarnwick {
namespace {

using test::Units;

struct DecodeCase {
  const char* name;
  std::string bytes;
  Encoding fallback;
  Encoding encoding;                // as detected
  std::vector<std::wstring> lines;  // empty with `error` set: it must fail
  const char* error = nullptr;      // a part of the message
  int32_t errorLine = 1;
};

TEST(SourceText, DetectsAndDecodesTheSameOnEveryPlatform) {
  const DecodeCase cases[] = {
      {"UTF-8 byte-order mark",
       "\xEF\xBB\xBF"
       "caf\xC3\xA9",
       Encoding::kCp932,
       Encoding::kUtf8,
       {L"caf\x00E9"}},
      {"UTF-16LE byte-order mark",
       std::string("\xFF\xFE"
                   "a\0\r\0\n\0\xE5\x65",
                   10),
       Encoding::kWindows1252,
       Encoding::kUtf16Le,
       {L"a", Units({0x65E5})}},
      {"UTF-16BE byte-order mark",
       std::string("\xFE\xFF\0a\0\n\x65\xE5", 8),
       Encoding::kWindows1252,
       Encoding::kUtf16Be,
       {L"a", Units({0x65E5})}},
      {"valid UTF-8 is UTF-8 whatever the fallback",
       "\xE6\x97\xA5",
       Encoding::kCp932,
       Encoding::kUtf8,
       {Units({0x65E5})}},
      {"otherwise windows-1252",
       "\x93"
       "caf\xE9\x94 \x80",
       Encoding::kWindows1252,
       Encoding::kWindows1252,
       {Units({0x201C, 'c', 'a', 'f', 0xE9, 0x201D, ' ', 0x20AC})}},
      {"cp932: kanji, half-width kana, NEC and IBM extensions, user area",
       "\x93\xFA\x96\x7B \xB1\x5C\n\x87\x40\x81\x5F\x81\x60\x81\x7C\xFA\x40\xED\x40\xF0\x40",
       Encoding::kCp932,
       Encoding::kCp932,
       {Units({0x65E5, 0x672C, ' ', 0xFF71, '\\'}),
        Units({0x2460, 0xFF3C, 0xFF5E, 0xFF0D, 0x2170, 0x7E8A, 0xE000})}},
      {"a byte windows-1252 leaves undefined",
       "ok\n\x81",
       Encoding::kWindows1252,
       Encoding::kWindows1252,
       {},
       "byte 0x81 at column 1",
       2},
      {"a lead byte without its trail byte",
       "\x93",
       Encoding::kCp932,
       Encoding::kCp932,
       {},
       "byte at column 1 is no character in cp932"},
      {"a byte that starts no cp932 character",
       "ab\xA0",
       Encoding::kCp932,
       Encoding::kCp932,
       {},
       "column 3"},
      {"a code the cp932 table leaves empty",
       "a\x85\x40",
       Encoding::kCp932,
       Encoding::kCp932,
       {},
       "column 2"},
      {"invalid UTF-8 when UTF-8 is asked for",
       "\xC3(",
       Encoding::kUtf8,
       Encoding::kUtf8,
       {},
       "invalid UTF-8"},
      {"an odd byte in UTF-16",
       std::string("\xFF\xFE"
                   "a\0b",
                   5),
       Encoding::kUtf8,
       Encoding::kUtf16Le,
       {},
       "odd byte"},
      {"binary data is not a module",
       std::string("ab\0\x01", 4),
       Encoding::kWindows1252,
       Encoding::kWindows1252,
       {},
       "control character U+0000 stands in the text: not a VBA module"},
  };
  for (const DecodeCase& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.error != nullptr) {
      try {
        (void)DecodeSourceText(c.bytes, c.fallback);
        ADD_FAILURE() << "no error";
      } catch (const InputError& error) {
        EXPECT_NE(std::string(error.what()).find(c.error), std::string::npos) << error.what();
        EXPECT_EQ(error.line, c.errorLine);
      }
      continue;
    }
    const SourceText source = DecodeSourceText(c.bytes, c.fallback);
    EXPECT_EQ(source.encoding, c.encoding);
    EXPECT_EQ(source.lines, c.lines);
  }
}

TEST(SourceText, KeepsEachLineEndAndTheBytesOfEachLine) {
  const SourceText source = DecodeSourceText("a\r\n\x93\xFA\nlast", Encoding::kCp932);
  ASSERT_EQ(source.spans.size(), 3u);
  EXPECT_EQ(source.Bytes(1), "\x93\xFA");
  EXPECT_EQ(source.Bytes(2), "last");
  EXPECT_EQ(source.End(0), "\r\n");
  EXPECT_EQ(source.End(1), "\n");
  EXPECT_EQ(source.End(2), "");
  const SourceText wide =
      DecodeSourceText(std::string("\xFF\xFEx\0\r\0\n\0", 8), Encoding::kWindows1252);
  EXPECT_EQ(wide.byteOrderMark, "\xFF\xFE");
  ASSERT_EQ(wide.spans.size(), 1u);
  EXPECT_EQ(wide.End(0), std::string("\r\0\n\0", 4));
}

TEST(SourceText, EncodesBackToTheSameBytes) {
  for (const auto& [text, encoding, bytes] :
       std::vector<std::tuple<std::wstring, Encoding, std::string>>{
           {Units({0x65E5, 0x672C, 0xFF71, 0x2460}), Encoding::kCp932,
            "\x93\xFA\x96\x7B\xB1\x87\x40"},
           {Units({0x20AC, 0xE9, 0x178}), Encoding::kWindows1252, "\x80\xE9\x9F"},
           {Units({'a', 0x65E5}), Encoding::kUtf16Be, std::string("\0a\x65\xE5", 4)},
       }) {
    EXPECT_EQ(Encode(text, encoding), bytes);
    EXPECT_EQ(Decode(bytes, encoding), text);
  }
  EXPECT_THROW(Encode(Units({0x65E5}), Encoding::kWindows1252), EncodingError);
  EXPECT_THROW(Encode(Units({0x0E01}), Encoding::kCp932), EncodingError);  // Thai
}

TEST(SourceText, EncodingNames) {
  EXPECT_EQ(EncodingNamed("Windows-1252"), Encoding::kWindows1252);
  EXPECT_EQ(EncodingNamed("CP932"), Encoding::kCp932);
  EXPECT_EQ(EncodingNamed("shift_jis"), Encoding::kCp932);
  EXPECT_EQ(EncodingNamed("utf-8"), Encoding::kUtf8);
  EXPECT_EQ(EncodingNamed("latin-9"), std::nullopt);
}

}  // namespace
}  // namespace tarnwick
