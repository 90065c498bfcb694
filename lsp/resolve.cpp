#include "lsp/resolve.h"

#include <algorithm>

#include "engine/declaration_parser.h"
#include "text/ascii.h"

namespace tarnwick::lsp {
namespace {

bool NameIs(const std::wstring& a, const std::wstring& b) {
  return EqualsIgnoringAsciiCase(a, b);
}

bool IsWordChar(wchar_t c) {
  return c == L'_' || (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'z') ||
         (c >= L'A' && c <= L'Z') || c >= 0x80;
}

// "x As [New] Type" for the word `name` in a statement: the type's last name.
std::optional<std::wstring> DeclaredType(const std::wstring& statement, const std::wstring& name) {
  const std::wstring text = CutTrailingComment(statement);
  for (size_t at = 0; at < text.size();) {
    size_t start = at;
    while (start < text.size() && !IsWordChar(text[start])) {
      ++start;
    }
    size_t end = start;
    while (end < text.size() && IsWordChar(text[end])) {
      ++end;
    }
    if (end == start) {
      break;
    }
    at = end;
    if (!NameIs(text.substr(start, end - start), name) || (start > 0 && text[start - 1] == L'.')) {
      continue;
    }
    // Optional "()" then "As", then "New", then the type.
    size_t p = end;
    auto skipBlanks = [&] {
      while (p < text.size() && (text[p] == L' ' || text[p] == L'\t')) {
        ++p;
      }
    };
    auto word = [&]() {
      skipBlanks();
      const size_t s = p;
      while (p < text.size() && (IsWordChar(text[p]) || text[p] == L'.')) {
        ++p;
      }
      return text.substr(s, p - s);
    };
    skipBlanks();
    if (p < text.size() && text[p] == L'(') {
      const size_t close = text.find(L')', p);
      if (close == std::wstring::npos) {
        continue;
      }
      p = close + 1;
    }
    if (!NameIs(word(), L"As")) {
      continue;
    }
    std::wstring type = word();
    if (NameIs(type, L"New")) {
      type = word();
    }
    const size_t dot = type.rfind(L'.');
    return dot == std::wstring::npos ? type : type.substr(dot + 1);
  }
  return std::nullopt;
}

// The type `variable` is declared As where `line` stands: in the procedure
// around it (its parameters and its Dim and Static statements above the
// line), else at module level.
std::optional<std::wstring> VariableType(const DocModule& doc, int64_t line,
                                         const std::wstring& variable) {
  const ModuleSource& module = doc.module;
  const Member* procedure = nullptr;
  for (const Member& member : module.members) {
    if (IsProcedureHeader(member.declaration.kind) && member.statement.line - 1 <= line) {
      procedure = &member;
    }
  }
  const std::vector<std::wstring>& lines = doc.source.lines;
  if (procedure != nullptr) {
    for (const Parameter& parameter : procedure->declaration.parameters) {
      if (NameIs(parameter.name, variable) && !parameter.type.empty()) {
        const size_t dot = parameter.type.rfind(L'.');
        return dot == std::wstring::npos ? parameter.type : parameter.type.substr(dot + 1);
      }
    }
    const int64_t last = std::min<int64_t>(line, static_cast<int64_t>(lines.size()) - 1);
    for (int64_t l = procedure->statement.line; l <= last; ++l) {
      if (auto type = DeclaredType(lines[static_cast<size_t>(l)], variable)) {
        return type;
      }
    }
  }
  for (const Member& member : module.members) {
    if (member.declaration.kind == DeclarationKind::kVariable) {
      if (auto type = DeclaredType(member.statement.text, variable)) {
        return type;
      }
    }
  }
  return std::nullopt;
}

const WorkspaceModule* ModuleNamed(const std::vector<WorkspaceModule>& modules,
                                   const std::wstring& name) {
  for (const WorkspaceModule& module : modules) {
    if (NameIs(module.module->module.name, name)) {
      return &module;
    }
  }
  return nullptr;
}

void Add(std::vector<ResolvedMember>& found, const WorkspaceModule& where, const std::wstring& name,
         bool publicOnly) {
  NamedMembers named = MembersNamed(*where.module, name);
  for (DocumentedMember& member : named.members) {
    if (!publicOnly || member.IsPublic()) {
      found.push_back({where, named.source, std::move(member)});
    }
  }
}

}  // namespace

NamedMembers MembersNamed(const DocModule& module, const std::wstring& name) {
  auto source = std::make_shared<ModuleSource>();
  source->name = module.module.name;
  source->kind = module.module.kind;
  for (const Member& member : module.module.members) {
    const auto& names = member.declaration.names;
    if (std::any_of(names.begin(), names.end(),
                    [&](const std::wstring& n) { return NameIs(n, name); })) {
      source->members.push_back(member);
    }
  }
  NamedMembers named;
  if (source->members.empty()) {
    return named;
  }
  named.members = DocumentedMembers(*source);
  named.source = std::move(source);
  return named;
}

TextRange NameRange(const DocModule& module, const Member& member, const std::wstring& name) {
  const int64_t line = member.statement.line - 1;
  const std::vector<std::wstring>& lines = module.source.lines;
  if (line < 0 || line >= static_cast<int64_t>(lines.size())) {
    return {{std::max<int64_t>(line, 0), 0}, {std::max<int64_t>(line, 0), 0}};
  }
  const std::wstring& text = lines[static_cast<size_t>(line)];
  for (size_t at = text.find(name); at != std::wstring::npos; at = text.find(name, at + 1)) {
    const bool startsWord = at == 0 || !IsWordChar(text[at - 1]);
    const size_t end = at + name.size();
    if (startsWord && (end >= text.size() || !IsWordChar(text[end]))) {
      return {{line, static_cast<int64_t>(at)}, {line, static_cast<int64_t>(end)}};
    }
  }
  return {{line, 0}, {line, static_cast<int64_t>(text.size())}};
}

std::vector<ResolvedMember> Resolve(const std::vector<WorkspaceModule>& modules,
                                    const WorkspaceModule& here, int64_t line,
                                    const std::wstring& qualifier, const std::wstring& name) {
  std::vector<ResolvedMember> found;
  if (qualifier.empty()) {
    Add(found, here, name, false);
    if (!found.empty()) {
      return found;
    }
    for (const WorkspaceModule& module : modules) {
      if (module.path != here.path && module.module->module.kind == ModuleKind::kStandard) {
        Add(found, module, name, true);
      }
    }
    return found;
  }
  if (const WorkspaceModule* module = ModuleNamed(modules, qualifier)) {
    Add(found, *module, name, module->path != here.path);
    return found;
  }
  if (const auto type = VariableType(*here.module, line, qualifier)) {
    if (const WorkspaceModule* module = ModuleNamed(modules, *type)) {
      Add(found, *module, name, module->path != here.path);
    }
  }
  return found;
}

}  // namespace tarnwick::lsp
