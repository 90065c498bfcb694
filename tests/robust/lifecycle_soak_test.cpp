// Connect, work and disconnect, over and over, in one process: after every
// cycle nothing of the add-in is left in the editor's windows, and at the end
// the process's window-system objects and private memory have not grown.
//
// Cycles: TARNWICK_SOAK_CYCLES (default 100); each of the other forms runs a
// fifth as many.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "addin/com_object.h"
#include "addin/connect.h"
#include "addin/server/module.h"
#include "simulator/keys.h"
#include "tests/addin/stand_in_editor.h"
#include "tests/robust/soak_support.h"

namespace tarnwick::test {

// The code windows' own class procedure (tests/addin/stand_in_editor.cpp).
LRESULT CALLBACK CodeWindowProc(HWND, UINT, WPARAM, LPARAM);

namespace {

constexpr DWORD kCodeStyle = WS_CHILD | WS_CAPTION | WS_SYSMENU;
constexpr const char* kModule =
    "Option Explicit\n''^\nPublic Function Add(ByVal a As Long, ByVal b As Long) As Long\n"
    "    Add = a + b\nEnd Function";
// One keystroke of each kind, from the caret above the declaration: the
// template, a tag walk, continuation, a closing tag, compositions.
constexpr const char* kKeys = "'{Tab}{Enter}<para>{Ime x}{Ime '}";

enum class Ending { Disconnect, ReleaseOnly, ReleaseWithNestedKeys };

class LifecycleSoak : public testing::Test {
 protected:
  // A window the add-in does not route: its procedure is the class's own, and
  // an apostrophe that completes a marker is typed and nothing more.
  void ExpectUnrouted(HWND window, const char* what, int cycle) {
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&CodeWindowProc))
        << what << " kept a replaced procedure after cycle " << cycle;
    host.Load(kModule);
    host.Type(window, "'");
    EXPECT_EQ(host.module.Line(2), L"'''")
        << what << " is still routed to the add-in after cycle " << cycle;
  }

  void RunCycle(Ending ending, int cycle) {
    const LONG vbeReferences = host.model.VbeObj().References();
    const LONG paneReferences = host.model.Pane().References();
    const LONG moduleReferences = host.model.CodeModule().References();
    HWND third = host.CreateCodeWindow(kCodeStyle);

    CComObject<CConnect>* connect = new CComObject<CConnect>();
    connect->AddRef();
    ASSERT_EQ(connect->OnConnection(host.model.Vbe(), ext_cm_AfterStartup, nullptr, nullptr), S_OK);
    ASSERT_EQ(connect->codeWindows->size(), 3u);
    HWND fourth = host.CreateCodeWindow(kCodeStyle);
    HWND fifth = host.CreateCodeWindow(kCodeStyle);
    ASSERT_EQ(connect->codeWindows->count(fourth), 1u) << "the hook missed a new window";
    ASSERT_EQ(connect->codeWindows->count(fifth), 1u);
    DestroyWindow(third);

    for (HWND window : {host.codeWindow, fourth}) {
      host.Load(kModule);
      host.Type(window, kKeys);
      ASSERT_EQ(host.module.Line(2), L"''' <summary>") << "cycle " << cycle;
    }
    if (ending == Ending::ReleaseWithNestedKeys) {
      // Watched keys sent from inside a dispatch, while the editor types the
      // apostrophe that the add-in passed on.
      bool sending = false;
      host.beforeEditor = [&](UINT message, WPARAM wParam) {
        if (sending || message != WM_CHAR || wParam != L'\'') {
          return;
        }
        sending = true;
        SendMessageW(fifth, WM_KEYDOWN, VK_TAB, 1);
        SendMessageW(fifth, WM_CHAR, L'>', 1);
        SendMessageW(fifth, WM_KEYDOWN, VK_RETURN, 1);
        sending = false;
      };
      host.Load(kModule);
      host.Type(host.codeWindow, "'");
      host.beforeEditor = nullptr;
    }

    if (ending == Ending::Disconnect) {
      EXPECT_EQ(connect->OnDisconnection(ext_dm_UserClosed, nullptr), S_OK);
    }
    connect->Release();

    EXPECT_EQ(activeConnect, nullptr);
    EXPECT_EQ(tarnwickModule.GetLockCount(), 0);
    EXPECT_TRUE(FallbackWindowMap.empty()) << "a record was left after cycle " << cycle;
    EXPECT_EQ(host.model.VbeObj().References(), vbeReferences);
    EXPECT_EQ(host.model.Pane().References(), paneReferences);
    EXPECT_EQ(host.model.CodeModule().References(), moduleReferences);
    ExpectUnrouted(host.codeWindow, "the first code window", cycle);
    ExpectUnrouted(host.nestedCodeWindow, "the nested code window", cycle);
    ExpectUnrouted(fourth, "a window attached by the hook", cycle);
    HWND later = host.CreateCodeWindow(kCodeStyle);
    ExpectUnrouted(later, "a window created after the cycle (the hook is still in)", cycle);
    for (HWND window : {fourth, fifth, later}) {
      DestroyWindow(window);
    }
    // The stand-in editor's own records grow with every call; they are not
    // the add-in's.
    host.TakeReceived();
    host.model.Log().Clear();
  }

  void Soak(Ending ending, int cycles, const char* name) {
    // The first cycles warm up what the system allocates once.
    for (int cycle = 0; cycle < 5; ++cycle) {
      RunCycle(ending, cycle);
    }
    const ProcessResources start = MeasureProcessResources();
    for (int cycle = 5; cycle < cycles && !HasFailure(); ++cycle) {
      RunCycle(ending, cycle);
    }
    const ProcessResources end = MeasureProcessResources();
    std::printf(
        "[ soak     ] %-28s %5d cycles; USER %lu -> %lu, GDI %lu -> %lu, "
        "private bytes %zu -> %zu\n",
        name, cycles, start.userObjects, end.userObjects, start.gdiObjects, end.gdiObjects,
        start.privateBytes, end.privateBytes);
    EXPECT_LE(end.userObjects, start.userObjects + 8);
    EXPECT_LE(end.gdiObjects, start.gdiObjects + 8);
    EXPECT_LE(end.privateBytes, start.privateBytes + 2 * 1024 * 1024);
  }

  StandInEditor host;
};

TEST_F(LifecycleSoak, ConnectWorkDisconnect) {
  Soak(Ending::Disconnect, SoakCycles(), "disconnect, then release");
}

TEST_F(LifecycleSoak, ReleaseWithoutDisconnecting) {
  Soak(Ending::ReleaseOnly, SoakCycles() / 5, "release while attached");
}

TEST_F(LifecycleSoak, NestedWatchedKeysThenRelease) {
  Soak(Ending::ReleaseWithNestedKeys, SoakCycles() / 5, "nested keys, then release");
}

}  // namespace
}  // namespace tarnwick::test
