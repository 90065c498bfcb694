// What the Windows tests expect of the build's bitness. It is worked out from
// the test program's own pointer size, not from the build's settings, so that
// a build set up for the wrong Office is caught: the type libraries' system
// kind and registry subkey, the editor's key of add-ins, and the platform that
// the add-in names.
#pragma once

#include <oaidl.h>

namespace tarnwick::test {

inline constexpr bool kBuildIs64Bit = sizeof(void*) == 8;
inline constexpr SYSKIND kTypeLibSysKind = kBuildIs64Bit ? SYS_WIN64 : SYS_WIN32;
inline constexpr const wchar_t* kTypeLibSubkey = kBuildIs64Bit ? L"win64" : L"win32";
inline constexpr const wchar_t* kAddinsKeyName = kBuildIs64Bit ? L"Addins64" : L"Addins";
inline constexpr const wchar_t* kPlatformName = kBuildIs64Bit ? L"x64" : L"x86";

}  // namespace tarnwick::test
