// Scripts and the registry they leave, and malformed scripts with their codes.
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "registrar/dword_text.h"
#include "registrar/script_parser.h"
#include "registrar_test_support.h"

namespace tarnwick {
namespace {

using registrar_test::RunText;
using registrar_test::Widen;

struct RoundTrip {
  const char* name;
  const char* script;
  const char* afterRegister;
  const char* afterUnregister;
};

const RoundTrip kRoundTrips[] = {
    {"nested keys, default values and typed values",
     "HKCU\r\n{\r\n\tApp = s 'Main'\r\n\t{\r\n\t\tval Count = d '00000003'\r\n"
     "\t\tval Name = s 'x'\r\n\t\tSub\r\n\t}\r\n}\r\n",
     "HKCU\\App\n  @ = s 'Main'\n  Count = d 3\n  Name = s 'x'\nHKCU\\App\\Sub\n", ""},
    {"NoRemove keeps keys and values; the rest goes",
     "HKCU { NoRemove Keep { NoRemove val Stay = s 'a' val Go = s 'b' Child } }",
     "HKCU\\Keep\n  Go = s 'b'\n  Stay = s 'a'\nHKCU\\Keep\\Child\n",
     "HKCU\\Keep\n  Stay = s 'a'\n"},
    {"keywords, roots and type letters in any case",
     "hkey_current_user { noremove K { VAL v = D '7' w = S 'z' } }",
     "HKCU\\K\n  v = d 7\nHKCU\\K\\w\n  @ = s 'z'\n", "HKCU\\K\n"},
    {"quoted names: doubled quotes, blanks, braces and keywords as names",
     "HKLM { 'it''s here' { '{' = s '}' 'val' val 'a b' = s 'c''d' } }",
     "HKLM\\it's here\n  a b = s 'c'd'\nHKLM\\it's here\\val\nHKLM\\it's here\\{\n  @ = s '}'\n",
     ""},
    {"a quoted value keeps its line break as written", "HKCU { K { val D = s 'one\r\ntwo' } }",
     "HKCU\\K\n  D = s 'one\\r\\ntwo'\n", ""},
    {"several root blocks, long and short names",
     "HKEY_CLASSES_ROOT { A } HKU { B } HKCC { C } HKEY_PERFORMANCE_DATA { D } HKDD { E }",
     "HKCR\\A\nHKU\\B\nHKPD\\D\nHKDD\\E\nHKCC\\C\n", ""},
    {"keys and values named again differ only in case",
     "HKCU { Key { val V = s '1' } KEY { val v = s '2' } }", "HKCU\\Key\n  V = s '2'\n", ""},
};

TEST(ScriptLanguageTest, RegistersThenUnregistersTable) {
  for (const RoundTrip& c : kRoundTrips) {
    SCOPED_TRACE(c.name);
    InMemoryRegistry registry;
    ASSERT_EQ(RunText(registry, c.script, RegistrarMode::Register), kS_OK);
    EXPECT_EQ(registry.Dump(), c.afterRegister);
    ASSERT_EQ(RunText(registry, c.script, RegistrarMode::Unregister), kS_OK);
    EXPECT_EQ(registry.Dump(), c.afterUnregister);
  }
}

// Keys still holding a subkey or a value that someone else wrote stay; so do
// the keys above them.
TEST(ScriptLanguageTest, UnregisterLeavesKeysStillHoldingOthersAndIgnoresMissingOnes) {
  InMemoryRegistry registry;
  const char* others = "HKCU { Shared { Other } Valued { val Theirs = s 't' } }";
  ASSERT_EQ(RunText(registry, others, RegistrarMode::Register), kS_OK);
  const std::string before = registry.Dump();
  // Nothing of this script is in the registry yet: unregistering it is no error.
  const char* script =
      "HKCU { Shared { Mine { val V = s 'x' } } Absent { Deeper } Valued = s 'ours' { val V = "
      "s 'x' } }";
  ASSERT_EQ(RunText(registry, script, RegistrarMode::Unregister), kS_OK);
  ASSERT_EQ(RunText(registry, script, RegistrarMode::Register), kS_OK);
  ASSERT_EQ(RunText(registry, script, RegistrarMode::Unregister), kS_OK);
  ASSERT_EQ(RunText(registry, script, RegistrarMode::Unregister), kS_OK);
  EXPECT_EQ(registry.Dump(), before);
}

struct Malformed {
  std::string script;
  HResult expected;
};

using namespace std::string_literals;

const Malformed kMalformed[] = {
    {"", kDISP_E_EXCEPTION},
    {" \t\r\n", kDISP_E_EXCEPTION},
    {"HKXX { }", kDISP_E_EXCEPTION},
    {"'HKCR' { }", kDISP_E_EXCEPTION},
    {"HKCR A { }", kDISP_E_EXCEPTION},
    {"HKCR", kDISP_E_EXCEPTION},
    {"HKCR {", kDISP_E_EXCEPTION},
    {"HKCR { A", kDISP_E_EXCEPTION},
    {"HKCR { A {", kDISP_E_EXCEPTION},
    {"HKCR { } }", kDISP_E_EXCEPTION},
    {"}", kDISP_E_EXCEPTION},
    {"HKCR { { } }", kDISP_E_EXCEPTION},
    {"HKCR { = }", kDISP_E_EXCEPTION},
    {"HKCR { NoRemove }", kDISP_E_EXCEPTION},
    {"HKCR { A = }", kDISP_E_EXCEPTION},
    {"HKCR { A = s }", kDISP_E_EXCEPTION},
    {"HKCR { A = s", kDISP_E_EXCEPTION},
    {"HKCR { A = 's' 'x' }", kDISP_E_EXCEPTION},
    {"HKCR { A = x 'y' }", kDISP_E_EXCEPTION},
    {"HKCR { A = m 'y' }", kE_NOTIMPL},
    {"HKCR { A = b '00' }", kE_NOTIMPL},
    {"HKCR { val }", kDISP_E_EXCEPTION},
    {"HKCR { val V 'x' }", kDISP_E_EXCEPTION},
    {"HKCR { val V = s 'x }", kDISP_E_EXCEPTION},
    {"HKCR { '' }", kDISP_E_EXCEPTION},
    {"HKCR { 'a\\b' }", kDISP_E_EXCEPTION},
    // A control character in a name; a NUL would end it early for the system
    // registry, where "\0" is the parent key itself.
    {"HKCR { '\0' { Sub } }"s, kDISP_E_EXCEPTION},
    {"HKCR { 'a\0b' }"s, kDISP_E_EXCEPTION},
    {"HKCR { 'tab\there' }", kDISP_E_EXCEPTION},
    {"HKCR { A { val 'v\x7f' = s 'x' } }", kDISP_E_EXCEPTION},
    {"HKCR { A { val '\0' = s 'x' } }"s, kDISP_E_EXCEPTION},
    {"HKCU { Good } HKCR { 'bad\x1b' }", kDISP_E_EXCEPTION},
    {"HKCR { A = d 'x' }", kDISP_E_TYPEMISMATCH},
    {"HKCR { A = d '4294967296' }", kDISP_E_OVERFLOW},
    // A good block followed by a bad one: nothing is written at all.
    {"HKCU { Good } HKCR { Bad = d '' }", kDISP_E_TYPEMISMATCH},
};

TEST(ScriptLanguageTest, MalformedScriptsFailAndWriteNothing) {
  for (const Malformed& c : kMalformed) {
    SCOPED_TRACE(c.script);
    InMemoryRegistry registry;
    EXPECT_EQ(RunText(registry, c.script, RegistrarMode::Register), c.expected);
    EXPECT_EQ(registry.Dump(), "");
  }
}

TEST(ScriptLanguageTest, TokensHoldAtMost4095Characters) {
  const std::string longest(4095, 'k');
  InMemoryRegistry registry;
  EXPECT_EQ(RunText(registry, "HKCU { " + longest + " }", RegistrarMode::Register), kS_OK);
  EXPECT_EQ(RunText(registry, "HKCU { " + longest + "k }", RegistrarMode::Register),
            kDISP_E_EXCEPTION);
  // Quoted texts count their characters after undoubling quotes.
  const std::string quoted = "'" + std::string(4093, 'v') + "''''" + "'";
  EXPECT_EQ(RunText(registry, "HKCU { K { val V = s " + quoted + " } }", RegistrarMode::Register),
            kS_OK);
  const std::string tooLong = "'" + std::string(4094, 'v') + "''''" + "'";
  EXPECT_EQ(RunText(registry, "HKCU { K { val V = s " + tooLong + " } }", RegistrarMode::Register),
            kDISP_E_EXCEPTION);
}

std::string Nested(int depth) {
  std::string script = "HKCU {";
  for (int i = 1; i < depth; ++i) {
    script += " k {";
  }
  for (int i = 0; i < depth; ++i) {
    script += " }";
  }
  return script;
}

TEST(ScriptLanguageTest, NestingIsBoundedWithoutCrashing) {
  Script script;
  EXPECT_EQ(ParseScript(Widen(Nested(kMaxBlockDepth)), &script), kS_OK);
  EXPECT_EQ(ParseScript(Widen(Nested(kMaxBlockDepth + 1)), &script), kDISP_E_EXCEPTION);
  EXPECT_EQ(ParseScript(Widen(Nested(200000)), &script), kDISP_E_EXCEPTION);
  std::string opened = "HKCU {";
  for (int i = 0; i < 200000; ++i) {
    opened += " k {";
  }
  EXPECT_EQ(ParseScript(Widen(opened), &script), kDISP_E_EXCEPTION);
}

TEST(DwordTextTest, ReadsDecimalTextOnly) {
  const struct {
    const wchar_t* text;
    HResult hr;
    std::uint32_t value;
  } cases[] = {
      {L"00000003", kS_OK, 3},
      {L"0", kS_OK, 0},
      {L" \t42 ", kS_OK, 42},
      {L"+5", kS_OK, 5},
      {L"-0", kS_OK, 0},
      {L"4294967295", kS_OK, 4294967295u},
      {L"0000000000000000004294967295", kS_OK, 4294967295u},
      {L"4294967296", kDISP_E_OVERFLOW, 0},
      {L"99999999999999999999999", kDISP_E_OVERFLOW, 0},
      {L"-1", kDISP_E_OVERFLOW, 0},
      {L"", kDISP_E_TYPEMISMATCH, 0},
      {L"  ", kDISP_E_TYPEMISMATCH, 0},
      {L"-", kDISP_E_TYPEMISMATCH, 0},
      {L"12a", kDISP_E_TYPEMISMATCH, 0},
      {L"1 2", kDISP_E_TYPEMISMATCH, 0},
      {L"0x10", kDISP_E_TYPEMISMATCH, 0},
      {L"1.5", kDISP_E_TYPEMISMATCH, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(registrar_test::Narrow(c.text));
    std::uint32_t value = 12345;
    EXPECT_EQ(ParseDwordText(c.text, &value), c.hr);
    EXPECT_EQ(value, c.hr == kS_OK ? c.value : 12345u);
  }
}

}  // namespace
}  // namespace tarnwick
