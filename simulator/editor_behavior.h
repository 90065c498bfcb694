// What the editor's own window procedure does with a message that reaches it.
//   WM_CHAR, a printable UTF-16 unit (>= 0x20, not 0x7F): typed at the caret,
//     replacing a non-empty selection first.
//   WM_CHAR 9 or 13: nothing (the editor acted on the key-down).
//   WM_KEYDOWN Enter: the selection is removed, the line is split at the caret,
//     and the caret goes to column 1 of the new line.
//   WM_KEYDOWN Tab: the selection is removed and spaces are typed up to the next
//     tab stop (columns 1, 5, 9, ...) right of the caret.
//   WM_IME_COMPOSITION: the composition's result text is typed at the caret;
//     a line break in it starts a new line, as Enter does.
//   Anything else: nothing.
#pragma once

#include <cstdint>
#include <string>

#include "engine/messages.h"
#include "vba/module.h"

namespace tarnwick {

inline constexpr uint32_t kWmImeComposition = 0x010F;

// Applies one message to the module and selection. `compositionResult` is the
// text an input-method composition commits (used by WM_IME_COMPOSITION only).
void ApplyEditorMessage(Module& module, Selection& selection, uint32_t message, uintptr_t wParam,
                        const std::wstring& compositionResult = {});

// Types `text` at the caret, replacing a non-empty selection. Each line break
// in it (CR LF, CR or LF) splits the line there, as Enter does.
void TypeText(Module& module, Selection& selection, const std::wstring& text);

}  // namespace tarnwick
