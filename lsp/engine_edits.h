// The engine's keystroke actions over a document: the template on the third
// apostrophe (or on Enter after a completed marker), the continuation of a
// block on Enter, and the closing tag on '>'. Each runs the engine's own
// dispatcher on a DocumentPane and answers with the lines it changed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lsp/text_document.h"

namespace tarnwick::lsp {

enum class TypedKey { kApostrophe, kEnter, kGreaterThan };

// Whole lines of the document replaced by others. Positions are in the text as
// it is once the edit is applied.
struct LineEdit {
  int64_t firstLine = 0;            // 0-based
  int64_t lineCount = 1;            // lines replaced, one at least
  std::vector<std::wstring> lines;  // their replacement, one line at least
  TextPosition caret;               // where the add-in leaves the caret
  // For a template, the stops of the Tab walk from the caret on: the caret's
  // own (the summary) first, then each tag's content in order; and where the
  // walk ends. Empty for the other actions.
  std::vector<TextPosition> stops;
  std::optional<TextPosition> walkEnd;
};

// What the add-in does for a key just typed, `after` being the position right
// after it in `document`, which already holds it. An Enter's new line may hold
// the indentation a client adds. Nothing when the key is not where `after`
// says, or the add-in would leave the key to the editor, or change nothing.
std::optional<LineEdit> EditForTypedKey(const TextDocument& document, TextPosition after,
                                        TypedKey key);

// The template for the declaration that starts on the 0-based `line`, as the
// add-in writes it when "'''" is typed on a line of its own above it. Nothing
// when the add-in would write none there.
std::optional<LineEdit> TemplateAbove(const TextDocument& document, int64_t line);

}  // namespace tarnwick::lsp
