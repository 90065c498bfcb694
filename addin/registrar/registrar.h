// Runs a registry script: replacements, then parsing of the whole text, then
// application to the registry (see script_parser.h and script_applier.h).
#pragma once

#include <string>

#include "addin/registrar/hresult.h"
#include "addin/registrar/registry_port.h"
#include "addin/registrar/replacements.h"
#include "addin/registrar/script_applier.h"

namespace tarnwick {

// kS_OK, or the first failure: of the replacements, of the parse (nothing written)
// or of the application (the failing root block undone when registering).
[[nodiscard]] HResult RunRegistryScript(const std::wstring& text, const Replacements& replacements,
                                        RegistryPort& registry, RegistrarMode mode,
                                        const RootMapping& mapping = {});

}  // namespace tarnwick
