// Completion inside and above ''' blocks: the template after a completed
// marker, the tags a member may have after '<', and the member's parameter
// names inside name="...".
#pragma once

#include <string>
#include <vector>

#include "lsp/text_document.h"
#include "lsp/text_edits.h"

namespace tarnwick::lsp {

struct CompletionEntry {
  enum class Kind { kTemplate, kTag, kParameter };
  Kind kind = Kind::kTag;
  std::wstring label;
  std::wstring detail;
  std::wstring filterText;  // empty: the label
  TextEdit edit;            // plain text, or a snippet when `snippet`
  bool snippet = false;
  bool preselect = false;
};

// `snippets`: the client takes snippets; otherwise every edit is plain text.
std::vector<CompletionEntry> Complete(const TextDocument& document, TextPosition position,
                                      bool snippets);

}  // namespace tarnwick::lsp
