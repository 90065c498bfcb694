// The add-in connected to a stand-in editor: its window tree on this thread,
// real keystroke messages sent to the code windows, and the module behind the
// active pane checked afterwards.
#include <gtest/gtest.h>
#include <wrl/client.h>

#include <algorithm>
#include <string>

#include "addin/com_object.h"
#include "addin/connect.h"
#include "addin/server/module.h"
#include "simulator/keys.h"
#include "tests/addin/stand_in_editor.h"
#include "tests/window/freed_memory_guard.h"
#include "tests/cases/caret_text.h"
#include "tests/cases/keystroke_cases.h"

namespace tarnwick::test {
namespace {

using Microsoft::WRL::ComPtr;

constexpr DWORD kCodeStyle = WS_CHILD | WS_CAPTION | WS_SYSMENU;
constexpr const char* kAboveFunction =
    "Option Explicit\n''^\nPublic Function Add(ByVal a As Long, ByVal b As Long) As Long\n"
    "    Add = a + b\nEnd Function";
constexpr const char* kTemplate =
    "Option Explicit\n''' <summary>\n''' ^\n''' </summary>\n''' <param name=\"a\"></param>\n"
    "''' <param name=\"b\"></param>\n''' <returns></returns>\n''' <remarks></remarks>\n"
    "Public Function Add(ByVal a As Long, ByVal b As Long) As Long\n    Add = a + b\nEnd Function";

std::string Rendered(const char* marked) {
  CaretText text = ParseCaretText(marked);
  return RenderCaretText(text.lines, text.line, text.column);
}

LONG_PTR ProcedureOf(HWND window) {
  return GetWindowLongPtrW(window, GWLP_WNDPROC);
}

// A connected add-in over the stand-in editor.
class ConnectedEditor : public testing::Test {
 protected:
  void SetUp() override {
    vbeReferences = host.model.VbeObj().References();
    paneReferences = host.model.Pane().References();
    moduleReferences = host.model.CodeModule().References();
    connect = new CComObject<CConnect>();
    connect->AddRef();
    ASSERT_EQ(connect->OnConnection(host.model.Vbe(), ext_cm_Startup, nullptr, nullptr), S_OK);
  }
  void TearDown() override {
    if (connect) {
      EXPECT_EQ(connect->OnDisconnection(ext_dm_HostShutdown, nullptr), S_OK);
      connect->Release();
    }
    ExpectEverythingReleased();
  }
  void ExpectEverythingReleased() {
    EXPECT_EQ(host.model.VbeObj().References(), vbeReferences);
    EXPECT_EQ(host.model.Pane().References(), paneReferences);
    EXPECT_EQ(host.model.CodeModule().References(), moduleReferences);
    EXPECT_EQ(tarnwickModule.GetLockCount(), 0);
    EXPECT_EQ(activeConnect, nullptr);
    EXPECT_TRUE(FallbackWindowMap.empty());
  }
  bool Attached(HWND window) const {
    return connect->codeWindows && connect->codeWindows->count(window) != 0;
  }
  // Sends `keys` and checks the module and the messages the editor received.
  void ExpectKeys(HWND window, const char* before, const char* keys, const char* after,
                  std::vector<EditorMessage> received) {
    host.Load(before);
    host.TakeReceived();
    host.Type(window, keys);
    EXPECT_EQ(host.Render(), Rendered(after)) << "keys: " << keys;
    std::vector<EditorMessage> actual = host.TakeReceived();
    EXPECT_EQ(actual, received) << "keys: " << keys << "\nexpected:\n"
                                << Describe(received) << "actual:\n"
                                << Describe(actual);
  }

