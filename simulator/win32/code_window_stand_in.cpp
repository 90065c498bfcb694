#include "simulator/win32/code_window_stand_in.h"

#include "simulator/editor_behavior.h"

namespace tarnwick {
namespace {

constexpr LPARAM kResultString = 0x0800;  // GCS_RESULTSTR
CodeWindowStandIn* current = nullptr;

bool IsKeyOrIme(UINT message) {
  return message == WM_KEYDOWN || message == WM_CHAR ||
         (message >= WM_IME_STARTCOMPOSITION && message <= WM_IME_COMPOSITION);
}

}  // namespace

CodeWindowStandIn::CodeWindowStandIn(Module& module, Selection& selection)
    : module(module), selection(selection) {
  current = this;
}

CodeWindowStandIn::~CodeWindowStandIn() {
  current = nullptr;
}

LRESULT CALLBACK StandInCodeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CodeWindowStandIn* standIn = current;
  if (standIn == nullptr || !IsKeyOrIme(message)) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
  try {
    if (standIn->beforeEditor) {
      standIn->beforeEditor(window, message, wParam);
    }
    ApplyEditorMessage(standIn->module, standIn->selection, message, wParam, standIn->composition);
    return 0;
  } catch (...) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
}

void CodeWindowStandIn::Press(HWND window, const Keystroke& key) {
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

}  // namespace tarnwick
