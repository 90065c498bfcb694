#include "simulator/host/addin_loader.h"

#include <oleauto.h>

#include "simulator/com/dispatch_object.h"
#include "win32/unique_any.h"

namespace tarnwick {
namespace {

constexpr IID kIidExtensibility = {
    0xB65AD801, 0xABAF, 0x11D0, {0xBB, 0x8B, 0x00, 0xA0, 0xC9, 0x0F, 0x27, 0x44}};

// An empty SAFEARRAY of VARIANT, the custom array of every notification.
UniqueSafeArray EmptyCustomArray() {
  return UniqueSafeArray(SafeArrayCreateVector(VT_VARIANT, 0, 0));
}

// The AddIn object an add-in is connected with: it answers its ProgId.
constexpr DispatchMember kAddInMembers[] = {
    {L"ProgId", 0x60020000, true, 0},
};

class AddInObject final : public DispatchObject {
 public:
  AddInObject(std::wstring progId, CallLog& log)
      : DispatchObject(L"AddIn", kAddInMembers, log), progId(std::move(progId)) {}

 protected:
  void Call(const DispatchMember&, const DispatchArguments&, VARIANT& result) override {
    result.vt = VT_BSTR;
    result.bstrVal = SysAllocString(progId.c_str());
    if (result.bstrVal == nullptr) {
      throw EditorError{E_OUTOFMEMORY, L"Out of memory"};
    }
  }

 private:
  std::wstring progId;
};

}  // namespace

std::vector<std::wstring> StartupAddIns(HKEY root, const wchar_t* path) {
  std::vector<std::wstring> names;
  UniqueHkey addins;
  if (RegOpenKeyExW(root, path, 0, KEY_READ, addins.put()) != ERROR_SUCCESS) {
    return names;
  }
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD length = static_cast<DWORD>(std::size(name));
    const LONG status =
        RegEnumKeyExW(addins.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) {
      break;
    }
    if (status != ERROR_SUCCESS) {
      continue;  // a name too long for a ProgID names no add-in
    }
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueW(addins.get(), name, L"LoadBehavior", RRF_RT_ANY, &type, &value, &size) ==
            ERROR_SUCCESS &&
        type == REG_DWORD && size == sizeof value && LoadsAtStartup(value)) {
      names.emplace_back(name, length);
    }
  }
  return names;
}

std::wstring CouldNotLoadMessage(const std::wstring& name) {
  return L"'" + name + L"' could not be loaded.";
}

void AddInHost::LoadAll(IDispatch* vbe, const std::vector<std::wstring>& names) {
  for (const std::wstring& name : names) {
    if (!Load(vbe, name)) {
      report(CouldNotLoadMessage(name));
    }
  }
  for (const LoadedAddIn& entry : loaded) {
    UniqueSafeArray custom = EmptyCustomArray();
    entry.addIn->OnStartupComplete(custom.addressof());
  }
}

bool AddInHost::Load(IDispatch* vbe, const std::wstring& name) {
  CLSID clsid{};
  if (FAILED(CLSIDFromProgID(name.c_str(), &clsid))) {
    return false;
  }
  Microsoft::WRL::ComPtr<IUnknown> object;
  if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                              reinterpret_cast<void**>(object.GetAddressOf())))) {
    return false;
  }
  LoadedAddIn entry{name, nullptr, nullptr};
  if (FAILED(object->QueryInterface(kIidExtensibility,
                                    reinterpret_cast<void**>(entry.addIn.GetAddressOf()))) ||
      entry.addIn == nullptr) {
    return false;
  }
  entry.instance = new AddInObject(name, instanceLog);
  UniqueSafeArray custom = EmptyCustomArray();
  if (FAILED(entry.addIn->OnConnection(vbe, ext_cm_Startup, entry.instance.Get(),
                                       custom.addressof()))) {
    return false;
  }
  loaded.push_back(std::move(entry));
  return true;
}

void AddInHost::UnloadAll() noexcept {
  for (const LoadedAddIn& entry : loaded) {
    UniqueSafeArray custom = EmptyCustomArray();
    entry.addIn->OnBeginShutdown(custom.addressof());
  }
  for (const LoadedAddIn& entry : loaded) {
    UniqueSafeArray custom = EmptyCustomArray();
    entry.addIn->OnDisconnection(ext_dm_HostShutdown, custom.addressof());
  }
  const bool any = !loaded.empty();
  loaded.clear();
  if (any) {
    CoFreeUnusedLibrariesEx(0, 0);
  }
}

std::vector<std::wstring> AddInHost::Connected() const {
  std::vector<std::wstring> names;
  for (const LoadedAddIn& entry : loaded) {
    names.push_back(entry.name);
  }
  return names;
}

}  // namespace tarnwick