  StandInEditor host;
  CComObject<CConnect>* connect = nullptr;
  LONG vbeReferences = 0, paneReferences = 0, moduleReferences = 0;
};

TEST_F(ConnectedEditor, DiscoveryAttachesTheCodeWindowsUnderTheMdiClient) {
  EXPECT_TRUE(Attached(host.codeWindow));
  EXPECT_TRUE(Attached(host.nestedCodeWindow)) << "a deeper descendant was missed";
  EXPECT_FALSE(Attached(host.strayCodeWindow)) << "a frame without MDI client was searched";
  EXPECT_EQ(connect->codeWindows->size(), 2u);
  EXPECT_NE(connect->creationHook, nullptr);
  EXPECT_EQ(connect->vbe.Get(), host.model.Vbe());
  for (auto& [window, record] : *connect->codeWindows) {
    EXPECT_NE(record->installed, FALSE);
    EXPECT_EQ(record->owner, connect);
  }

  // A known handle is not attached a second time.
  SubclassedWindow* record = connect->codeWindows->at(host.codeWindow).get();
  AttachCodeWindow(*connect, host.codeWindow);
  EXPECT_EQ(connect->codeWindows->size(), 2u);
  EXPECT_EQ(connect->codeWindows->at(host.codeWindow).get(), record);
}

TEST(Discovery, OnlyTheFirstFrameWithAnMdiClientIsSearched) {
  StandInEditor host;
  HWND second = CreateWindowExW(0, L"wndclass_desked_gsk", L"", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10,
                                nullptr, nullptr, nullptr, nullptr);
  CLIENTCREATESTRUCT client{nullptr, 0xFF00};
  HWND secondClient = CreateWindowExW(0, L"MDIClient", L"", WS_CHILD, 0, 0, 10, 10, second, nullptr,
                                      nullptr, &client);
  HWND secondCode = CreateWindowExW(0, L"VbaWindow", L"", kCodeStyle, 0, 0, 10, 10, secondClient,
                                    nullptr, nullptr, nullptr);
  ComPtr<CComObject<CConnect>> connect(new CComObject<CConnect>());
  connect->codeWindows = std::make_unique<CodeWindowMap>();
  DiscoverCodeWindows(*connect.Get());
  bool firstSearched = connect->codeWindows->count(host.codeWindow) != 0;
  bool secondSearched = connect->codeWindows->count(secondCode) != 0;
  EXPECT_NE(firstSearched, secondSearched) << "exactly one frame must be searched";
  connect->Teardown();
  DestroyWindow(second);
}

TEST_F(ConnectedEditor, KeystrokeTablesThroughTheRealWindowPath) {
  for (const KeystrokeCase& c : KeystrokeCases()) {
    CaretText before = ParseCaretText(c.before);
    host.module = Module(before.lines);
    host.selection = {before.line, before.column, before.line, before.column};
    host.Type(host.nestedCodeWindow, c.keys);
    EXPECT_EQ(host.Render(), Rendered(c.after)) << c.name << "\nkeys: " << c.keys;
  }
  host.TakeReceived();
  EXPECT_EQ(host.model.VbeObj().References(), vbeReferences + 1) << "only `vbe` may stay";
  EXPECT_EQ(host.model.Pane().References(), paneReferences);
  EXPECT_EQ(host.model.CodeModule().References(), moduleReferences);
}

TEST_F(ConnectedEditor, EachActionSendsTheEditorWhatItShouldSee) {
  HWND w = host.codeWindow;
  // The template: the apostrophe once, then the space after the marker.
  ExpectKeys(w, kAboveFunction, "'", kTemplate, {{w, WM_CHAR, L'\''}, {w, WM_CHAR, L' '}});
  // Enter in a block: the editor splits the line on the key-down, the space
  // after the marker is typed, then the key's character arrives.
  ExpectKeys(w, "'''<summary>^", "{Enter}", "'''<summary>\n''' ^",
             {{w, WM_KEYDOWN, VK_RETURN}, {w, WM_CHAR, L' '}, {w, WM_CHAR, L'\r'}});
  // Tab in a block moves the caret; the editor sees only the key's character.
  ExpectKeys(w, "'''<summary>^</summary>\n'''<remarks></remarks>", "{Tab}",
             "'''<summary></summary>\n'''<remarks>^</remarks>", {{w, WM_CHAR, L'\t'}});
  ExpectKeys(w, "''' <b^", ">", "''' <b>^</b>", {{w, WM_CHAR, L'>'}});
  // An input-method composition ending in '>' gets the closing tag, and the
  // end of the composition is consumed.
  ExpectKeys(w, "''' ^", "{Ime <c>}", "''' <c>^</c>",
             {{w, WM_IME_STARTCOMPOSITION, 0}, {w, WM_IME_COMPOSITION, 0}});
  // Unwatched keys only reach the editor.
  ExpectKeys(w, "Dim a^", "b", "Dim ab^", {{w, WM_CHAR, L'b'}});
}

TEST_F(ConnectedEditor, CodeWindowsCreatedLaterAreAttachedByStyleAndClass) {
  struct Case {
    const char* what;
    DWORD style;
    const wchar_t* className;
    bool attached;
  };
  const Case cases[] = {
      {"border and system menu", WS_CHILD | WS_BORDER | WS_SYSMENU, L"VbaWindow", true},
      {"dialog frame and system menu", WS_CHILD | WS_DLGFRAME | WS_SYSMENU, L"VbaWindow", true},
      {"caption without system menu", WS_CHILD | WS_CAPTION, L"VbaWindow", false},
      {"system menu without a frame", WS_CHILD | WS_SYSMENU, L"VbaWindow", false},
      {"another class", kCodeStyle, L"TarnwickTestHolder", false},
  };
  for (const Case& c : cases) {
    HWND window = CreateWindowExW(0, c.className, L"", c.style, 0, 0, 10, 10, host.mdiClient,
                                  nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Attached(window), c.attached) << c.what;
  }
  HWND later = host.CreateCodeWindow(kCodeStyle);
  ExpectKeys(later, kAboveFunction, "'", kTemplate,
             {{later, WM_CHAR, L'\''}, {later, WM_CHAR, L' '}});
}

// A hook installed before connection sees every event after the add-in's.
HHOOK testHook = nullptr;
int creationsSeen = 0;
LRESULT CALLBACK CountingHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    ++creationsSeen;
  }
  return CallNextHookEx(testHook, code, wParam, lParam);
}

