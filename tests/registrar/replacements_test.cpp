// %NAME% replacements and the replacements made for the module.
#include <string>

#include <gtest/gtest.h>

#include "registrar/replacements.h"

namespace tarnwick {
namespace {

Replacements Sample() {
  Replacements r;
  r.Add(L"Module", L"C:\\100%\\it''s.dll");
  r.Add(L"APPID", L"{ID}");
  r.Add(L"x", L"");
  return r;
}

TEST(ReplacementsTest, ExpandsNamesAnywhereInOnePass) {
  const struct {
    const wchar_t* text;
    const wchar_t* expected;
  } cases[] = {
      {L"no names", L"no names"},
      {L"s '%MODULE%'", L"s 'C:\\100%\\it''s.dll'"},  // the value's percent is not read again
      {L"%appid%%AppId%", L"{ID}{ID}"},
      {L"50%% of %x%it", L"50% of it"},
      {L"%%%%", L"%%"},
      {L"", L""},
  };
  for (const auto& c : cases) {
    std::wstring out = L"old";
    EXPECT_EQ(ExpandReplacements(c.text, Sample(), &out), kS_OK);
    EXPECT_EQ(out, c.expected);
  }
}

TEST(ReplacementsTest, RefusesUnknownUnclosedAndOverlongNames) {
  const std::wstring name31(31, L'n');
  Replacements r = Sample();
  r.Add(name31, L"ok");
  r.Add(name31 + L"n", L"never used");
  const struct {
    std::wstring text;
    HResult hr;
  } cases[] = {
      {L"%" + name31 + L"%", kS_OK},     {L"%" + name31 + L"n%", kE_FAIL},
      {L"%Unknown%", kDISP_E_EXCEPTION}, {L"50% off", kDISP_E_EXCEPTION},
      {L"%APPID", kDISP_E_EXCEPTION},    {L"%%%", kDISP_E_EXCEPTION},
  };
  for (const auto& c : cases) {
    std::wstring out = L"old";
    EXPECT_EQ(ExpandReplacements(c.text, r, &out), c.hr);
    EXPECT_EQ(out, c.hr == kS_OK ? L"ok" : L"old");
  }
}

TEST(ReplacementsTest, ModuleReplacementsDoubleQuotesAndRefuseAFullPathBuffer) {
  Replacements given;
  given.Add(L"Extra", L"e");
  Replacements r;
  ASSERT_EQ(MakeScriptReplacements(given, L"{ID}", L"C:\\O'Neil's\\T.dll", &r), kS_OK);
  ASSERT_NE(r.Find(L"MODULE"), nullptr);
  EXPECT_EQ(*r.Find(L"MODULE"), L"C:\\O''Neil''s\\T.dll");
  EXPECT_EQ(*r.Find(L"module_raw"), L"C:\\O''Neil''s\\T.dll");
  EXPECT_EQ(*r.Find(L"appid"), L"{ID}");
  EXPECT_EQ(*r.Find(L"extra"), L"e");

  const std::wstring fits(kModulePathBufferLength - 1, L'p');
  EXPECT_EQ(MakeScriptReplacements(given, L"{ID}", fits, &r), kS_OK);
  EXPECT_EQ(*r.Find(L"Module"), fits);
  Replacements untouched;
  EXPECT_EQ(MakeScriptReplacements(given, L"{ID}", fits + L"p", &untouched),
            static_cast<HResult>(0x8007007Au));
  EXPECT_EQ(untouched.Find(L"Module"), nullptr);
}

}  // namespace
}  // namespace tarnwick
