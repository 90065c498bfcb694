#include "addin/server/typelib_registration.h"

#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <cwchar>

#include "win32/unique_any.h"

// oleaut32 exports these (Windows Vista and later), but MinGW's oleauto.h does
// not declare them.
extern "C" {
HRESULT WINAPI RegisterTypeLibForUser(ITypeLib* library, OLECHAR* fullPath, OLECHAR* helpDir);
HRESULT WINAPI UnRegisterTypeLibForUser(REFGUID libId, WORD majorVersion, WORD minorVersion,
                                        LCID lcid, SYSKIND sysKind);
}

namespace tarnwick {
namespace {

using Microsoft::WRL::ComPtr;

HResult LoadFromModule(const std::wstring& modulePath, ComPtr<ITypeLib>* library,
                       std::wstring* loadedFrom) {
  HRESULT hr = LoadTypeLib(modulePath.c_str(), library->ReleaseAndGetAddressOf());
  if (SUCCEEDED(hr)) {
    *loadedFrom = modulePath;
    return hr;
  }
  const std::wstring beside = TypeLibFileBeside(modulePath);
  hr = LoadTypeLib(beside.c_str(), library->ReleaseAndGetAddressOf());
  if (SUCCEEDED(hr)) {
    *loadedFrom = beside;
  }
  return hr;
}

using RegisterFunction = HRESULT(WINAPI*)(ITypeLib*, OLECHAR*, OLECHAR*);
using UnregisterFunction = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);

HResult RegisterWith(const std::wstring& modulePath, RegisterFunction registerLibrary) {
  ComPtr<ITypeLib> library;
  std::wstring loadedFrom;
  HRESULT hr = LoadFromModule(modulePath, &library, &loadedFrom);
  if (FAILED(hr)) {
    return hr;
  }
  UniqueBstr helpFile;
  std::wstring helpDirectory;
  if (SUCCEEDED(library->GetDocumentation(-1, nullptr, nullptr, nullptr, helpFile.put())) &&
      helpFile && SysStringLen(helpFile.get()) > 0) {
    helpDirectory = HelpDirectoryOf(helpFile.get());
  }
  // The path registered is the file that holds the library, so that loading
  // it through the registration finds it again.
  return registerLibrary(
      library.Get(), const_cast<wchar_t*>(loadedFrom.c_str()),
      helpDirectory.empty() ? nullptr : const_cast<wchar_t*>(helpDirectory.c_str()));
}

HResult LoadAttributes(const std::wstring& modulePath, TLIBATTR* attributes) {
  ComPtr<ITypeLib> library;
  std::wstring loadedFrom;
  HRESULT hr = LoadFromModule(modulePath, &library, &loadedFrom);
  if (FAILED(hr)) {
    return hr;
  }
  TLIBATTR* held = nullptr;
  hr = library->GetLibAttr(&held);
  if (FAILED(hr)) {
    return hr;
  }
  *attributes = *held;
  library->ReleaseTLibAttr(held);
  return kS_OK;
}

HResult UnregisterWith(const TLIBATTR& attributes, UnregisterFunction unregisterLibrary) {
  return unregisterLibrary(attributes.guid, attributes.wMajorVerNum, attributes.wMinorVerNum,
                           attributes.lcid, attributes.syskind);
}

// Whether the classes of `root` (the current user's or the machine's) hold a
// registration of this version of the library.
bool RegisteredIn(HKEY root, const TLIBATTR& attributes) {
  wchar_t libId[40] = {};
  if (StringFromGUID2(attributes.guid, libId, 40) == 0) {
    return false;
  }
  wchar_t version[16] = {};
  std::swprintf(version, 16, L"%x.%x", attributes.wMajorVerNum, attributes.wMinorVerNum);
  const std::wstring path = std::wstring(L"Software\\Classes\\TypeLib\\") + libId + L"\\" + version;
  UniqueHkey key;
  return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

// Unregistering what is not there fails in oleaut32; for us it is done.
HResult UnregisterIfRegistered(const std::wstring& modulePath, HKEY root,
                               UnregisterFunction unregisterLibrary) {
  TLIBATTR attributes{};
  const HResult hr = LoadAttributes(modulePath, &attributes);
  if (Failed(hr)) {
    return hr;
  }
  if (!RegisteredIn(root, attributes)) {
    return kS_OK;
  }
  return UnregisterWith(attributes, unregisterLibrary);
}

}  // namespace

std::wstring TypeLibFileBeside(const std::wstring& path) {
  const size_t lastSeparator = path.find_last_of(L'\\');
  const size_t lastPeriod = path.find_last_of(L'.');
  const bool hasExtension = lastPeriod != std::wstring::npos &&
                            (lastSeparator == std::wstring::npos || lastPeriod > lastSeparator);
  return (hasExtension ? path.substr(0, lastPeriod) : path) + L".tlb";
}

std::wstring HelpDirectoryOf(const std::wstring& helpFile) {
  const size_t last = helpFile.find_last_of(L"\\/:");
  return last == std::wstring::npos ? std::wstring() : helpFile.substr(0, last + 1);
}

HResult RegisterTypeLibOf(const std::wstring& modulePath) {
  return RegisterWith(modulePath, RegisterTypeLib);
}

HResult UnregisterTypeLibOf(const std::wstring& modulePath) {
  return UnregisterIfRegistered(modulePath, HKEY_LOCAL_MACHINE, UnRegisterTypeLib);
}

HResult RegisterTypeLibForUserOf(const std::wstring& modulePath) {
  return RegisterWith(modulePath, RegisterTypeLibForUser);
}

HResult UnregisterTypeLibForUserOf(const std::wstring& modulePath) {
  return UnregisterIfRegistered(modulePath, HKEY_CURRENT_USER, UnRegisterTypeLibForUser);
}

}  // namespace tarnwick
