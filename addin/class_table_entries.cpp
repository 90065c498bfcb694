// The classes this DLL serves, for the server's class table: Connect alone.
#include "addin/com_ids.h"
#include "addin/connect.h"
#include "addin/server/class_table.h"
#include "addin/server/ids.h"
#include "addin/server/module.h"
#include "tarnwick_platform.h"
#include "tarnwick_version.h"

namespace tarnwick {
namespace {

// The class's script with this build's bitness (the editor's key of add-ins
// and the platform that the add-in's description names) and version.
HRESULT UpdateConnectRegistry(bool doRegister, RegistrationScope scope) {
  Replacements replacements;
  replacements.Add(L"ADDINS", L"" TARNWICK_ADDINS_KEY);
  replacements.Add(L"PLATFORM", L"" TARNWICK_PLATFORM);
  replacements.Add(L"VERSION", L"" TARNWICK_VERSION_TEXT);
  return tarnwickModule.UpdateRegistryFromResource(kConnectScriptId, doRegister, replacements,
                                                   scope);
}

const wchar_t* NoDescription() {
  return nullptr;
}

HRESULT NoCategories(bool /*doRegister*/) {
  return S_OK;
}

void ConnectObjectMain(bool /*starting*/) {}

ClassTableEntry classTable[] = {
    {&CLSID_Connect,
     UpdateConnectRegistry,
     CreateClassFactory,
     CreateConnect,
     {nullptr},
     NoDescription,
     NoCategories,
     ConnectObjectMain},
};

}  // namespace

std::span<ClassTableEntry> ClassTable() noexcept {
  return classTable;
}

}  // namespace tarnwick
