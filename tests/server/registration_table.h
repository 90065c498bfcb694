// What a registration of the server writes, as lines of server_test::ReadTree,
// and snapshots of the registry that registration may touch. Shared by the
// machine-wide and the per-user registration tests.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "addin/ids.h"
#include "tests/build_bitness.h"

namespace tarnwick::server_test {

inline const std::wstring kClsid = kCLSID_Connect;
inline const std::wstring kLibid = kLIBID_TarnwickLib;
inline const std::wstring kAppIdText = kAppId;
inline const std::wstring kAddinKey = std::wstring(L"Software\\Microsoft\\VBA\\VBE\\6.0\\") +
                                      test::kAddinsKeyName + L"\\Tarnwick.Connect";
// Where a per-user registration puts what a machine-wide one puts in HKCR.
inline const std::wstring kUserClasses = L"Software\\Classes";
inline const std::wstring kMachineClasses = L"Software\\Classes";
// The type library's registration for its locale 0x0409, relative to a
// classes key.
inline const std::wstring kTypeLibPathKey =
    L"TypeLib\\" + kLibid + L"\\1.0\\409\\" + test::kTypeLibSubkey;

inline std::wstring ModulePathOf(HMODULE module) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(module, path, MAX_PATH);
  return path;
}

// The class, ProgID and AppID keys below `classesPath` of `root` (HKCR with an
// empty path, or HKCU\Software\Classes), written relative to that key.
std::vector<std::wstring> ClassKeys(HKEY root, const std::wstring& classesPath = L"");

// ClassKeys of HKCR and the add-in's key under HKCU.
std::vector<std::wstring> OurKeys();

// Every key and value of a registration of the module at `modulePath`, as
// ClassKeys followed by the add-in key give them.
std::vector<std::wstring> ExpectedKeys(const std::wstring& modulePath);
// The add-in key's part of ExpectedKeys.
std::vector<std::wstring> ExpectedAddinKey();

// The registered path of the type library below `classesPath` of `root`, with
// its ReadTree line form; "(missing)" when there is none.
std::wstring RegisteredTypeLibPath(HKEY root = HKEY_CLASSES_ROOT,
                                   const std::wstring& classesPath = L"");

// The whole registry that registration may touch (the machine's and the user's
// classes, and the user's software), without Wine's own keys and other tests'
// private keys.
std::vector<std::wstring> Snapshot();

// The lines that only one of two snapshots holds, marked - (before) and +.
std::string Difference(const std::vector<std::wstring>& before,
                       const std::vector<std::wstring>& after);

}  // namespace tarnwick::server_test
