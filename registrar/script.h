// A registry script, parsed: root blocks of key and value entries.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "registrar/registry_port.h"

namespace tarnwick {

enum class EntryMarker { None, NoRemove, ForceRemove };

struct TypedValue {
  enum class Type { String, Dword };
  Type type = Type::String;
  std::wstring text;         // String
  std::uint32_t number = 0;  // Dword
};

// A key entry (`isValue` false): the key `name`, its default value if any and its own
// entries. A value entry (`val`): the value `name` (empty: the default value) and
// its `value`; it has no entries.
struct ScriptEntry {
  bool isValue = false;
  EntryMarker marker = EntryMarker::None;
  std::wstring name;
  std::optional<TypedValue> value;
  std::vector<ScriptEntry> entries;
};

struct RootBlock {
  RegistryRoot root = RegistryRoot::ClassesRoot;
  std::vector<ScriptEntry> entries;
};

struct Script {
  std::vector<RootBlock> roots;
};

}  // namespace tarnwick