TEST(CreationHook, EveryEventGoesOnToTheNextHook) {
  StandInEditor host;
  testHook = SetWindowsHookExW(WH_CBT, CountingHook, nullptr, GetCurrentThreadId());
  ASSERT_NE(testHook, nullptr);
  ComPtr<CComObject<CConnect>> connect(new CComObject<CConnect>());
  ASSERT_EQ(connect->OnConnection(host.model.Vbe(), ext_cm_Startup, nullptr, nullptr), S_OK);
  creationsSeen = 0;
  host.CreateCodeWindow(kCodeStyle);
  host.CreateCodeWindow(WS_CHILD);
  EXPECT_EQ(creationsSeen, 2);
  EXPECT_EQ(connect->codeWindows->size(), 3u);
  EXPECT_EQ(connect->OnDisconnection(ext_dm_HostShutdown, nullptr), S_OK);
  UnhookWindowsHookEx(testHook);
}

TEST(Disconnection, RestoresEveryProcedureAndUnhooks) {
  StandInEditor host;
  LONG vbeReferences = host.model.VbeObj().References();
  const LONG_PTR direct = ProcedureOf(host.codeWindow);
  const LONG_PTR nested = ProcedureOf(host.nestedCodeWindow);
  ComPtr<CComObject<CConnect>> connect(new CComObject<CConnect>());
  ASSERT_EQ(connect->OnConnection(host.model.Vbe(), ext_cm_Startup, nullptr, nullptr), S_OK);
  HWND later = host.CreateCodeWindow(kCodeStyle);
  const LONG_PTR laterBefore = static_cast<LONG_PTR>(GetClassLongPtrW(later, GCLP_WNDPROC));

  EXPECT_EQ(connect->OnDisconnection(ext_dm_UserClosed, nullptr), S_OK);
  EXPECT_EQ(connect->codeWindows, nullptr);
  EXPECT_EQ(connect->creationHook, nullptr);
  EXPECT_EQ(ProcedureOf(host.codeWindow), direct);
  EXPECT_EQ(ProcedureOf(host.nestedCodeWindow), nested);
  EXPECT_EQ(ProcedureOf(later), laterBefore);
  EXPECT_EQ(connect->vbe.Get(), host.model.Vbe()) << "the editor is kept until destruction";

  // Nothing of the add-in is left in the path: the apostrophe is only typed.
  host.Load(kAboveFunction);
  host.Type(host.codeWindow, "'");
  EXPECT_EQ(host.Render(), Rendered("Option Explicit\n'''^\nPublic Function Add(ByVal a As Long, "
                                    "ByVal b As Long) As Long\n    Add = a + b\nEnd Function"));
  host.CreateCodeWindow(kCodeStyle);  // no hook left to reach the object

  // A disconnected object connects again.
  ASSERT_EQ(connect->OnConnection(host.model.Vbe(), ext_cm_AfterStartup, nullptr, nullptr), S_OK);
  EXPECT_EQ(connect->codeWindows->size(), 4u);
  EXPECT_EQ(connect->OnDisconnection(ext_dm_UserClosed, nullptr), S_OK);
  connect.Reset();
  EXPECT_EQ(host.model.VbeObj().References(), vbeReferences);
  EXPECT_EQ(tarnwickModule.GetLockCount(), 0);
}

