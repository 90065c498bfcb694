#include "addin/server/module.h"

#include "win32/hresult_error.h"

namespace tarnwick {

CTarnwickModule tarnwickModule;

HRESULT CTarnwickModule::AddCommonReplacements(Replacements& replacements) noexcept {
  return Guarded([&] { replacements.Add(L"APPID", appId); });
}

}  // namespace tarnwick
