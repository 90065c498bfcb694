// Caret movement and deletion in a code window: what a person needs to move
// about and correct mistakes. The keys that the add-in watches are left to the
// editor's own behaviour (simulator/editor_behavior.h); these are the host's.
#pragma once

#include <cstdint>

#include "vba/module.h"

namespace tarnwick {

enum class CaretMove { kLeft, kRight, kUp, kDown, kHome, kEnd, kPageUp, kPageDown };

// The caret after `move` from the caret end of `selection`; a selection
// collapses. `pageLines` is the number of lines that PageUp/PageDown skip.
Selection MoveCaret(const Module& module, const Selection& selection, CaretMove move,
                    int32_t pageLines);

// Backspace: deletes the selection, or the unit left of the caret, joining the
// line with the one above at column 1.
void DeleteBackward(Module& module, Selection& selection);
// Delete: deletes the selection, or the unit right of the caret, joining the
// next line at the end of a line.
void DeleteForward(Module& module, Selection& selection);

}  // namespace tarnwick