// Failures on the message path: for each editor call in turn, a keystroke
// whose call fails still reaches the editor exactly once, and nothing escapes.
TEST_F(ConnectedEditor, AFailingEditorCallNeverLosesOrRepeatsTheKeystroke) {
  struct Case {
    const char* before;
    const char* keys;
    UINT message;
    WPARAM key;
  };
  const Case cases[] = {
      {kAboveFunction, "'", WM_CHAR, L'\''},
      {"'''<summary>^", "{Enter}", WM_KEYDOWN, VK_RETURN},
      {"''' <b^", ">", WM_CHAR, L'>'},
      {"'''<summary>^</summary>\n'''<remarks></remarks>", "{Tab}", WM_CHAR, L'\t'},
  };
  for (const Case& c : cases) {
    host.Load(c.before);
    host.model.Log().Clear();
    host.Type(host.codeWindow, c.keys);
    const int64_t calls = host.model.Log().InvokeCount();
    ASSERT_GT(calls, 0) << c.keys;
    for (int64_t failing = 1; failing <= calls; ++failing) {
      host.Load(c.before);
      host.TakeReceived();
      host.model.Log().FailInvoke(failing, E_FAIL);
      host.Type(host.codeWindow, c.keys);
      std::vector<EditorMessage> received = host.TakeReceived();
      int seen = 0;
      for (const EditorMessage& m : received) {
        seen += m.message == c.message && m.wParam == c.key;
        // No message of the keystroke reaches the editor twice.
        EXPECT_EQ(std::count(received.begin(), received.end(), m), 1)
            << c.keys << " with editor call " << failing << " failing\n"
            << Describe(received);
      }
      EXPECT_EQ(seen, 1) << c.keys << " with editor call " << failing << " failing\n"
                         << Describe(received);
      host.model.Log().FailInvoke(0, S_OK);
    }
  }
  // No binding survived a failure.
  EXPECT_EQ(host.model.Pane().References(), paneReferences);
  EXPECT_EQ(host.model.CodeModule().References(), moduleReferences);
}

// After the typed space the record holds the nested WM_CHAR 0x20; a failure
// after it must still leave the original key delivered once, not the space.
TEST_F(ConnectedEditor, AFailureAfterATypedSpaceDeliversTheOriginalKey) {
  host.Load("'''<summary>^");
  host.TakeReceived();
  host.beforeEditor = [this](UINT message, WPARAM wParam) {
    if (message == WM_CHAR && wParam == L' ') {
      host.model.Log().FailInvoke(1, E_FAIL);
    }
  };
  host.Type(host.codeWindow, "{Enter}");
  host.beforeEditor = nullptr;
  host.model.Log().FailInvoke(0, S_OK);
  std::vector<EditorMessage> received = host.TakeReceived();
  int enters = 0, spaces = 0;
  for (const EditorMessage& m : received) {
    enters += m.message == WM_KEYDOWN && m.wParam == VK_RETURN;
    spaces += m.message == WM_CHAR && m.wParam == L' ';
  }
  EXPECT_EQ(enters, 1) << Describe(received);
  EXPECT_EQ(spaces, 1) << Describe(received);
}

