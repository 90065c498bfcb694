// Which member of the workspace a name in a document stands for, as VBA sees
// it: an unqualified name in its own module, else a public member of a
// standard module; Module.Member and Class.Member by the module's name;
// x.Member where x is declared As a class of the workspace (a local, a
// parameter or a module-level variable). An object whose type is not
// declared is not guessed.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "documentation/members.h"
#include "lsp/text_document.h"
#include "lsp/workspace.h"

namespace tarnwick::lsp {

struct ResolvedMember {
  WorkspaceModule where;  // keeps the module alive
  // The members of that name, read as the library groups them; `member`
  // points into them.
  std::shared_ptr<const ModuleSource> named;
  DocumentedMember member;
};

// `here` is the module the name is written in; `line` (0-based) where.
std::vector<ResolvedMember> Resolve(const std::vector<WorkspaceModule>& modules,
                                    const WorkspaceModule& here, int64_t line,
                                    const std::wstring& qualifier, const std::wstring& name);

// The members of a module whose name is `name`, ASCII case ignored, grouped as
// the library groups a module's members (a property's Get, Let and Set as
// one): only they are read, however large the module.
struct NamedMembers {
  std::shared_ptr<const ModuleSource> source;  // what the members point into
  std::vector<DocumentedMember> members;
};
NamedMembers MembersNamed(const DocModule& module, const std::wstring& name);
// The first line (0-based) and the name's column range of a member.
TextRange NameRange(const DocModule& module, const Member& member, const std::wstring& name);

}  // namespace tarnwick::lsp
