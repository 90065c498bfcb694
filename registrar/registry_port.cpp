#include "registrar/registry_port.h"

namespace tarnwick {

const wchar_t* RootShortName(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::ClassesRoot:
      return L"HKCR";
    case RegistryRoot::CurrentUser:
      return L"HKCU";
    case RegistryRoot::LocalMachine:
      return L"HKLM";
    case RegistryRoot::Users:
      return L"HKU";
    case RegistryRoot::PerformanceData:
      return L"HKPD";
    case RegistryRoot::DynData:
      return L"HKDD";
    case RegistryRoot::CurrentConfig:
      return L"HKCC";
  }
  return L"?";
}

}  // namespace tarnwick
