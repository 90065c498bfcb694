// The host's windows without add-ins: what a scripted keystroke delivers to
// the code window's procedure, what the editor then does with the module, and
// the pictures taken of the frame.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "simulator/host/editor_host.h"
#include "simulator/host/screenshot.h"

namespace tarnwick {
namespace {

// No add-in is named under this key.
constexpr wchar_t kNoAddIns[] = L"Software\\TarnwickTest\\tarnwick_host_tests\\none";

struct Logged {
  UINT message;
  WPARAM wParam;
  bool operator==(const Logged&) const = default;
};

std::vector<Logged> logged;

bool IsRecorded(UINT message) {
  return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_CHAR ||
         message == WM_IME_STARTCOMPOSITION || message == WM_IME_COMPOSITION ||
         message == WM_IME_ENDCOMPOSITION;
}

LRESULT CALLBACK Recorder(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                          DWORD_PTR) {
  if (IsRecorded(message)) {
    logged.push_back({message, wParam});
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

std::string Describe(const std::vector<Logged>& messages) {
  std::string text;
  for (const Logged& entry : messages) {
    char line[48];
    snprintf(line, sizeof line, "  0x%04X %llu\n", entry.message,
             static_cast<unsigned long long>(entry.wParam));
    text += line;
  }
  return text;
}

class HostWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    host = std::make_unique<EditorHost>([](const std::wstring&) {});
    host->Start({{L"Sample", {L"Sub A()", L"End Sub"}}}, SW_SHOWNOACTIVATE, kNoAddIns);
    ASSERT_NE(host->Focused(), nullptr);
    ASSERT_TRUE(SetWindowSubclass(host->Focused()->Handle(), Recorder, 1, 0));
    logged.clear();
  }
  void TearDown() override {
    host.reset();
    OleUninitialize();
  }
  void Play(const char* keys) {
    for (const Keystroke& key : ParseKeys(keys)) {
      host->Play(key);
    }
  }
  void ExpectMessages(const std::vector<Logged>& expected) {
    EXPECT_EQ(logged, expected) << "expected:\n"
                                << Describe(expected) << "actual:\n"
                                << Describe(logged);
    logged.clear();
  }

  std::unique_ptr<EditorHost> host;
};

TEST_F(HostWindow, EachKeystrokeReachesTheWindowOnceAsTypedKeysWould) {
  Play("{Caret 1:8}x{Enter}{Tab}{Ime ab}");
  ExpectMessages({
      {WM_CHAR, 'x'},
      {WM_KEYDOWN, VK_RETURN},
      {WM_CHAR, '\r'},
      {WM_KEYUP, VK_RETURN},
      {WM_KEYDOWN, VK_TAB},
      {WM_CHAR, '\t'},
      {WM_KEYUP, VK_TAB},
      {WM_IME_STARTCOMPOSITION, 0},
      {WM_IME_COMPOSITION, 0},
      {WM_IME_ENDCOMPOSITION, 0},
  });
  EXPECT_EQ(host->Focused()->GetModule().Lines(),
            (std::vector<std::wstring>{L"Sub A()x", L"    ab", L"End Sub"}));
  const Selection caret{2, 7, 2, 7};
  EXPECT_EQ(host->Focused()->CurrentSelection(), caret);
}

TEST_F(HostWindow, ScriptedSelectionIsReplacedByTypingAndClampedLikeAClick) {
  Play("{Select 1:5-2:4}Z");
  EXPECT_EQ(host->Focused()->GetModule().Lines(), (std::vector<std::wstring>{L"Sub Z Sub"}));
  Play("{Caret 9:99}");
  const Selection end{1, 10, 1, 10};
  EXPECT_EQ(host->Focused()->CurrentSelection(), end);
}

TEST_F(HostWindow, PictureOfTheFrameShowsTheCodeWindowAndSurvivesPng) {
  const Picture picture = CaptureFrame(host->Frame().Handle(), host->Frame().MdiClient());
  RECT frame{};
  GetWindowRect(host->Frame().Handle(), &frame);
  ASSERT_EQ(picture.width, frame.right - frame.left);
  ASSERT_EQ(picture.height, frame.bottom - frame.top);

  // The code window's text area is white where nothing is written, and its
  // first line holds dark text.
  RECT client{};
  const HWND code = host->Focused()->Handle();
  GetClientRect(code, &client);
  MapWindowPoints(code, nullptr, reinterpret_cast<POINT*>(&client), 2);
  const int x = client.left - frame.left;
  const int y = client.top - frame.top;
  EXPECT_EQ(picture.At(client.right - frame.left - 5, client.bottom - frame.top - 5) & 0xFFFFFF,
            0xFFFFFFu);
  bool dark = false;
  for (int dy = 0; dy < 14; ++dy) {
    for (int dx = 20; dx < 80; ++dx) {
      dark = dark || (picture.At(x + dx, y + dy) & 0xFF) < 0x40;
    }
  }
  EXPECT_TRUE(dark) << "no text drawn on the first line";

  wchar_t folder[MAX_PATH];
  ASSERT_GT(GetTempPathW(MAX_PATH, folder), 0u);
  const std::wstring path = std::wstring(folder) + L"tarnwick_host_test.png";
  WritePng(picture, path);
  const Picture read = ReadPng(path);
  DeleteFileW(path.c_str());
  ASSERT_EQ(read.width, picture.width);
  ASSERT_EQ(read.height, picture.height);
  EXPECT_TRUE(read.pixels == picture.pixels);
}

TEST(Png, WritingToAMissingFolderFailsLoudly) {
  ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
  Picture picture{2, 1, {0xFF102030u, 0xFFFFFFFFu}};
  EXPECT_THROW(WritePng(picture, L"Z:\\no\\such\\folder\\x.png"), std::runtime_error);
  OleUninitialize();
}

}  // namespace
}  // namespace tarnwick
