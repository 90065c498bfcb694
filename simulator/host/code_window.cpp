#include "simulator/host/code_window.h"

#include <imm.h>

#include <algorithm>
#include <stdexcept>

#include "engine/messages.h"
#include "simulator/editor_behavior.h"
#include "simulator/host/host_object_model.h"
#include "simulator/host/text_edit.h"
#include "win32/unique_any.h"

namespace tarnwick {
namespace {

constexpr int kMargin = 20;  // the grey indicator bar at the left
constexpr COLORREF kBackground = RGB(255, 255, 255);
constexpr COLORREF kMarginColour = RGB(224, 224, 224);
constexpr COLORREF kSelectionColour = RGB(173, 214, 255);
constexpr COLORREF kCommentColour = RGB(0, 128, 0);
constexpr COLORREF kTextColour = RGB(0, 0, 0);

// One fixed-width font for every code window, made with the class.
UniqueFont& CodeFont() {
  static UniqueFont font;
  return font;
}

void Fill(HDC dc, const RECT& area, COLORREF colour) {
  const UniqueBrush brush(CreateSolidBrush(colour));
  FillRect(dc, &area, brush.get());
}

// A comment starts at the first apostrophe outside a string literal.
size_t CommentStart(const std::wstring& line) {
  bool inString = false;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == L'"') {
      inString = !inString;
    } else if (line[i] == L'\'' && !inString) {
      return i;
    }
  }
  return std::wstring::npos;
}

}  // namespace

HostCodeWindow::HostCodeWindow(std::wstring title, std::vector<std::wstring> lines,
                               HostObjectModel& model)
    : title(std::move(title)), module(std::move(lines)), model(model) {
  pane = model.AddPane(module, selection);
}

void HostCodeWindow::RegisterClass(HINSTANCE instance) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(instance, kCodeWindowClass, &existing)) {
    return;
  }
  if (!CodeFont()) {
    CodeFont().reset(CreateFontW(-15, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                                 FIXED_PITCH | FF_MODERN, L"Courier New"));
  }
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_IBEAM);
  windowClass.lpszClassName = kCodeWindowClass;
  if (RegisterClassExW(&windowClass) == 0) {
    throw std::runtime_error("cannot register the code window class");
  }
}

void HostCodeWindow::Create(HWND mdiClient, const RECT& bounds) {
  MDICREATESTRUCTW create{};
  create.szClass = kCodeWindowClass;
  create.szTitle = title.c_str();
  create.hOwner = GetModuleHandleW(nullptr);
  create.x = bounds.left;
  create.y = bounds.top;
  create.cx = bounds.right - bounds.left;
  create.cy = bounds.bottom - bounds.top;
  // An MDI child's usual frame: caption (border and dialog frame), system
  // menu, sizing border and the minimise and maximise boxes.
  create.style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
  create.lParam = reinterpret_cast<LPARAM>(this);
  SendMessageW(mdiClient, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create));
  if (window == nullptr) {
    throw std::runtime_error("cannot create a code window");
  }
}

HostCodeWindow* HostCodeWindow::FromHandle(HWND handle) {
  return handle == nullptr ? nullptr
                           : static_cast<HostCodeWindow*>(GetPropW(handle, kCodeWindowClass));
}

void HostCodeWindow::Select(const Selection& requested) {
  selection = module.Clamp(requested);
  Changed();
}

LRESULT CALLBACK HostCodeWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  try {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      const auto* mdi = static_cast<const MDICREATESTRUCTW*>(create->lpCreateParams);
      auto* self = reinterpret_cast<HostCodeWindow*>(mdi->lParam);
      self->window = window;
      SetPropW(window, kCodeWindowClass, self);
    }
    auto* self = static_cast<HostCodeWindow*>(GetPropW(window, kCodeWindowClass));
    if (self == nullptr) {
      return DefMDIChildProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
      RemovePropW(window, kCodeWindowClass);
      self->window = nullptr;
      return DefMDIChildProcW(window, message, wParam, lParam);
    }
    return self->Handle(message, wParam, lParam);
  } catch (...) {
    return DefMDIChildProcW(window, message, wParam, lParam);
  }
}

