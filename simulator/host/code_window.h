// A code window of the host: an MDI child of class "VbaWindow" that shows one
// module in a fixed-width font, with the caret and the selection.
//
// Its window procedure is the editor's own: the keys that the add-in watches
// go to the editor's keystroke behaviour (simulator/editor_behavior.h) exactly
// as natively. WM_KEYDOWN Enter and Tab, WM_CHAR printable characters and the
// result of an input-method composition type into the module; the arrows,
// Home, End, PageUp, PageDown, Backspace, Delete and the mouse move the caret
// or delete, so a person can use the window. The start and end of a
// composition do nothing here; they are there for the add-in to see.
//
// A composition's result is read from the input context, unless the script
// queued one with QueueCompositionResult (there is no input method under the
// null driver): then WM_IME_COMPOSITION with GCS_RESULTSTR takes that text.
//
// The module and the selection are the ones that the object model serves for
// this window; activating the window makes its pane VBE.ActiveCodePane.
#pragma once

#include <windows.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "simulator/com/editor_objects.h"
#include "vba/module.h"

namespace tarnwick {

class HostObjectModel;

inline constexpr wchar_t kCodeWindowClass[] = L"VbaWindow";

class HostCodeWindow {
 public:
  HostCodeWindow(std::wstring title, std::vector<std::wstring> lines, HostObjectModel& model);
  HostCodeWindow(const HostCodeWindow&) = delete;
  HostCodeWindow& operator=(const HostCodeWindow&) = delete;

  // Registers the window class once per process. Throws on failure.
  static void RegisterClass(HINSTANCE instance);
  // Creates the MDI child under `mdiClient` at `bounds` (client coordinates of
  // the MDI client). Throws on failure.
  void Create(HWND mdiClient, const RECT& bounds);

  HWND Handle() const { return window; }
  const std::wstring& Title() const { return title; }
  Module& GetModule() { return module; }
  const Selection& CurrentSelection() const { return selection; }
  // Puts the selection where a click or a drag would (clamped to the text).
  void Select(const Selection& requested);
  void QueueCompositionResult(std::wstring text) { pendingResults.push_back(std::move(text)); }

  // How many keystroke messages reached this procedure (WM_KEYDOWN, WM_CHAR,
  // WM_IME_COMPOSITION), for the transcript; and how many were WM_CHAR.
  int KeyMessagesReceived() const { return keyMessages; }
  int CharMessagesReceived() const { return charMessages; }

  // Draws the text area into `dc` (the window's client rectangle).
  void Paint(HDC dc);
  // Scrolls the caret into view and repaints; for changes made through the
  // object model, which do not pass this procedure.
  void Refresh() { Changed(); }

  // The code window of a handle, or null for any other window.
  static HostCodeWindow* FromHandle(HWND window);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  bool OnKeyDown(WPARAM key);
  void OnComposition(LPARAM flags);
  // The module position under a client point (clamped to the text).
  Selection PositionAt(int x, int y) const;
  void MeasureFont(HDC dc);
  void KeepCaretVisible();
  void Changed();

  std::wstring title;
  Module module;
  Selection selection;
  Selection anchor;  // where a mouse drag started
  bool dragging = false;
  HostObjectModel& model;
  CodePaneObject* pane = nullptr;
  HWND window = nullptr;
  HFONT font = nullptr;
  int charWidth = 8;
  int lineHeight = 16;
  int32_t topLine = 1;
  int32_t leftColumn = 1;
  std::deque<std::wstring> pendingResults;
  int keyMessages = 0;
  int charMessages = 0;
};

}  // namespace tarnwick