TEST_F(ConnectedEditor, NoActivePaneOrNoEditorLeavesTheKeyToTheEditor) {
  host.model.SetPaneActive(false);
  ExpectKeys(host.codeWindow, kAboveFunction, "'",
             "Option Explicit\n'''^\nPublic Function Add(ByVal a As Long, ByVal b As Long) As "
             "Long\n    Add = a + b\nEnd Function",
             {{host.codeWindow, WM_CHAR, L'\''}});
  host.model.SetPaneActive(true);
  connect->vbe.Reset();
  ExpectKeys(host.codeWindow, "''' <b^", ">", "''' <b>^", {{host.codeWindow, WM_CHAR, L'>'}});
  connect->vbe = host.model.Vbe();
}

TEST_F(ConnectedEditor, DestroyingTheObjectWithoutDisconnectionTearsDown) {
  const LONG_PTR classProcedure =
      static_cast<LONG_PTR>(GetClassLongPtrW(host.codeWindow, GCLP_WNDPROC));
  connect->Release();
  connect = nullptr;
  ExpectEverythingReleased();
  EXPECT_EQ(ProcedureOf(host.codeWindow), classProcedure);
  EXPECT_EQ(ProcedureOf(host.nestedCodeWindow), classProcedure);
  // No routing or hook leads to the freed object any more.
  host.Load(kAboveFunction);
  host.Type(host.codeWindow, "'");
  EXPECT_EQ(host.Render(), Rendered("Option Explicit\n'''^\nPublic Function Add(ByVal a As Long, "
                                    "ByVal b As Long) As Long\n    Add = a + b\nEnd Function"));
  host.CreateCodeWindow(kCodeStyle);
}

TEST_F(ConnectedEditor, ConnectingAgainStartsFromNothing) {
  ASSERT_EQ(connect->OnConnection(host.model.Vbe(), ext_cm_AfterStartup, nullptr, nullptr), S_OK);
  EXPECT_EQ(connect->codeWindows->size(), 2u);
  // One routing per window: the template is inserted once, the key seen once.
  ExpectKeys(host.codeWindow, kAboveFunction, "'", kTemplate,
             {{host.codeWindow, WM_CHAR, L'\''}, {host.codeWindow, WM_CHAR, L' '}});
  HWND later = host.CreateCodeWindow(kCodeStyle);
  EXPECT_TRUE(Attached(later));
  EXPECT_EQ(connect->codeWindows->size(), 3u);
}

TEST_F(ConnectedEditor, TheHookFindsItsRecordWhenANewerObjectHasNone) {
  auto* newer = new CComObject<CConnect>();
  newer->AddRef();
  ASSERT_EQ(activeConnect, newer);
  HWND first = host.CreateCodeWindow(kCodeStyle);
  EXPECT_TRUE(Attached(first));
  EXPECT_EQ(newer->codeWindows, nullptr);
  newer->Release();
  EXPECT_EQ(activeConnect, nullptr);
  HWND second = host.CreateCodeWindow(kCodeStyle);
  EXPECT_TRUE(Attached(second));
  ExpectKeys(second, kAboveFunction, "'", kTemplate,
             {{second, WM_CHAR, L'\''}, {second, WM_CHAR, L' '}});
}

TEST_F(ConnectedEditor, ADestroyedCodeWindowLeavesTheMap) {
  const size_t start = connect->codeWindows->size();
  for (int i = 0; i < 40; ++i) {
    HWND window = host.CreateCodeWindow(kCodeStyle);
    ASSERT_TRUE(Attached(window));
    host.Load("''' <b^");
    host.Type(window, ">");
    EXPECT_EQ(host.Render(), Rendered("''' <b>^</b>"));
    DestroyWindow(window);
    EXPECT_FALSE(Attached(window));
  }
  EXPECT_EQ(connect->codeWindows->size(), start) << "the map grew over destroyed windows";
  EXPECT_EQ(RetiredWindowCount(), 0u);

  // Destroyed in the middle of a keystroke's handling: the record outlives it.
  HWND doomed = host.CreateCodeWindow(kCodeStyle);
  host.beforeEditor = [doomed](UINT message, WPARAM) {
    if (message == WM_CHAR) {
      DestroyWindow(doomed);
    }
  };
  host.Load(kAboveFunction);
  host.Type(doomed, "'");
  host.beforeEditor = nullptr;
  EXPECT_FALSE(Attached(doomed));
  EXPECT_FALSE(IsWindow(doomed));
  EXPECT_EQ(RetiredWindowCount(), 0u);
}

