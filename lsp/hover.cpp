#include "lsp/hover.h"

#include "documentation/markdown.h"
#include "lsp/call_site.h"
#include "lsp/resolve.h"

namespace tarnwick::lsp {

std::optional<HoverText> Hover(const std::vector<WorkspaceModule>& modules,
                               const WorkspaceModule& here, const TextDocument& document,
                               TextPosition position) {
  const auto name = FindNameAt(document, position);
  if (!name) {
    return std::nullopt;
  }
  const std::vector<ResolvedMember> found =
      Resolve(modules, here, name->range.start.line, name->qualifier, name->name);
  if (found.empty()) {
    return std::nullopt;
  }
  HoverText hover;
  hover.range = name->range;
  for (const ResolvedMember& target : found) {
    if (!hover.markdown.empty()) {
      hover.markdown += "\n---\n\n";
    }
    hover.markdown += MemberMarkdown(*target.where.module, target.member);
  }
  return hover;
}

}  // namespace tarnwick::lsp
