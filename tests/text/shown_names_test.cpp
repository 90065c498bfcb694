// Names and text from files: device names, text shown on a terminal, folds.
#include <gtest/gtest.h>

#include <string>

#include "text/ascii.h"
#include "text/device_names.h"
#include "text/file_name_case.h"
#include "text/shown_text.h"
#include "text/utf.h"

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

namespace tarnwick {
namespace {

TEST(WindowsFileNameKey, NamesOneFileOnAWindowsDiskHaveOneKey) {
  // Pairs that are one file on NTFS, from each script with case.
  const std::pair<std::wstring, std::wstring> same[] = {
      {L"Module1", L"MODULE1"},
      {L"\u00DCbersicht", L"\u00FCbersicht"},            // Latin-1
      {L"\u00FF", L"\u0178"},                            // ÿ and Ÿ, far apart
      {L"\u0141\u00F3d\u017A", L"\u0142\u00D3D\u0179"},  // Latin Extended-A, pairs side by side
      {L"\u01C4", L"\u01C6"},                            // DŽ and dž (and the title case ǅ)
      {L"\u01C5", L"\u01C4"},
      {L"\u03A3\u03C3\u03C2", L"\u03C3\u03A3\u03A3"},  // Greek, final sigma too
      {L"\u041F\u0440\u0438\u0432\u0435\u0442", L"\u043F\u0420\u0418\u0412\u0415\u0422"},
      {L"\u0531\u0562", L"\u0561\u0532"},  // Armenian
      {L"\uFF21\uFF42", L"\uFF41\uFF22"},  // fullwidth
      {L"\u1E9B\u0101", L"\u1E60\u0100"},  // Latin Extended Additional
  };
  for (const auto& [a, b] : same) {
    EXPECT_EQ(WindowsFileNameKey(a), WindowsFileNameKey(b)) << ShownText(a);
    EXPECT_EQ(WindowsFileNameKey(WideToUtf8(a)), WindowsFileNameKey(WideToUtf8(b))) << ShownText(a);
  }
  // Characters no single upper case stands for, or that are apart on disk.
  const std::pair<std::wstring, std::wstring> apart[] = {
      {L"\u00DF", L"SS"},       // ß has no simple upper case
      {L"\u00C9", L"E"},        // accents matter
      {L"\u0130", L"i"},        // İ has no simple mapping to i either way
      {L"\u212A", L"k"},        // the Kelvin sign is its own upper case
      {L"a\u0301", L"\u00E1"},  // not normalised
  };
  for (const auto& [a, b] : apart) {
    EXPECT_NE(WindowsFileNameKey(a), WindowsFileNameKey(b)) << ShownText(a);
  }
  // Bytes that are not UTF-8, and a character beyond the plane, stand as they were.
  EXPECT_EQ(WindowsFileNameKey(std::string("a\xFF\xC3", 3)), std::string("A\xFF\xC3", 3));
  EXPECT_EQ(WindowsFileNameKey(std::string("\xF0\x90\x90\xA8")), "\xF0\x90\x90\xA8");
}

}  // namespace
}  // namespace tarnwick
