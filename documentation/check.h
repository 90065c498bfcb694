// `check`: the problems of a module's ''' blocks, each with its rule's code
// (check_rules.h). A module is checked alone; the modules checked together
// form the scope that a cref may name.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "documentation/check_rules.h"
#include "documentation/module.h"

namespace tarnwick {

// Which members must have a block: public ones (those of the module that are
// not Private), every one (Enum members and Type fields too), or none.
enum class MissingBlocks { kPublic, kAll, kNone };

struct CheckOptions {
  std::vector<std::string> ignored;  // codes of rules left out ("TWD003")
  MissingBlocks missing = MissingBlocks::kPublic;
};

// The modules a cref may name, and the names of their members, ASCII case
// ignored: the modules of one run of `check`, or of a language server's
// workspace. It is made whole at once and keeps its own copy of the names, so
// the modules need not outlive it, and threads that check may share it.
class CrefScope {
 public:
  explicit CrefScope(const std::vector<const DocModule*>& modules);
  // The name of the module that `cref` names when that module has no member of
  // the name; nullopt when the member is there or the cref names no module of
  // the scope (Excel.Range).
  std::optional<std::wstring> Missing(const std::wstring& cref) const;

 private:
  struct Module {
    std::wstring name;
    std::set<std::wstring> members;  // "member", and "enum.member" for Enum members, Type fields
  };
  std::map<std::wstring, Module> modules;  // by lower-case name
};

// The problems of the module's blocks, in line order, each with its rule's
// code. Lines are lines of the module's source; Shown() (module.h) maps them
// to the lines a user sees. The module must have been parsed.
std::vector<Finding> CheckModule(const DocModule& module, const CheckOptions& options,
                                 const CrefScope& scope);
// The same with the default options, the module alone in scope.
std::vector<Finding> CheckModule(const DocModule& module);

}  // namespace tarnwick
