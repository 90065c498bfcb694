#include <gtest/gtest.h>

#include "simulator/editor_behavior.h"
#include "tests/cases/caret_text.h"

namespace tarnwick {
namespace {

struct EditorCase {
  const char* name;
  const char* before;
  uint32_t message;
  uintptr_t wParam;
  const char* after;
};

TEST(EditorBehavior, AppliesMessagesAsTheEditorDoes) {
  const EditorCase cases[] = {
      {"printable character", "a^c", kWmChar, 'b', "ab^c"},
      {"space", "a^", kWmChar, ' ', "a ^"},
      {"DEL is not typed", "a^", kWmChar, 0x7F, "a^"},
      {"control character is not typed", "a^", kWmChar, 1, "a^"},
      {"character 13 does nothing", "a^b", kWmChar, 13, "a^b"},
      {"character 9 does nothing", "a^b", kWmChar, 9, "a^b"},
      {"Enter splits the line", "ab^cd\nx", kWmKeyDown, kVkReturn, "ab\n^cd\nx"},
      {"Enter at the end of the last line", "ab^", kWmKeyDown, kVkReturn, "ab\n^"},
      {"Tab from column 1", "^x", kWmKeyDown, kVkTab, "    ^x"},
      {"Tab from column 4", "abc^", kWmKeyDown, kVkTab, "abc ^"},
      {"Tab from column 5", "abcd^", kWmKeyDown, kVkTab, "abcd    ^"},
      {"other key-down", "a^", kWmKeyDown, 0x41, "a^"},
      {"other message", "a^", 0x0200, 0, "a^"},
  };
  for (const EditorCase& c : cases) {
    const CaretText before = ParseCaretText(c.before);
    const CaretText after = ParseCaretText(c.after);
    Module module(before.lines);
    Selection selection{before.line, before.column, before.line, before.column};
    ApplyEditorMessage(module, selection, c.message, c.wParam);
    EXPECT_EQ(module.Lines(), after.lines) << c.name;
    EXPECT_EQ(selection, (Selection{after.line, after.column, after.line, after.column})) << c.name;
  }
}

TEST(EditorBehavior, TypingReplacesASelectionAcrossLines) {
  Module module({L"one", L"two", L"three"});
  Selection selection{3, 3, 1, 2};  // given backwards
  ApplyEditorMessage(module, selection, kWmChar, 'X');
  EXPECT_EQ(module.Lines(), (std::vector<std::wstring>{L"oXree"}));
  EXPECT_EQ(selection, (Selection{1, 3, 1, 3}));
}

TEST(EditorBehavior, CompositionTypesItsResultAndEmptyModuleGetsALine) {
  Module module;
  Selection selection;
  ApplyEditorMessage(module, selection, kWmImeComposition, 0, L"\x65E5\x672C");
  EXPECT_EQ(module.Lines(), (std::vector<std::wstring>{L"\x65E5\x672C"}));
  EXPECT_EQ(selection.startColumn, 3);

  // A line break in the result starts a new line; CR LF is one break.
  ApplyEditorMessage(module, selection, kWmImeComposition, 0, L"a\r\nb\nc\rd");
  EXPECT_EQ(module.Lines(), (std::vector<std::wstring>{L"\x65E5\x672C"
                                                       L"a",
                                                       L"b", L"c", L"d"}));
  EXPECT_EQ(selection, (Selection{4, 2, 4, 2}));
}

}  // namespace
}  // namespace tarnwick