LRESULT HostCodeWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      Paint(dc);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_MDIACTIVATE:
      if (reinterpret_cast<HWND>(lParam) == window) {
        model.Activate(pane);
      } else if (reinterpret_cast<HWND>(wParam) == window && lParam == 0) {
        model.Activate(nullptr);
      }
      break;
    case WM_KEYDOWN:
      if (OnKeyDown(wParam)) {
        return 0;
      }
      break;
    case WM_CHAR:
      ++keyMessages;
      ++charMessages;
      if (wParam == VK_BACK) {
        DeleteBackward(module, selection);
      } else {
        ApplyEditorMessage(module, selection, kWmChar, wParam);
      }
      Changed();
      return 0;
    case WM_IME_STARTCOMPOSITION:
    case WM_IME_ENDCOMPOSITION:
    case WM_IME_CHAR:
      return 0;
    case WM_IME_COMPOSITION:
      OnComposition(lParam);
      return 0;
    case WM_LBUTTONDOWN:
      SetFocus(window);
      selection = anchor =
          PositionAt(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
      dragging = true;
      SetCapture(window);
      Changed();
      return 0;
    case WM_MOUSEMOVE:
      if (dragging) {
        const Selection to =
            PositionAt(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        selection = module.Clamp({anchor.startLine, anchor.startColumn, to.endLine, to.endColumn});
        if (to.endLine < anchor.startLine ||
            (to.endLine == anchor.startLine && to.endColumn < anchor.startColumn)) {
          selection =
              module.Clamp({to.endLine, to.endColumn, anchor.startLine, anchor.startColumn});
        }
        Changed();
      }
      return 0;
    case WM_LBUTTONUP:
      if (dragging) {
        dragging = false;
        ReleaseCapture();
      }
      return 0;
    case WM_MOUSEWHEEL: {
      const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
      topLine = std::clamp(topLine - 3 * notches, 1, std::max(module.LineCount(), 1));
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    }
    default:
      break;
  }
  return DefMDIChildProcW(window, message, wParam, lParam);
}

bool HostCodeWindow::OnKeyDown(WPARAM key) {
  if (key == VK_RETURN || key == VK_TAB) {
    ++keyMessages;
    ApplyEditorMessage(module, selection, kWmKeyDown, key);
    Changed();
    return true;
  }
  RECT client{};
  GetClientRect(window, &client);
  const int32_t pageLines = std::max<int32_t>(client.bottom / lineHeight - 1, 1);
  CaretMove move;
  switch (key) {
    case VK_LEFT:
      move = CaretMove::kLeft;
      break;
    case VK_RIGHT:
      move = CaretMove::kRight;
      break;
    case VK_UP:
      move = CaretMove::kUp;
      break;
    case VK_DOWN:
      move = CaretMove::kDown;
      break;
    case VK_HOME:
      move = CaretMove::kHome;
      break;
    case VK_END:
      move = CaretMove::kEnd;
      break;
    case VK_PRIOR:
      move = CaretMove::kPageUp;
      break;
    case VK_NEXT:
      move = CaretMove::kPageDown;
      break;
    case VK_DELETE:
      DeleteForward(module, selection);
      Changed();
      return true;
    default:
      return false;
  }
  selection = MoveCaret(module, selection, move, pageLines);
  Changed();
  return true;
}

void HostCodeWindow::OnComposition(LPARAM flags) {
  if ((flags & GCS_RESULTSTR) == 0) {
    return;
  }
  ++keyMessages;
  std::wstring result;
  if (!pendingResults.empty()) {
    result = std::move(pendingResults.front());
    pendingResults.pop_front();
  } else if (HIMC context = ImmGetContext(window); context != nullptr) {
    const LONG bytes = ImmGetCompositionStringW(context, GCS_RESULTSTR, nullptr, 0);
    if (bytes > 0) {
      result.resize(static_cast<size_t>(bytes) / sizeof(wchar_t));
      ImmGetCompositionStringW(context, GCS_RESULTSTR, result.data(), static_cast<DWORD>(bytes));
    }
    ImmReleaseContext(window, context);
  }
  // The editor types a composition's text as it types characters: one line.
  result.erase(std::remove_if(result.begin(), result.end(),
                              [](wchar_t c) { return c == L'\r' || c == L'\n'; }),
               result.end());
  ApplyEditorMessage(module, selection, kWmImeComposition, 0, result);
  Changed();
}

