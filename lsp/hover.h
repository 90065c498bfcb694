// Hover over a member's name, at its declaration or at a use: its signature and
// its documentation, as Markdown.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "lsp/text_document.h"
#include "lsp/workspace.h"

namespace tarnwick::lsp {

struct HoverText {
  std::string markdown;  // UTF-8
  TextRange range;       // of the name hovered
};

std::optional<HoverText> Hover(const std::vector<WorkspaceModule>& modules,
                               const WorkspaceModule& here, const TextDocument& document,
                               TextPosition position);

}  // namespace tarnwick::lsp
