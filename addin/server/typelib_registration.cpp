#include "addin/server/typelib_registration.h"

#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include "win32/unique_any.h"

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
  if (SUCCEEDED(hr))
    *loadedFrom = beside;
  return hr;
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
  ComPtr<ITypeLib> library;
  std::wstring loadedFrom;
  HRESULT hr = LoadFromModule(modulePath, &library, &loadedFrom);
  if (FAILED(hr))
    return hr;
  UniqueBstr helpFile;
  std::wstring helpDirectory;
  if (SUCCEEDED(library->GetDocumentation(-1, nullptr, nullptr, nullptr, helpFile.put())) &&
      helpFile && SysStringLen(helpFile.get()) > 0)
    helpDirectory = HelpDirectoryOf(helpFile.get());
  // The path registered is the file that holds the library, so that loading
  // it through the registration finds it again.
  return RegisterTypeLib(
      library.Get(), const_cast<wchar_t*>(loadedFrom.c_str()),
      helpDirectory.empty() ? nullptr : const_cast<wchar_t*>(helpDirectory.c_str()));
}

HResult UnregisterTypeLibOf(const std::wstring& modulePath) {
  ComPtr<ITypeLib> library;
  std::wstring loadedFrom;
  HRESULT hr = LoadFromModule(modulePath, &library, &loadedFrom);
  if (FAILED(hr))
    return hr;
  TLIBATTR* attributes = nullptr;
  hr = library->GetLibAttr(&attributes);
  if (FAILED(hr))
    return hr;
  const TLIBATTR copy = *attributes;
  library->ReleaseTLibAttr(attributes);
  return UnRegisterTypeLib(copy.guid, copy.wMajorVerNum, copy.wMinorVerNum, copy.lcid,
                           copy.syskind);
}

}  // namespace tarnwick
