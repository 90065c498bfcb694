#include "addin/server/module_resources.h"

#include "registrar/replacements.h"
#include "win32/hresult_error.h"
#include "win32/unique_any.h"

namespace tarnwick {
namespace {

HResult LastError() {
  const DWORD error = GetLastError();
  return error == 0 ? kE_FAIL : HResultFromWin32(error);
}

// Maps the file's resources without running any of its code.
HResult LoadAsData(const std::wstring& modulePath, UniqueLibrary* library) {
  library->reset(
      LoadLibraryExW(modulePath.c_str(), nullptr,
                     LOAD_LIBRARY_AS_IMAGE_RESOURCE | LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE));
  if (!*library && GetLastError() == ERROR_FILE_NOT_FOUND) {
    library->reset(LoadLibraryExW(modulePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  }
  return *library ? kS_OK : LastError();
}

}  // namespace

HResult GetModulePath(HMODULE module, std::wstring* path) {
  wchar_t buffer[kModulePathBufferLength];
  SetLastError(0);
  const DWORD length = GetModuleFileNameW(module, buffer, kModulePathBufferLength);
  if (length == 0) {
    return LastError();
  }
  if (length >= kModulePathBufferLength) {
    return HResultFromWin32(kErrorInsufficientBuffer);
  }
  return Guarded([&] { path->assign(buffer, length); });
}

HResult LoadRegistryScript(const std::wstring& modulePath, int id, std::wstring* text) {
  UniqueLibrary library;
  HResult hr = LoadAsData(modulePath, &library);
  if (Failed(hr)) {
    return hr;
  }
  HRSRC found = FindResourceW(library.get(), MAKEINTRESOURCEW(id), L"REGISTRY");
  if (found == nullptr) {
    return LastError();
  }
  const DWORD size = SizeofResource(library.get(), found);
  HGLOBAL loaded = LoadResource(library.get(), found);
  const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  if (bytes == nullptr) {
    return LastError();
  }
  if (size == 0) {
    text->clear();
    return kS_OK;
  }
  const int length =
      MultiByteToWideChar(CP_THREAD_ACP, 0, bytes, static_cast<int>(size), nullptr, 0);
  if (length == 0) {
    return LastError();
  }
  return Guarded([&]() -> HRESULT {
    std::wstring converted(static_cast<size_t>(length), L'\0');
    if (MultiByteToWideChar(CP_THREAD_ACP, 0, bytes, static_cast<int>(size), converted.data(),
                            length) != length) {
      return LastError();
    }
    *text = std::move(converted);
    return S_OK;
  });
}

}  // namespace tarnwick
