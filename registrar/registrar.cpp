#include "registrar/registrar.h"

#include <algorithm>

#include "text/ascii.h"
#include "registrar/script_parser.h"

namespace tarnwick {

bool IsOwnViewClassKey(std::wstring_view name) {
  static constexpr std::wstring_view kOwnKeys[] = {L"CLSID", L"Interface", L"DirectShow",
                                                   L"Media Type", L"MediaFoundation"};
  return std::any_of(std::begin(kOwnKeys), std::end(kOwnKeys),
                     [&](std::wstring_view own) { return EqualsIgnoringAsciiCase(name, own); });
}

Script OwnViewClassKeys(Script script) {
  for (RootBlock& block : script.roots) {
    if (block.root != RegistryRoot::ClassesRoot) {
      continue;
    }
    std::erase_if(block.entries,
                  [](const ScriptEntry& entry) { return !IsOwnViewClassKey(entry.name); });
  }
  return script;
}

Script RemovableKeys(Script script, const KeysLeftToOthers& left) {
  if (left.sharedClassKeys) {
    script = OwnViewClassKeys(std::move(script));
  }
  if (left.otherRoots) {
    for (RootBlock& block : script.roots) {
      if (block.root != RegistryRoot::ClassesRoot) {
        block.entries.clear();
      }
    }
  }
  return script;
}

HResult RunRegistryScript(const std::wstring& text, const Replacements& replacements,
                          RegistryPort& registry, RegistrarMode mode, const RootMapping& mapping,
                          ClassKeys classKeys, const KeysLeftToOthers& left) {
  std::wstring expanded;
  if (const HResult hr = ExpandReplacements(text, replacements, &expanded); Failed(hr)) {
    return hr;
  }
  Script script;
  if (const HResult hr = ParseScript(expanded, &script); Failed(hr)) {
    return hr;
  }
  if (classKeys == ClassKeys::OwnViewOnly) {
    script = OwnViewClassKeys(std::move(script));
  }
  if (mode == RegistrarMode::Unregister) {
    return ApplyScript(RemovableKeys(std::move(script), left), registry, mode, mapping);
  }
  const Script undo = RemovableKeys(script, left);
  return ApplyScript(script, registry, mode, mapping, &undo);
}

}  // namespace tarnwick
