#include "lsp/hover.h"

#include <map>

#include "documentation/markdown.h"
#include "documentation/members.h"
#include "documentation/xml_fragment.h"
#include "text/ascii.h"
#include "text/utf.h"
#include "lsp/call_site.h"
#include "lsp/resolve.h"

namespace tarnwick::lsp {
namespace {

void CollectCrefs(const std::vector<XmlNode>& nodes, std::vector<std::wstring>& crefs) {
  for (const XmlNode& node : nodes) {
    if (!node.element) {
      continue;
    }
    if (const std::wstring* cref = node.Attribute(L"cref")) {
      crefs.push_back(*cref);
    }
    CollectCrefs(node.children, crefs);
  }
}

// Each cref of the member's block that names a member of the workspace, as
// the renderer looks it up, with the address of that member's declaration.
std::map<std::string, std::string> CrefLinks(const std::vector<WorkspaceModule>& modules,
                                             const ResolvedMember& target) {
  std::map<std::string, std::string> links;
  if (target.member.documenting == nullptr) {
    return links;
  }
  std::vector<std::wstring> crefs;
  CollectCrefs(ReadBlockContent(target.member.documenting->block).nodes, crefs);
  for (std::wstring cref : crefs) {
    if (cref.size() > 2 && cref[1] == L':') {
      cref.erase(0, 2);
    }
    cref = cref.substr(0, cref.find(L'('));
    const size_t dot = cref.rfind(L'.');
    std::wstring qualifier = dot == std::wstring::npos ? L"" : cref.substr(0, dot);
    const std::wstring name = dot == std::wstring::npos ? cref : cref.substr(dot + 1);
    // "Project.Module.Member": the module is the last name before the member.
    qualifier = qualifier.substr(
        qualifier.rfind(L'.') == std::wstring::npos ? 0 : qualifier.rfind(L'.') + 1);
    const auto found = Resolve(modules, target.where, 0, qualifier, name);
    if (found.empty()) {
      continue;
    }
    const ResolvedMember& named = found.front();
    const int64_t line = named.member.parts.front()->statement.line;
    links[ToAsciiLower(WideToUtf8(cref))] = named.where.uri + "#L" + std::to_string(line);
  }
  return links;
}

}  // namespace

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
    hover.markdown +=
        MemberMarkdown(*target.where.module, target.member, CrefLinks(modules, target));
  }
  return hover;
}

}  // namespace tarnwick::lsp
