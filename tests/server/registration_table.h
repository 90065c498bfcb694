// What a registration of the server writes, as lines of server_test::ReadTree,
// and snapshots of the registry that registration may touch. Shared by the
// machine-wide and the per-user registration tests.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "addin/server/ids.h"
#include "tests/build_bitness.h"

namespace tarnwick::server_test {

inline const std::wstring kClsid = kCLSID_Connect;
inline const std::wstring kLibid = kLIBID_TarnwickLib;
inline const std::wstring kAppIdText = kAppId;
// The add-in's key below HKCU for each bitness, and for the build's.
inline std::wstring AddinKeyOf(const test::Bitness& bitness) {
  return std::wstring(L"Software\\Microsoft\\VBA\\VBE\\6.0\\") + bitness.addinsKey +
         L"\\Tarnwick.Connect";
}
inline const std::wstring kAddinKey = AddinKeyOf(test::kBuild);
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
// empty path, or HKCU\Software\Classes), written relative to that key, in the
// registry view `view` (0: the program's own).
std::vector<std::wstring> ClassKeys(HKEY root, const std::wstring& classesPath = L"",
                                    REGSAM view = 0);

// ClassKeys of HKCR and the add-in's key under HKCU.
std::vector<std::wstring> OurKeys();

// Every key and value of a registration of the module at `modulePath`, as
// ClassKeys followed by the add-in key give them.
std::vector<std::wstring> ExpectedKeys(const std::wstring& modulePath,
                                       const test::Bitness& bitness = test::kBuild);
// The add-in key's part of ExpectedKeys.
std::vector<std::wstring> ExpectedAddinKey(const test::Bitness& bitness = test::kBuild);

// The type library's and its interface's keys below `classesPath` of `root`,
// relative to that key, sorted.
std::vector<std::wstring> TypeLibKeys(HKEY root, const std::wstring& classesPath, REGSAM view = 0);
// What registering the type library of the module at `modulePath` writes, as
// TypeLibKeys gives it: the library's help string as the system reads it from
// the library, and the help directory that the registration was given.
std::vector<std::wstring> ExpectedTypeLibKeys(const std::wstring& modulePath,
                                              const std::wstring& helpDirectory,
                                              const std::wstring& helpString,
                                              const test::Bitness& bitness = test::kBuild);

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
