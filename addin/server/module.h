// The server module: the lock count that keeps the DLL loaded, the critical
// section that guards the module's one-time static work, the termination list
// run when the module is unloaded, and the replacements every registry script
// gets. Its class templates are in atl_module.h.
#pragma once

#include <windows.h>

#include "addin/server/ids.h"
#include "addin/server/atl_module.h"

namespace tarnwick {

class CTarnwickModule : public CAtlDllModuleT<CTarnwickModule> {
 public:
  // The AppID in registry form.
  static constexpr const wchar_t* appId = kAppId;

  // "APPID" = the AppID.
  HRESULT AddCommonReplacements(Replacements& replacements) noexcept override;

  // Runs the AppID script with "APPID" = the AppID.
  [[nodiscard]] HRESULT UpdateRegistryAppId(bool doRegister,
                                            RegistrationScope scope = RegistrationScope::Machine) {
    Replacements replacements;
    replacements.Add(L"APPID", appId);
    return UpdateRegistryFromResource(kAppIdScriptId, doRegister, replacements, scope);
  }
};

// The module's one instance.
extern CTarnwickModule tarnwickModule;

}  // namespace tarnwick
