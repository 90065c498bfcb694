// The Registry table of the installer packages: exactly what registering the
// add-in for the current user writes (regsvr32 /n /i:user), as rows of the
// package's two components. The class, ProgID, AppID and add-in keys come
// from running the DLL's own registry scripts through the same registrar; the
// type library's keys from the facts of its IDL.
#pragma once

#include <string>
#include <vector>

#include "tools/package/type_library_facts.h"

namespace tarnwick {

// Names that the package source (packaging/tarnwick.wxs) defines and the rows
// refer to.
inline constexpr wchar_t kPackageModuleFile[] = L"TarnwickDll";  // File: Tarnwick.dll
// Directory: the folder above both bitnesses' folders, the same in both packages.
inline constexpr wchar_t kPackageSharedFolder[] = L"TarnwickFolder";

// Where a row belongs. AddIn: the keys of the package's own bitness (the
// class, its interfaces and type library path, and the editor's add-in key),
// installed and removed with the package. SharedClasses: the keys that both
// bitnesses' registrations write alike (ProgIDs, AppID, the type library's
// version key, FLAGS and HELPDIR): a component of one fixed id in both
// packages, so that the installer removes it with the last package that uses
// it. Every value that both packages write outside the keys that each registry
// view has for itself belongs there, with the same content in both.
enum class PackageComponent { AddIn, SharedClasses };
const wchar_t* ComponentName(PackageComponent component);

struct PackageRegistryRow {
  std::wstring key;    // below HKEY_CURRENT_USER
  std::wstring name;   // empty: the default value; "*": the key alone
  std::wstring value;  // as the table holds it: "#3" for a DWORD; formatted text
  PackageComponent component = PackageComponent::AddIn;
};

struct PackageInputs {
  std::string platform;  // "x64" or "x86"
  std::wstring version;  // "1.0.0"
  std::wstring appIdScript;
  std::wstring connectScript;
  TypeLibraryFacts typeLibrary;
};

// Throws std::runtime_error for an unknown platform, a script that fails (its
// HRESULT in the message) or a value the table cannot hold.
std::vector<PackageRegistryRow> PackageRegistryRows(const PackageInputs& inputs);

// The rows as the Registry table's archive file (.idt), UTF-8 text; the
// package's code page must be set before it is imported.
std::string RegistryTableArchive(const std::vector<PackageRegistryRow>& rows);

}  // namespace tarnwick
