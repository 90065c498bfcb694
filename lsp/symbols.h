// Navigation: a module's members as a tree (an Enum's members, a Type's
// fields under it), the workspace's members by name, and the declaration a
// name stands for.
#pragma once

#include <string>
#include <vector>

#include "lsp/text_document.h"
#include "lsp/workspace.h"

namespace tarnwick::lsp {

struct SymbolEntry {
  std::wstring name;
  int kind = 0;  // the protocol's SymbolKind
  std::wstring detail;
  TextRange range;
  TextRange selectionRange;
  std::vector<SymbolEntry> children;
};

struct SymbolLocation {
  std::wstring name;
  int kind = 0;
  std::wstring container;  // the module's name
  std::string uri;
  TextRange range;
};

std::vector<SymbolEntry> DocumentSymbols(const DocModule& module);
// Members whose name holds `query` (ASCII case ignored); every one for "".
std::vector<SymbolLocation> WorkspaceSymbols(const std::vector<WorkspaceModule>& modules,
                                             const std::wstring& query, size_t limit);
std::vector<SymbolLocation> Definition(const std::vector<WorkspaceModule>& modules,
                                       const WorkspaceModule& here, const TextDocument& document,
                                       TextPosition position);

}  // namespace tarnwick::lsp
