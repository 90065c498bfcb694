// The code window stand-in: the messages its keystroke sender delivers, what
// its procedure does with them, and what it leaves to DefWindowProcW.
#include "simulator/win32/code_window_stand_in.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "simulator/keys.h"
#include "tests/cases/caret_text.h"

namespace tarnwick {
namespace {

constexpr wchar_t kClassName[] = L"TarnwickStandInTestWindow";

struct Received {
  UINT message;
  WPARAM wParam;
  bool operator==(const Received&) const = default;
};

std::string Describe(const std::vector<Received>& messages) {
  std::string text;
  for (const Received& m : messages) {
    char line[64];
    std::snprintf(line, sizeof line, "  msg %04x wp %llx\n", m.message,
                  static_cast<unsigned long long>(m.wParam));
    text += line;
  }
  return text.empty() ? "  (none)\n" : text;
}

// Caret-marked text as Render shows it.
std::string Marked(const char* marked) {
  CaretText text = ParseCaretText(marked);
  return RenderCaretText(text.lines, text.line, text.column);
}

class StandInWindow : public testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = StandInCodeWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    RegisterClassW(&windowClass);
    window = CreateWindowExW(0, kClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    standIn.emplace(module, selection);
    standIn->beforeEditor = [this](HWND to, UINT message, WPARAM wParam) {
      EXPECT_EQ(to, window);
      received.push_back({message, wParam});
    };
  }
  void TearDown() override {
    standIn.reset();
    DestroyWindow(window);
  }

  void Load(const char* marked) {
    CaretText text = ParseCaretText(marked);
    module = Module(text.lines);
    selection = {text.line, text.column, text.line, text.column};
  }
  std::string Render() const {
    return RenderCaretText(module.Lines(), selection.startLine, selection.startColumn);
  }
  void Type(const char* keys) {
    for (const Keystroke& key : ParseKeys(keys)) {
      standIn->Press(window, key);
    }
  }
  void ExpectReceived(const std::vector<Received>& expected) {
    EXPECT_EQ(received, expected) << "expected:\n"
                                  << Describe(expected) << "actual:\n"
                                  << Describe(received);
    received.clear();
  }

  HWND window = nullptr;
  Module module;
  Selection selection;
  std::optional<CodeWindowStandIn> standIn;
  std::vector<Received> received;
};

TEST_F(StandInWindow, DeliversEachKindOfKeystrokeAsTheSystemDoes) {
  Load("^");
  Type("a\xF0\x9F\x98\x80");  // 'a' and U+1F600, a surrogate pair
  ExpectReceived({{WM_CHAR, L'a'}, {WM_CHAR, 0xD83D}, {WM_CHAR, 0xDE00}});
  Type("{Enter}");
  ExpectReceived({{WM_KEYDOWN, VK_RETURN}, {WM_CHAR, L'\r'}});
  Type("{Tab}");
  ExpectReceived({{WM_KEYDOWN, VK_TAB}, {WM_CHAR, L'\t'}});
  Type("{Ime x'}");
  ExpectReceived(
      {{WM_IME_STARTCOMPOSITION, 0}, {WM_IME_COMPOSITION, 0}, {WM_IME_ENDCOMPOSITION, 0}});
  EXPECT_EQ(Render(), Marked("a\xF0\x9F\x98\x80\n    x'^"));
}

TEST_F(StandInWindow, ClicksAndSelectionsAreClampedAndSendNothing) {
  Load("Sub A()^\nEnd Sub");
  Type("{Caret 9:40}");
  ExpectReceived({});
  EXPECT_EQ(selection, (Selection{2, 8, 2, 8}));
  Type("{Select 1:5-2:4}x");
  EXPECT_EQ(Render(), Marked("Sub x^ Sub"));
}

TEST_F(StandInWindow, LeavesOtherMessagesAndAnAbsentStandInToTheSystem) {
  Load("^");
  // Not a key: the default procedure answers and the editor does nothing.
  EXPECT_EQ(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0), 0);
  EXPECT_EQ(SendMessageW(window, WM_APP, 1, 2), 0);
  ExpectReceived({});
  standIn.reset();
  SendMessageW(window, WM_CHAR, L'a', 1);
  SendMessageW(window, WM_KEYDOWN, VK_RETURN, 1);
  EXPECT_EQ(Render(), Marked("^"));
}

TEST_F(StandInWindow, AFailingObserverDoesNotEscapeTheProcedure) {
  Load("^");
  standIn->beforeEditor = [](HWND, UINT, WPARAM) { throw std::runtime_error("observer"); };
  EXPECT_NO_THROW(SendMessageW(window, WM_CHAR, L'a', 1));
  EXPECT_EQ(Render(), Marked("^"));
}

}  // namespace
}  // namespace tarnwick
