#include "lsp/symbols.h"

#include "engine/declaration_parser.h"
#include "lsp/call_site.h"
#include "lsp/resolve.h"
#include "text/ascii.h"

namespace tarnwick::lsp {
namespace {

// SymbolKind values.
enum : int {
  kMethod = 6,
  kProperty = 7,
  kField = 8,
  kEnum = 10,
  kFunction = 12,
  kVariable = 13,
  kConstant = 14,
  kEnumMember = 22,
  kStruct = 23,
  kEvent = 24,
};

int KindOf(DeclarationKind kind, bool child, bool inEnum) {
  if (child) {
    return inEnum ? kEnumMember : kField;
  }
  switch (kind) {
    case DeclarationKind::kSub:
    case DeclarationKind::kDeclareSub:
      return kMethod;
    case DeclarationKind::kFunction:
    case DeclarationKind::kDeclareFunction:
      return kFunction;
    case DeclarationKind::kPropertyGet:
    case DeclarationKind::kPropertyLet:
    case DeclarationKind::kPropertySet:
      return kProperty;
    case DeclarationKind::kEvent:
      return kEvent;
    case DeclarationKind::kEnum:
      return kEnum;
    case DeclarationKind::kType:
      return kStruct;
    case DeclarationKind::kConst:
      return kConstant;
    default:
      return kVariable;
  }
}

TextRange StatementRange(const DocModule& module, const Member& member) {
  const int64_t first = std::max(member.statement.line - 1, 0);
  const int64_t last = first + std::max(member.statement.lineCount - 1, 0);
  const auto& lines = module.source.lines;
  const int64_t length = last < static_cast<int64_t>(lines.size())
                             ? static_cast<int64_t>(lines[static_cast<size_t>(last)].size())
                             : 0;
  return {{first, 0}, {last, length}};
}

std::wstring Trim(const std::wstring& text) {
  const size_t start = text.find_first_not_of(L" \t");
  return start == std::wstring::npos
             ? std::wstring()
             : text.substr(start, text.find_last_not_of(L" \t") - start + 1);
}

void AddMember(const DocModule& module, const Member& member, bool child, bool inEnum,
               std::vector<SymbolEntry>& out) {
  for (const std::wstring& name : member.declaration.names) {
    SymbolEntry entry;
    entry.name = name;
    entry.kind = KindOf(member.declaration.kind, child, inEnum);
    entry.detail = child ? L"" : Trim(CutTrailingComment(member.statement.text));
    entry.range = StatementRange(module, member);
    entry.selectionRange = NameRange(module, member, name);
    for (const Member& inner : member.children) {
      AddMember(module, inner, true, member.declaration.kind == DeclarationKind::kEnum,
                entry.children);
    }
    out.push_back(std::move(entry));
  }
}

bool Contains(const std::wstring& text, const std::wstring& query) {
  if (query.empty()) {
    return true;
  }
  for (size_t i = 0; i + query.size() <= text.size(); ++i) {
    if (EqualsIgnoringAsciiCase(std::wstring_view(text).substr(i, query.size()), query)) {
      return true;
    }
  }
  return false;
}

}  // namespace

std::vector<SymbolEntry> DocumentSymbols(const DocModule& module) {
  std::vector<SymbolEntry> symbols;
  for (const Member& member : module.module.members) {
    AddMember(module, member, false, false, symbols);
  }
  return symbols;
}

std::vector<SymbolLocation> WorkspaceSymbols(const std::vector<WorkspaceModule>& modules,
                                             const std::wstring& query, size_t limit) {
  std::vector<SymbolLocation> found;
  for (const WorkspaceModule& where : modules) {
    for (const Member& member : where.module->module.members) {
      for (const std::wstring& name : member.declaration.names) {
        if (found.size() >= limit) {
          return found;
        }
        if (Contains(name, query)) {
          found.push_back({name, KindOf(member.declaration.kind, false, false),
                           where.module->module.name, where.uri,
                           NameRange(*where.module, member, name)});
        }
      }
    }
  }
  return found;
}

std::vector<SymbolLocation> Definition(const std::vector<WorkspaceModule>& modules,
                                       const WorkspaceModule& here, const TextDocument& document,
                                       TextPosition position) {
  std::vector<SymbolLocation> found;
  const auto name = FindNameAt(document, position);
  if (!name) {
    return found;
  }
  for (const ResolvedMember& target :
       Resolve(modules, here, name->range.start.line, name->qualifier, name->name)) {
    for (const Member* part : target.member.parts) {
      found.push_back({name->name, KindOf(part->declaration.kind, false, false),
                       target.where.module->module.name, target.where.uri,
                       NameRange(*target.where.module, *part, name->name)});
    }
  }
  return found;
}

}  // namespace tarnwick::lsp
