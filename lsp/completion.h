// Completion inside and above ''' blocks: the template after a completed
// marker, the tags a member may have after '<', the member's parameter names
// inside name="...", and the workspace's members inside cref="...".
#pragma once

#include <functional>
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
// `crefs` answers the names a cref may take ("Module.Member"), asked for only
// inside cref="...".
std::vector<CompletionEntry> Complete(const TextDocument& document, TextPosition position,
                                      bool snippets,
                                      const std::function<std::vector<std::wstring>()>& crefs = {});

}  // namespace tarnwick::lsp
