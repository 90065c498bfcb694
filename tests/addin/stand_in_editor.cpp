#include "tests/addin/stand_in_editor.h"

#include <gtest/gtest.h>
#include <oleauto.h>

#include <cstdio>

#include "addin/server/module.h"
#include "tests/build_bitness.h"
#include "tests/cases/caret_text.h"

namespace tarnwick::test {

namespace {

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
  UnRegisterTypeLib(libid, 1, 0, 0, test::kTypeLibSysKind);
}

const GUID kTarnwickLib = {
    0xC3D81A47, 0x5E29, 0x4B6F, {0x8A, 0x1C, 0x2F, 0x7E, 0x9D, 0x0B, 0x4C, 0x65}};
const GUID kAddInDesignerLib = {
    0xAC0714F2, 0x3D04, 0x11D1, {0xAE, 0x7D, 0x00, 0xA0, 0xC9, 0x0F, 0x26, 0xF4}};

}  // namespace

// The code windows' class procedure: the stand-in's, under a name of its own
// so that a test can tell a code window's original procedure.
LRESULT CALLBACK CodeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return StandInCodeWindowProc(window, message, wParam, lParam);
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

StandInEditor::StandInEditor() {
  standIn.beforeEditor = [this](HWND window, UINT message, WPARAM wParam) {
    received.push_back({window, message, wParam});
    if (beforeEditor) {
      beforeEditor(message, wParam);
    }
  };
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

StandInEditor::~StandInEditor() {
  for (HWND window : {decoyAfter, frame, decoyBefore}) {
    if (IsWindow(window)) {
      DestroyWindow(window);
    }
  }
}

HWND StandInEditor::CreateCodeWindow(DWORD style) {
  return Create(L"VbaWindow", style, mdiClient);
}

void StandInEditor::Load(const char* marked) {
  CaretText text = ParseCaretText(marked);
  module = Module(text.lines);
  selection = {text.line, text.column, text.line, text.column};
}

std::string StandInEditor::Render() const {
  return RenderCaretText(module.Lines(), selection.startLine, selection.startColumn);
}

void StandInEditor::Press(HWND window, const Keystroke& key) {
  standIn.Press(window, key);
}

void StandInEditor::Type(HWND window, const char* keys) {
  for (const Keystroke& key : ParseKeys(keys)) {
    Press(window, key);
  }
}

std::vector<EditorMessage> StandInEditor::TakeReceived() {
  std::vector<EditorMessage> taken;
  taken.swap(received);
  return taken;
}

void ConnectedHostTest::SetUp() {
  connect = new CComObject<CConnect>();
  connect->AddRef();
  ASSERT_EQ(connect->OnConnection(host.model.Vbe(), ext_cm_Startup, nullptr, nullptr), S_OK);
}

void ConnectedHostTest::TearDown() {
  EXPECT_EQ(connect->OnDisconnection(ext_dm_HostShutdown, nullptr), S_OK);
  connect->Release();
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