void HostCodeWindow::MeasureFont(HDC dc) {
  TEXTMETRICW metrics{};
  if (GetTextMetricsW(dc, &metrics)) {
    charWidth = std::max<int>(metrics.tmAveCharWidth, 1);
    lineHeight = std::max<int>(metrics.tmHeight + metrics.tmExternalLeading, 1);
  }
}

void HostCodeWindow::Paint(HDC dc) {
  RECT client{};
  GetClientRect(window, &client);
  HGDIOBJ oldFont = SelectObject(dc, CodeFont().get());
  MeasureFont(dc);
  Fill(dc, client, kBackground);
  Fill(dc, {0, 0, kMargin - 4, client.bottom}, kMarginColour);
  SetBkMode(dc, TRANSPARENT);

  const Selection shown = module.Clamp(selection);
  const int32_t visible = client.bottom / lineHeight + 1;
  for (int32_t line = topLine; line < topLine + visible && line <= module.LineCount(); ++line) {
    const int y = (line - topLine) * lineHeight;
    auto xOf = [&](int32_t column) { return kMargin + (column - leftColumn) * charWidth; };
    if (!shown.IsCaret() && line >= shown.startLine && line <= shown.endLine) {
      const int32_t from = line == shown.startLine ? shown.startColumn : 1;
      const int32_t lineEnd = static_cast<int32_t>(module.Line(line).size()) + 1;
      // A selected line break shows as one more column.
      const int32_t to = line == shown.endLine ? shown.endColumn : lineEnd + 1;
      Fill(dc, {std::max(xOf(from), kMargin), y, xOf(to), y + lineHeight}, kSelectionColour);
    }
    std::wstring text = module.Line(line);
    std::replace(text.begin(), text.end(), L'\t', L' ');
    if (static_cast<int32_t>(text.size()) < leftColumn) {
      continue;
    }
    text.erase(0, static_cast<size_t>(leftColumn - 1));
    const size_t comment = CommentStart(text);
    const std::vector<INT> advances(text.size(), charWidth);
    RECT clip{kMargin, y, client.right, y + lineHeight};
    auto draw = [&](size_t from, size_t count, COLORREF colour) {
      SetTextColor(dc, colour);
      ExtTextOutW(dc, kMargin + static_cast<int>(from) * charWidth, y, ETO_CLIPPED, &clip,
                  text.c_str() + from, static_cast<UINT>(count), advances.data());
    };
    if (comment == std::wstring::npos) {
      draw(0, text.size(), kTextColour);
    } else {
      draw(0, comment, kTextColour);
      draw(comment, text.size() - comment, kCommentColour);
    }
  }
  if (shown.endLine >= topLine && shown.endColumn >= leftColumn) {
    const int x = kMargin + (shown.endColumn - leftColumn) * charWidth;
    const int y = (shown.endLine - topLine) * lineHeight;
    Fill(dc, {x, y, x + 2, y + lineHeight}, kTextColour);
  }
  SelectObject(dc, oldFont);
}

Selection HostCodeWindow::PositionAt(int x, int y) const {
  const int32_t line = topLine + std::max(y, 0) / lineHeight;
  const int32_t column = leftColumn + std::max(x - kMargin + charWidth / 2, 0) / charWidth;
  return module.Clamp({line, column, line, column});
}

void HostCodeWindow::KeepCaretVisible() {
  if (window == nullptr) {
    return;
  }
  RECT client{};
  GetClientRect(window, &client);
  const int32_t rows = std::max<int32_t>(client.bottom / lineHeight, 1);
  const int32_t columns = std::max<int32_t>((client.right - kMargin) / charWidth - 1, 1);
  const Selection shown = module.Clamp(selection);
  if (shown.endLine < topLine) {
    topLine = shown.endLine;
  } else if (shown.endLine >= topLine + rows) {
    topLine = shown.endLine - rows + 1;
  }
  if (shown.endColumn < leftColumn) {
    leftColumn = shown.endColumn;
  } else if (shown.endColumn >= leftColumn + columns) {
    leftColumn = shown.endColumn - columns + 1;
  }
}

void HostCodeWindow::Changed() {
  KeepCaretVisible();
  if (window != nullptr) {
    InvalidateRect(window, nullptr, FALSE);
  }
}

}  // namespace tarnwick
