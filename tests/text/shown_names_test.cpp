// Names and text from files: device names, text shown on a terminal, folds.
#include <gtest/gtest.h>

#include <string>

#include "text/ascii.h"
#include "text/device_names.h"
#include "text/shown_text.h"

namespace tarnwick {
namespace {

TEST(DeviceNames, EveryReservedNameInAnyCaseWithAnyExtension) {
  const std::pair<std::wstring, bool> cases[] = {
      {L"CON", true},          {L"prn", true},       {L"Aux", true},        {L"nUl", true},
      {L"COM0", true},         {L"com9", true},      {L"LPT0", true},       {L"lpt5", true},
      {L"COM\u00B9", true},    {L"LPT\u00B2", true}, {L"com\u00B3", true},  {L"NUL.txt", true},
      {L"con.tar.gz", true},   {L"Com1.bas", true},  {L"AUX.", true},       {L"PRN ", true},
      {L"NUL .bas", true},     {L"CON:", true},      {L"LPT1...", true},    {L"", false},
      {L"CONSOLE", false},     {L"CO", false},       {L"COM", false},       {L"COM10", false},
      {L"COM\u2074", false},   {L"LPTA", false},     {L"ACON", false},      {L" CON", false},
      {L"Module1.bas", false}, {L"NU\u0141", false}, {L"CO\u039C1", false},  // Greek capital Mu is
                                                                             // not M
  };
  for (const auto& [name, device] : cases) {
    EXPECT_EQ(IsWindowsDeviceName(name), device) << ShownText(name);
  }
}

TEST(ShownText, ControlsBecomeMarksAndBadBytesEscapes) {
  const std::pair<std::string, std::string> cases[] = {
      {"Module1", "Module1"},
      {"caf\xC3\xA9 \xE6\x97\xA5 \xF0\x9F\x98\x80", "caf\xC3\xA9 \xE6\x97\xA5 \xF0\x9F\x98\x80"},
      {"a\tb\nc\x1B[2Jd\x7F", "a?b?c?[2Jd?"},
      {"x\xC2\x85y\xC2\x9B", "x?y?"},  // C1 controls
      {"ab\xE2\x80\xAE"
       "cd\xE2\x81\xA6\xE2\x80\x8F\xD8\x9C",
       "ab?cd???"},                      // bidi controls
      {"\xE2\x80\x8B", "\xE2\x80\x8B"},  // a zero-width space is shown as it is
      {"a\xFF"
       "b",
       "a\\xFFb"},
      {"\xC0\xAF", "\\xC0\\xAF"},           // overlong
      {"\xED\xA0\x80", "\\xED\\xA0\\x80"},  // surrogate
      {"\xF4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"},
      {"end\xE6\x97", "end\\xE6\\x97"},  // cut short
      {std::string("n\0ul", 4), "n?ul"},
  };
  for (const auto& [bytes, shown] : cases) {
    EXPECT_EQ(ShownText(bytes), shown) << bytes;
  }
  EXPECT_EQ(ShownText(std::wstring(L"M\u202Eod\r\u00E9")), "M?od?\xC3\xA9");
  EXPECT_EQ(ShownText(std::wstring(1, static_cast<wchar_t>(0xDC00))), "\xEF\xBF\xBD");
}

TEST(AsciiFold, OnlyAsciiLettersFold) {
  EXPECT_EQ(ToAsciiLower(std::string_view("Content_Types.XML \xC3\x89")),
            "content_types.xml \xC3\x89");
  EXPECT_EQ(ToAsciiUpper(std::wstring_view(L"vb_name \u00E9\u0131")), L"VB_NAME \u00E9\u0131");
}

}  // namespace
}  // namespace tarnwick
