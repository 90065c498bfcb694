// Finding the editor's code windows: at connection by walking the UI thread's
// window tree, and later by recognising their creation in a WH_CBT hook.
//
// The editor's window tree: a top-level frame of class "wndclass_desked_gsk"
// holds an "MDIClient" child, and every code window is a "VbaWindow"
// descendant of that client.
#pragma once

#include <windows.h>

namespace tarnwick {

inline constexpr wchar_t kEditorFrameClass[] = L"wndclass_desked_gsk";
inline constexpr wchar_t kMdiClientClass[] = L"MDIClient";
inline constexpr wchar_t kCodeWindowClass[] = L"VbaWindow";

// True when the window's class name is exactly `className`. A name that cannot
// be read never matches.
bool HasClassName(HWND window, const wchar_t* className) noexcept;

// Called for each code window found.
using CodeWindowVisitor = void (*)(HWND window, void* context);

// Visits every "VbaWindow" under the MDI client of the first editor frame of
// the calling thread that has one; other frames are passed over. A failure
// thrown by `visit` stops the walk and leaves this function, never crossing the
// system's enumeration.
void ForEachCodeWindow(CodeWindowVisitor visit, void* context);

// True when a window being created (HCBT_CREATEWND) is a code window: a border
// or dialog frame (either is enough), a system menu, and the class "VbaWindow".
bool IsCodeWindowCreation(HWND window, const CREATESTRUCTW& creation) noexcept;

}  // namespace tarnwick
