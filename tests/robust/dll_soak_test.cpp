// The registered Tarnwick.dll through its whole life, over and over, in one
// process: created by ProgID, connected to the stand-in editor, worked,
// disconnected, released and unloaded. After every cycle the DLL is gone
// from the process and nothing of it is left in the editor's windows; across
// the run the thread's windows, GDI objects and private bytes stay flat.
//
// Cycles: TARNWICK_SOAK_CYCLES (default 100); each other ending runs a fifth
// as many.
#include <gtest/gtest.h>
#include <windows.h>
#include <wrl/client.h>

#include <cstdio>

#include "addin/interfaces.h"
#include "simulator/keys.h"
#include "tests/addin/stand_in_editor.h"
#include "tests/robust/soak_support.h"
#include "tests/server/dll_test_support.h"

namespace tarnwick::test {

// The code windows' own class procedure (tests/addin/stand_in_editor.cpp).
LRESULT CALLBACK CodeWindowProc(HWND, UINT, WPARAM, LPARAM);

namespace {

using Microsoft::WRL::ComPtr;
using server_test::GuidOf;
using server_test::kIID_IDTExtensibility2;
using server_test::LoadedServer;

constexpr DWORD kCodeStyle = WS_CHILD | WS_CAPTION | WS_SYSMENU;
constexpr const char* kModule =
    "Option Explicit\n''^\nPublic Function Add(ByVal a As Long, ByVal b As Long) As Long\n"
    "    Add = a + b\nEnd Function";
constexpr const char* kKeys = "'{Tab}{Enter}<para>{Ime x}{Ime '}";
constexpr wchar_t kDllName[] = L"Tarnwick.dll";

enum class Ending { Disconnect, ReleaseOnly, UnloadWhileAttached, NestedKeys };

class DllSoak : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    LoadedServer server;
    ASSERT_TRUE(server.Ready());
    ASSERT_EQ(server.registerServer(), S_OK);
  }
  static void TearDownTestSuite() {
    CoFreeUnusedLibrariesEx(0, 0);
    LoadedServer server;
    if (server.Ready()) {
      EXPECT_EQ(server.unregisterServer(), S_OK);
    }
  }

  void SetUp() override { ASSERT_EQ(CLSIDFromProgID(L"Tarnwick.Connect", &clsid), S_OK); }

  // Types an apostrophe that completes a marker above the declaration: true
  // when the add-in answered it with a template.
  bool Routed(HWND window) {
    host.Load(kModule);
    host.Type(window, "'");
    return host.module.Line(2) == L"''' <summary>";
  }

