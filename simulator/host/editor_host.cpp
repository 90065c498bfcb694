#include "simulator/host/editor_host.h"

#include <imm.h>

#include <algorithm>
#include <stdexcept>

namespace tarnwick {
namespace {

constexpr int kFrameWidth = 980;
constexpr int kFrameHeight = 720;
constexpr int kCascadeStep = 28;

bool IsKeystrokeMessage(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
         (message >= WM_IME_STARTCOMPOSITION && message <= WM_IME_KEYLAST) ||
         message == WM_IME_CHAR;
}

LPARAM KeyDownParameter(UINT virtualKey) {
  const UINT scanCode = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
  return static_cast<LPARAM>(1 | (scanCode << 16));
}

}  // namespace

EditorHost::EditorHost(std::function<void(const std::wstring&)> report)
    : frame([this] { Shutdown(); }), addIns(std::move(report)) {}

EditorHost::~EditorHost() {
  Shutdown();
}

void EditorHost::Start(const std::vector<OpenModule>& modules, int show, const wchar_t* addinsKey) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  frame.Create(instance, kFrameWidth, kFrameHeight);
  HostCodeWindow::RegisterClass(instance);
  RECT area{};
  GetClientRect(frame.MdiClient(), &area);
  int offset = 0;
  for (const OpenModule& open : modules) {
    auto window = std::make_unique<HostCodeWindow>(L"VBAProject - " + open.name + L" (Code)",
                                                   open.lines, model);
    const LONG width = std::max<LONG>(area.right - 2 * kCascadeStep, 200);
    const LONG height = std::max<LONG>(area.bottom - 2 * kCascadeStep, 150);
    const RECT bounds{offset, offset, offset + width, offset + height};
    window->Create(frame.MdiClient(), bounds);
    windows.push_back(std::move(window));
    offset = (offset + kCascadeStep) % (2 * kCascadeStep + 1);
  }
  frame.Show(show);
  if (HWND active = frame.ActiveChild(); active != nullptr) {
    SetFocus(active);
  }
  PumpUntilIdle();
  addIns.LoadAll(model.Vbe(), StartupAddIns(HKEY_CURRENT_USER, addinsKey));
  PumpUntilIdle();
}

void EditorHost::Shutdown() noexcept {
  addIns.UnloadAll();
  frame.Destroy();
  model.Activate(nullptr);
}

HostCodeWindow* EditorHost::Focused() const {
  return HostCodeWindow::FromHandle(frame.ActiveChild());
}

void EditorHost::Dispatch(MSG& message) {
  frame.Dispatch(message);
  // The add-in may have changed the text through the object model without
  // the window's procedure seeing the key.
  if (IsKeystrokeMessage(message.message)) {
    if (HostCodeWindow* window = HostCodeWindow::FromHandle(message.hwnd)) {
      window->Refresh();
    }
  }
  model.Log().Clear();
}

bool EditorHost::PumpUntilIdle() {
  MSG message;
  while (!quit && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      quit = true;
      break;
    }
    Dispatch(message);
  }
  return !quit;
}

int EditorHost::RunInteractive() {
  MSG message;
  while (!quit) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) {
      break;
    }
    Dispatch(message);
  }
  return 0;
}

void EditorHost::PostAndPump(HostCodeWindow& window, UINT message, WPARAM wParam, LPARAM lParam) {
  PostMessageW(window.Handle(), message, wParam, lParam);
  PumpUntilIdle();
}

ScriptStep EditorHost::Play(const Keystroke& key) {
  HostCodeWindow* window = Focused();
  if (window == nullptr) {
    throw std::runtime_error("no code window has the focus");
  }
  const std::vector<std::wstring> before = window->GetModule().Lines();

  switch (key.kind) {
    case Keystroke::Kind::kCharacter:
      for (const wchar_t unit : key.text) {
        PostAndPump(*window, WM_CHAR, static_cast<WPARAM>(unit), 1);
      }
      break;
    case Keystroke::Kind::kEnter:
    case Keystroke::Kind::kTab: {
      const UINT virtualKey = key.kind == Keystroke::Kind::kEnter ? VK_RETURN : VK_TAB;
      const int charsBefore = window->CharMessagesReceived();
      PostAndPump(*window, WM_KEYDOWN, virtualKey, KeyDownParameter(virtualKey));
      // TranslateMessage makes the character from the key-down where the
      // keyboard driver can; where it cannot (the null driver has no keyboard
      // layout) the character is posted as a keyboard would have sent it.
      if (window->CharMessagesReceived() == charsBefore) {
        PostAndPump(*window, WM_CHAR, virtualKey, KeyDownParameter(virtualKey));
      }
      PostAndPump(*window, WM_KEYUP, virtualKey, KeyDownParameter(virtualKey) | 0xC0000000);
      break;
    }
    case Keystroke::Kind::kCaret:
    case Keystroke::Kind::kSelect:
      window->Select(key.selection);
      PumpUntilIdle();
      break;
    case Keystroke::Kind::kIme:
      PostAndPump(*window, WM_IME_STARTCOMPOSITION, 0, 0);
      window->QueueCompositionResult(key.text);
      PostAndPump(*window, WM_IME_COMPOSITION, 0, GCS_RESULTSTR);
      PostAndPump(*window, WM_IME_ENDCOMPOSITION, 0, 0);
      break;
  }
  ScriptStep step;
  step.key = key.notation;
  step.selection = window->CurrentSelection();
  step.textChanged = window->GetModule().Lines() != before;
  return step;
}

}  // namespace tarnwick