// The editor lets go of the add-in from inside its own handling of a keystroke
// that the add-in passed on: it disconnects it, or drops its last reference.
// Freed blocks are kept and poisoned meanwhile, so a write into a freed record
// or instance shows, and a read of one fails when it is used.
TEST(EditorLetsGo, MidKeystrokeNothingFreedIsTouchedAndAReconnectionWorks) {
  enum class LetGo { Disconnect, Release };
  // A disconnected instance starts nothing more; one that was only released
  // finishes the keystroke, and is destroyed when the message is done.
  struct Case {
    const char* key;  // handed on before the add-in acts, or passed on untouched
    const char* before;
    const char* afterDisconnect;
    const char* afterRelease;
  };
  const char* const typedOnly =
      "Option Explicit\n'''^\nPublic Function Add(ByVal a As Long, ByVal b As Long) As Long\n"
      "    Add = a + b\nEnd Function";
  const Case keys[] = {
      {"'", kAboveFunction, typedOnly, kTemplate},
      {"b", "Dim a^", "Dim ab^", "Dim ab^"},
  };
  for (RoutingMode mode : {RoutingMode::SubclassFirst, RoutingMode::FallbackOnly}) {
    for (LetGo letGo : {LetGo::Disconnect, LetGo::Release}) {
      for (const Case& c : keys) {
        const std::string what =
            std::string(mode == RoutingMode::FallbackOnly ? "fallback" : "subclass") +
            (letGo == LetGo::Release ? ", released" : ", disconnected") + ", key " + c.key;
        StandInEditor host;
        auto* connect = new CComObject<CConnect>();
        connect->AddRef();
        connect->routingMode = mode;
        ASSERT_EQ(connect->OnConnection(host.model.Vbe(), ext_cm_Startup, nullptr, nullptr), S_OK);
        host.Load(c.before);
        host.TakeReceived();
        host.beforeEditor = [&](UINT message, WPARAM) {
          if (message != WM_CHAR || !connect) {
            return;
          }
          if (letGo == LetGo::Release) {
            connect->Release();
            connect = nullptr;
            // The record that routes this message still waits to be freed.
            EXPECT_EQ(tarnwickModule.DllCanUnloadNow(), S_FALSE);
          } else {
            EXPECT_EQ(connect->OnDisconnection(ext_dm_UserClosed, nullptr), S_OK);
          }
        };
        {
          FreedMemoryGuard guard;
          host.Type(host.codeWindow, c.key);
          EXPECT_GT(guard.Kept(), 0u) << what;
          EXPECT_EQ(guard.Touched(), 0u) << what << ": freed memory was written";
        }
        host.beforeEditor = nullptr;
        const char* after = letGo == LetGo::Release ? c.afterRelease : c.afterDisconnect;
        EXPECT_EQ(host.Render(), Rendered(after)) << what;
        const std::vector<EditorMessage> received = host.TakeReceived();
        EXPECT_EQ(received.front().wParam, static_cast<WPARAM>(c.key[0])) << what;
        EXPECT_EQ(std::count(received.begin(), received.end(), received.front()), 1) << what;
        EXPECT_EQ(RetiredWindowCount(), 0u) << what;
        if (connect) {
          connect->Release();
        }
        EXPECT_EQ(tarnwickModule.GetLockCount(), 0) << what;

        // The editor connects a new instance, which works as the first did.
        ComPtr<CComObject<CConnect>> again(new CComObject<CConnect>());
        again->routingMode = mode;
        ASSERT_EQ(again->OnConnection(host.model.Vbe(), ext_cm_AfterStartup, nullptr, nullptr),
                  S_OK);
        host.Load(kAboveFunction);
        host.Type(host.codeWindow, "'");
        EXPECT_EQ(host.Render(), Rendered(kTemplate)) << what;
        EXPECT_EQ(again->OnDisconnection(ext_dm_HostShutdown, nullptr), S_OK);
      }
    }
  }
}

}  // namespace
}  // namespace tarnwick::test
