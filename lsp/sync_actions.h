// The edits of sync as a client applies them: for the whole file, or only
// those of the member a diagnostic is about. Lines that do not change are in
// no edit.
#pragma once

#include <cstdint>
#include <vector>

#include "documentation/module.h"
#include "documentation/sync.h"
#include "lsp/text_document.h"
#include "lsp/text_edits.h"

namespace tarnwick::lsp {

// Every edit of sync on the module (held in `document`'s lines).
std::vector<tarnwick::LineEdit> SyncEditsOf(const DocModule& module, bool descriptions);
// Of those, the edits of the member whose block, declaration or description
// holds the 0-based `line`.
std::vector<tarnwick::LineEdit> MemberEdits(const DocModule& module,
                                            const std::vector<tarnwick::LineEdit>& edits,
                                            int64_t line);
// Line edits as text edits of the document, in the document's line ends.
std::vector<TextEdit> ToTextEdits(const TextDocument& document,
                                  const std::vector<tarnwick::LineEdit>& edits);

}  // namespace tarnwick::lsp
