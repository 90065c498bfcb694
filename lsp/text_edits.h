// Turning a LineEdit into the one text edit a client applies: plainly, or as a
// snippet whose tab stops are the add-in's Tab walk and whose final caret is
// where the add-in leaves its caret.
#pragma once

#include <string>
#include <string_view>

#include "lsp/engine_edits.h"
#include "lsp/text_document.h"

namespace tarnwick::lsp {

struct TextEdit {
  TextRange range;
  std::wstring newText;
};

TextEdit PlainEdit(const TextDocument& document, const LineEdit& edit);
// `${1}` at the first stop, `${2}` ... at the others, `$0` where the walk ends;
// without a walk `$0` at the caret. '$', '}' and '\' of the text are escaped.
TextEdit SnippetEdit(const TextDocument& document, const LineEdit& edit);
// The text escaped for a snippet.
std::wstring EscapeSnippet(std::wstring_view text);

}  // namespace tarnwick::lsp
