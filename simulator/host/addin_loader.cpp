#include "simulator/host/addin_loader.h"

#include <oleauto.h>

#include "simulator/com/dispatch_object.h"

namespace tarnwick {
namespace {

constexpr IID kIidExtensibility = {
    0xB65AD801, 0xABAF, 0x11D0, {0xBB, 0x8B, 0x00, 0xA0, 0xC9, 0x0F, 0x27, 0x44}};

class RegistryKey {
 public:
  RegistryKey() = default;
  ~RegistryKey() {
    if (key != nullptr)
      RegCloseKey(key);
  }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  HKEY* Put() { return &key; }
  HKEY Get() const { return key; }

 private:
  HKEY key = nullptr;
};

// An empty SAFEARRAY of VARIANT, the custom array of every notification.
class CustomArray {
 public:
  CustomArray() : array(SafeArrayCreateVector(VT_VARIANT, 0, 0)) {}
  ~CustomArray() {
    if (array != nullptr)
      SafeArrayDestroy(array);
  }
  CustomArray(const CustomArray&) = delete;
  CustomArray& operator=(const CustomArray&) = delete;
  SAFEARRAY** Put() { return &array; }

 private:
  SAFEARRAY* array;
};

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
    if (result.bstrVal == nullptr)
      throw EditorError{E_OUTOFMEMORY, L"Out of memory"};
  }

 private:
  std::wstring progId;
};

}  // namespace

std::vector<std::wstring> StartupAddIns(HKEY root, const wchar_t* path) {
  std::vector<std::wstring> names;
  RegistryKey addins;
  if (RegOpenKeyExW(root, path, 0, KEY_READ, addins.Put()) != ERROR_SUCCESS)
    return names;
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD length = static_cast<DWORD>(std::size(name));
    const LONG status =
        RegEnumKeyExW(addins.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS)
      break;
    if (status != ERROR_SUCCESS)
      continue;  // a name too long for a ProgID names no add-in
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueW(addins.Get(), name, L"LoadBehavior", RRF_RT_ANY, &type, &value, &size) ==
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
    if (!Load(vbe, name))
      report(CouldNotLoadMessage(name));
  }
  for (const LoadedAddIn& entry : loaded) {
    CustomArray custom;
    entry.addIn->OnStartupComplete(custom.Put());
  }
}

bool AddInHost::Load(IDispatch* vbe, const std::wstring& name) {
  CLSID clsid{};
  if (FAILED(CLSIDFromProgID(name.c_str(), &clsid)))
    return false;
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
  CustomArray custom;
  if (FAILED(entry.addIn->OnConnection(vbe, ext_cm_Startup, entry.instance.Get(), custom.Put())))
    return false;
  loaded.push_back(std::move(entry));
  return true;
}

void AddInHost::UnloadAll() noexcept {
  for (const LoadedAddIn& entry : loaded) {
    CustomArray custom;
    entry.addIn->OnBeginShutdown(custom.Put());
  }
  for (const LoadedAddIn& entry : loaded) {
    CustomArray custom;
    entry.addIn->OnDisconnection(ext_dm_HostShutdown, custom.Put());
  }
  const bool any = !loaded.empty();
  loaded.clear();
  if (any)
    CoFreeUnusedLibrariesEx(0, 0);
}

std::vector<std::wstring> AddInHost::Connected() const {
  std::vector<std::wstring> names;
  for (const LoadedAddIn& entry : loaded)
    names.push_back(entry.name);
  return names;
}

}  // namespace tarnwick
