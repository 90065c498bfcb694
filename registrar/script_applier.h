// Applies a parsed registry script to a RegistryPort.
//
// Register: entries are applied depth-first in script order; a key is opened or
// created, its default value and values set. A ForceRemove key is first deleted with
// all its subkeys, unless its name is protected (ForceRemoveProtects). When a root
// block fails, that block (or the same block of `undo`, which holds what this
// registration may remove) is run again in unregister mode from its start, and the
// run ends with the original failure; blocks applied before it stay.
//
// Unregister: a value entry's value is deleted unless it carries NoRemove; a key
// entry's own entries are processed first, then its default value (when the script
// gives one) is deleted, and the key itself is deleted unless it carries NoRemove or
// still holds anything: a subkey or a value that the script did not write stays, and
// so does the key above it. Missing keys and values are no error (a missing key's
// entries are skipped), so unregistering twice succeeds. It is best effort: every
// entry of every root block is tried, and the first other failure is returned.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "registrar/hresult.h"
#include "registrar/registry_port.h"
#include "registrar/script.h"

namespace tarnwick {

enum class RegistrarMode { Register, Unregister };

// Where a script's root block is applied instead of the root itself, e.g. HKCR to
// HKCU with the path {L"Software", L"Classes"}. The path's keys are created when
// registering and never removed; when unregistering, a missing path means there is
// nothing to remove.
struct RootRedirect {
  RegistryRoot root = RegistryRoot::CurrentUser;
  std::vector<std::wstring> path;
};
using RootMapping = std::map<RegistryRoot, RootRedirect>;

// The mapping of a registration for the current user only: HKCR to
// HKCU\Software\Classes, which Windows merges into the user's view of HKCR.
RootMapping UserClassesMapping();
// The mapping of a machine-wide registration: HKCR to HKLM\Software\Classes.
// HKCR itself is a merged view: a value written to a key that also exists
// below HKCU\Software\Classes lands there, and the user's keys hide the
// machine's, so a machine-wide registration never goes through it.
RootMapping MachineClassesMapping();

// Deepest existing key tree that a ForceRemove deletes; deeper gives kE_FAIL.
inline constexpr int kMaxDeleteDepth = 512;

// True for the names that ForceRemove never deletes (it opens them instead):
// AppID, CLSID, Component Categories, FileType, Interface, Hardware, Mime, SAM,
// SECURITY, SYSTEM, Software, TypeLib; compared case-insensitively.
bool ForceRemoveProtects(const std::wstring& keyName);

// `undo`, when given, has the blocks of `script` in the same order.
[[nodiscard]] HResult ApplyScript(const Script& script, RegistryPort& registry, RegistrarMode mode,
                                  const RootMapping& mapping = {}, const Script* undo = nullptr);

}  // namespace tarnwick
