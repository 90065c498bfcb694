#include "bench/wine/bench_editor.h"

#include <stdexcept>

#include "simulator/editor_behavior.h"

namespace tarnwick::bench {

namespace {

constexpr const wchar_t* kClassName = L"TarnwickBenchCodeWindow";
constexpr LPARAM kResultString = 0x0800;  // GCS_RESULTSTR
BenchEditor* currentEditor = nullptr;

}  // namespace

LRESULT CALLBACK BenchCodeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  BenchEditor* editor = currentEditor;
  const bool keyOrIme = message == WM_KEYDOWN || message == WM_CHAR ||
                        (message >= WM_IME_STARTCOMPOSITION && message <= WM_IME_COMPOSITION);
  if (editor && keyOrIme) {
    ApplyEditorMessage(editor->module, editor->selection, message, wParam, editor->composition);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

BenchEditor::BenchEditor() {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = BenchCodeWindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kClassName;
  RegisterClassW(&windowClass);
  currentEditor = this;
}

BenchEditor::~BenchEditor() {
  currentEditor = nullptr;
}

HWND BenchEditor::CreateCodeWindow() {
  HWND window = CreateWindowExW(0, kClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!window) {
    throw std::runtime_error("cannot create a code window");
  }
  return window;
}

void BenchEditor::Press(HWND window, const Keystroke& key) {
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

}  // namespace tarnwick::bench
