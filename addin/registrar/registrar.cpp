#include "addin/registrar/registrar.h"

#include "addin/registrar/script_parser.h"

namespace tarnwick {

HResult RunRegistryScript(const std::wstring& text, const Replacements& replacements,
                          RegistryPort& registry, RegistrarMode mode, const RootMapping& mapping) {
  std::wstring expanded;
  if (const HResult hr = ExpandReplacements(text, replacements, &expanded); Failed(hr))
    return hr;
  Script script;
  if (const HResult hr = ParseScript(expanded, &script); Failed(hr))
    return hr;
  return ApplyScript(script, registry, mode, mapping);
}

}  // namespace tarnwick
