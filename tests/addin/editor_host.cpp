#include "tests/addin/editor_host.h"

#include <gtest/gtest.h>
#include <oleauto.h>

#include <cstdio>

#include "addin/module.h"
#include "simulator/editor_behavior.h"
#include "tests/cases/caret_text.h"

namespace tarnwick::test {

namespace {

EditorHost* currentHost = nullptr;
constexpr LPARAM kResultString = 0x0800;  // GCS_RESULTSTR

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterClassOnce(const wchar_t* name, WNDPROC procedure) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = name;
  RegisterClassW(&windowClass);
}

HWND Create(const wchar_t* className, DWORD style, HWND parent, void* parameter = nullptr) {
  HWND window = CreateWindowExW(0, className, L"", style, 0, 0, 200, 100, parent, nullptr,
                                GetModuleHandleW(nullptr), parameter);
  EXPECT_NE(window, nullptr) << "cannot create a window of class " << className;
  return window;
}

std::wstring TlbPath(const char* path) {
  std::wstring wide(path, path + strlen(path));
  return L"Z:" + wide;
}

void RegisterLibrary(const char* path) {
  ITypeLib* library = nullptr;
  HRESULT hr = LoadTypeLibEx(TlbPath(path).c_str(), REGKIND_REGISTER, &library);
  ASSERT_EQ(hr, S_OK) << "cannot register " << path;
  library->Release();
}

void UnregisterLibrary(const GUID& libid) {
  UnRegisterTypeLib(libid, 1, 0, 0, SYS_WIN64);
}

const GUID kTarnwickLib = {
    0xC3D81A47, 0x5E29, 0x4B6F, {0x8A, 0x1C, 0x2F, 0x7E, 0x9D, 0x0B, 0x4C, 0x65}};
const GUID kAddInDesignerLib = {
    0xAC0714F2, 0x3D04, 0x11D1, {0xAE, 0x7D, 0x00, 0xA0, 0xC9, 0x0F, 0x26, 0xF4}};

}  // namespace

LRESULT CALLBACK CodeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  EditorHost* host = currentHost;
  bool keyOrIme = message == WM_KEYDOWN || message == WM_CHAR ||
                  (message >= WM_IME_STARTCOMPOSITION && message <= WM_IME_COMPOSITION);
  if (host && keyOrIme) {
    host->received.push_back({window, message, wParam});
    if (host->beforeEditor) {
      host->beforeEditor(message, wParam);
    }
    ApplyEditorMessage(host->module, host->selection, message, wParam, host->composition);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void SetUpProcess() {
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  RegisterClassOnce(L"wndclass_desked_gsk", PlainProc);
  RegisterClassOnce(L"VbaWindow", CodeWindowProc);
  RegisterClassOnce(L"TarnwickTestHolder", PlainProc);
  RegisterLibrary(TARNWICK_TEST_TLB);
  RegisterLibrary(TARNWICK_TEST_DESIGNER_TLB);
}

void TearDownProcess() {
  tarnwickModule.Term();
  UnregisterLibrary(kTarnwickLib);
  UnregisterLibrary(kAddInDesignerLib);
  CoUninitialize();
}

EditorHost::EditorHost() {
  currentHost = this;
  const DWORD frameStyle = WS_OVERLAPPEDWINDOW;
  const DWORD codeStyle = WS_CHILD | WS_CAPTION | WS_SYSMENU;
  decoyBefore = Create(L"wndclass_desked_gsk", frameStyle, nullptr);
  frame = Create(L"wndclass_desked_gsk", frameStyle, nullptr);
  CLIENTCREATESTRUCT client{nullptr, 0xFF00};
  mdiClient = Create(L"MDIClient", WS_CHILD | WS_CLIPCHILDREN, frame, &client);
  codeWindow = Create(L"VbaWindow", codeStyle, mdiClient);
  holder = Create(L"TarnwickTestHolder", WS_CHILD, mdiClient);
  nestedCodeWindow = Create(L"VbaWindow", codeStyle, holder);
  decoyAfter = Create(L"wndclass_desked_gsk", frameStyle, nullptr);
  strayCodeWindow = Create(L"VbaWindow", codeStyle, decoyAfter);
}

EditorHost::~EditorHost() {
  for (HWND window : {decoyAfter, frame, decoyBefore}) {
    if (IsWindow(window)) {
      DestroyWindow(window);
    }
  }
  currentHost = nullptr;
}

HWND EditorHost::CreateCodeWindow(DWORD style) {
  return Create(L"VbaWindow", style, mdiClient);
}

void EditorHost::Load(const char* marked) {
  CaretText text = ParseCaretText(marked);
  module = Module(text.lines);
  selection = {text.line, text.column, text.line, text.column};
}

std::string EditorHost::Render() const {
  return RenderCaretText(module.Lines(), selection.startLine, selection.startColumn);
}

void EditorHost::Press(HWND window, const Keystroke& key) {
  switch (key.kind) {
    case Keystroke::Kind::kCharacter:
      for (wchar_t unit : key.text) {
        SendMessageW(window, WM_CHAR, unit, 1);
      }
      break;
    case Keystroke::Kind::kEnter:
      SendMessageW(window, WM_KEYDOWN, VK_RETURN, 1);
      SendMessageW(window, WM_CHAR, L'\r', 1);
      break;
    case Keystroke::Kind::kTab:
      SendMessageW(window, WM_KEYDOWN, VK_TAB, 1);
      SendMessageW(window, WM_CHAR, L'\t', 1);
      break;
    case Keystroke::Kind::kCaret:
    case Keystroke::Kind::kSelect:
      selection = module.Clamp(key.selection);
      break;
    case Keystroke::Kind::kIme:
      composition = key.text;
      SendMessageW(window, WM_IME_STARTCOMPOSITION, 0, 0);
      SendMessageW(window, WM_IME_COMPOSITION, 0, kResultString);
      SendMessageW(window, WM_IME_ENDCOMPOSITION, 0, 0);
      composition.clear();
      break;
  }
}

void EditorHost::Type(HWND window, const char* keys) {
  for (const Keystroke& key : ParseKeys(keys)) {
    Press(window, key);
  }
}

std::vector<EditorMessage> EditorHost::TakeReceived() {
  std::vector<EditorMessage> taken;
  taken.swap(received);
  return taken;
}

std::string Describe(const std::vector<EditorMessage>& messages) {
  std::string text;
  for (const EditorMessage& m : messages) {
    char line[96];
    std::snprintf(line, sizeof line, "  hwnd %p msg %04x wp %llx\n", static_cast<void*>(m.window),
                  m.message, static_cast<unsigned long long>(m.wParam));
    text += line;
  }
  return text.empty() ? "  (none)\n" : text;
}

}  // namespace tarnwick::test

namespace tarnwick::test {
namespace {

class ProcessEnvironment : public testing::Environment {
 public:
  void SetUp() override { SetUpProcess(); }
  void TearDown() override { TearDownProcess(); }
};

[[maybe_unused]] testing::Environment* const environment =
    testing::AddGlobalTestEnvironment(new ProcessEnvironment);

}  // namespace
}  // namespace tarnwick::test