  void ExpectUnrouted(HWND window, const char* what, int cycle) {
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&CodeWindowProc))
        << what << " kept a replaced procedure after cycle " << cycle;
    EXPECT_FALSE(Routed(window)) << what << " is still routed after cycle " << cycle;
  }

  void RunCycle(Ending ending, int cycle) {
    const LONG vbeReferences = host.model.VbeObj().References();
    const LONG paneReferences = host.model.Pane().References();
    const LONG moduleReferences = host.model.CodeModule().References();
    HWND third = host.CreateCodeWindow(kCodeStyle);

    ComPtr<IUnknown> object;
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(object.GetAddressOf())),
              S_OK)
        << "cycle " << cycle;
    ComPtr<_IDTExtensibility2> addin;
    ASSERT_EQ(object->QueryInterface(GuidOf(kIID_IDTExtensibility2),
                                     reinterpret_cast<void**>(addin.GetAddressOf())),
              S_OK);
    object.Reset();
    ASSERT_EQ(addin->OnConnection(host.model.Vbe(), ext_cm_AfterStartup, nullptr, nullptr), S_OK);
    HWND fourth = host.CreateCodeWindow(kCodeStyle);
    HWND fifth = host.CreateCodeWindow(kCodeStyle);
    DestroyWindow(third);
    EXPECT_TRUE(Routed(fifth)) << "the hook missed a new window in cycle " << cycle;

    for (HWND window : {host.codeWindow, host.nestedCodeWindow, fourth}) {
      host.Load(kModule);
      host.Type(window, kKeys);
      EXPECT_EQ(host.module.Line(2), L"''' <summary>") << "cycle " << cycle;
    }

    if (ending == Ending::NestedKeys) {
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
        SendMessageW(fifth, WM_IME_ENDCOMPOSITION, 0, 0);
        sending = false;
      };
      host.Load(kModule);
      host.Type(host.codeWindow, "'");
      host.beforeEditor = nullptr;
    }
    if (ending == Ending::UnloadWhileAttached) {
      // The system may try to unload at any time: a connected add-in keeps
      // its DLL, and its windows go on working.
      CoFreeUnusedLibrariesEx(0, 0);
      EXPECT_NE(GetModuleHandleW(kDllName), nullptr) << "unloaded while connected";
      EXPECT_TRUE(Routed(host.codeWindow)) << "cycle " << cycle;
    }

    if (ending == Ending::Disconnect) {
      EXPECT_EQ(addin->OnDisconnection(ext_dm_UserClosed, nullptr), S_OK);
    }
    addin.Reset();
    {
      LoadedServer::CanUnloadNow canUnloadNow = reinterpret_cast<LoadedServer::CanUnloadNow>(
          reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(kDllName), "DllCanUnloadNow")));
      ASSERT_NE(canUnloadNow, nullptr);
      EXPECT_EQ(canUnloadNow(), S_OK) << "cycle " << cycle;
    }
    CoFreeUnusedLibrariesEx(0, 0);
    EXPECT_EQ(GetModuleHandleW(kDllName), nullptr) << "the DLL stayed after cycle " << cycle;

    EXPECT_EQ(host.model.VbeObj().References(), vbeReferences) << "cycle " << cycle;
    EXPECT_EQ(host.model.Pane().References(), paneReferences) << "cycle " << cycle;
    EXPECT_EQ(host.model.CodeModule().References(), moduleReferences) << "cycle " << cycle;
    ExpectUnrouted(host.codeWindow, "the first code window", cycle);
    ExpectUnrouted(host.nestedCodeWindow, "the nested code window", cycle);
    ExpectUnrouted(fourth, "a window attached by the hook", cycle);
    HWND later = host.CreateCodeWindow(kCodeStyle);
    ExpectUnrouted(later, "a window created after the cycle (the hook is still in)", cycle);
    for (HWND window : {fourth, fifth, later}) {
      DestroyWindow(window);
    }
    // The stand-in editor's own records grow with every call.
    host.TakeReceived();
    host.model.Log().Clear();
  }

  // What loading and freeing the DLL alone adds to private bytes, per load:
  // Wine's loader keeps a few KB of every load, of any DLL.
  static size_t LoaderGrowthPerLoad() {
    constexpr int kLoads = 60;
    size_t before = 0;
    for (int i = 0; i < kLoads; ++i) {
      if (i == 10) {
        before = MeasureProcessResources().privateBytes;
      }
      FreeLibrary(LoadLibraryW(server_test::BuiltDllPath().c_str()));
    }
    const size_t after = MeasureProcessResources().privateBytes;
    return after > before ? (after - before) / (kLoads - 10) : 0;
  }

  void Soak(Ending ending, int cycles, const char* name) {
    const size_t loader = LoaderGrowthPerLoad();
    for (int cycle = 0; cycle < 5; ++cycle) {
      RunCycle(ending, cycle);
    }
    const ProcessResources start = MeasureProcessResources();
    for (int cycle = 5; cycle < cycles && !HasFailure(); ++cycle) {
      RunCycle(ending, cycle);
    }
    const ProcessResources end = MeasureProcessResources();
    const long measured = cycles > 5 ? cycles - 5 : 1;
    const long perCycle =
        (static_cast<long>(end.privateBytes) - static_cast<long>(start.privateBytes)) / measured;
    std::printf(
        "[ dll soak ] %-30s %5d cycles; windows %lu -> %lu, USER %lu -> %lu, "
        "GDI %lu -> %lu, private bytes %zu -> %zu (%ld per cycle; the loader's own "
        "share %zu)\n",
        name, cycles, start.windows, end.windows, start.userObjects, end.userObjects,
        start.gdiObjects, end.gdiObjects, start.privateBytes, end.privateBytes, perCycle, loader);
    EXPECT_EQ(end.windows, start.windows);
    EXPECT_LE(end.userObjects, start.userObjects + 8);
    EXPECT_LE(end.gdiObjects, start.gdiObjects + 8);
    // Each cycle loads the DLL afresh. Beyond the loader's own share a cycle
    // may keep under 2 KB: the statically linked threads runtime keeps a
    // little of each load in which a C++ exception was thrown or a guarded
    // static initialised, since the thread outlives the DLL. A guarded static
    // on the keystroke path once made it 3.4 KB. Wine's heaps grow in pages,
    // and on a busy machine a short run was seen to take a few pages more, so
    // 64 KB of the whole run is slack; runs of a hundred cycles and more still
    // catch a leak of 3 KB per cycle. Connecting, working and disconnecting
    // without an unload keeps nothing at all (lifecycle_soak_test.cpp).
    EXPECT_LE(perCycle, static_cast<long>(loader) + 2048 + 65536 / measured);
  }

  StandInEditor host;
  CLSID clsid{};
};

TEST_F(DllSoak, CreateConnectWorkDisconnectUnload) {
  Soak(Ending::Disconnect, SoakCycles(), "disconnect, release");
}

TEST_F(DllSoak, ReleaseWithoutDisconnecting) {
  Soak(Ending::ReleaseOnly, SoakCycles() / 5, "release while attached");
}

TEST_F(DllSoak, UnloadAttemptWhileAttached) {
  Soak(Ending::UnloadWhileAttached, SoakCycles() / 5, "unload attempt while attached");
}

TEST_F(DllSoak, NestedWatchedKeys) {
  Soak(Ending::NestedKeys, SoakCycles() / 5, "nested watched keys");
}

}  // namespace
}  // namespace tarnwick::test
