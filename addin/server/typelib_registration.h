// Registration of the type library that the module file carries.
#pragma once

#include <string>

#include "registrar/hresult.h"

namespace tarnwick {

// Loads the library from `modulePath`, or, failing that, from the same path with
// its extension replaced by ".tlb", and registers it machine-wide with the path
// it was loaded from and the directory of its help file, if it names one.
[[nodiscard]] HResult RegisterTypeLibOf(const std::wstring& modulePath);

// Loads the library the same way and unregisters it by its LIBID, version,
// locale and system kind. When the machine has no registration of it (never
// registered, or unregistered already) there is nothing to remove: kS_OK.
[[nodiscard]] HResult UnregisterTypeLibOf(const std::wstring& modulePath);

// The same for the current user only: registered with RegisterTypeLibForUser,
// which writes below HKEY_CURRENT_USER\Software\Classes.
[[nodiscard]] HResult RegisterTypeLibForUserOf(const std::wstring& modulePath);

// Unregisters the current user's registration with UnRegisterTypeLibForUser.
// When the user has none (never registered, or unregistered already) there is
// nothing to remove: kS_OK, and a machine-wide registration is left alone.
[[nodiscard]] HResult UnregisterTypeLibForUserOf(const std::wstring& modulePath);

// `path` with the extension of its last component (from its last period; none:
// the end of the path) replaced by ".tlb".
std::wstring TypeLibFileBeside(const std::wstring& path);

// The directory part of a help file's path, up to and including its last
// backslash, slash or colon; empty when it has none.
std::wstring HelpDirectoryOf(const std::wstring& helpFile);

}  // namespace tarnwick
