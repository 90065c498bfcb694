// What the Windows tests expect of the build's bitness. It is worked out from
// the test program's own pointer size, not from the build's settings, so that
// a build set up for the wrong Office is caught: the type libraries' system
// kind and registry subkey, the editor's key of add-ins, and the platform that
// the add-in names.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace tarnwick::test {

// The names that differ between the registrations of the two bitnesses, and
// the registry view that each bitness's own keys are in.
struct Bitness {
  const wchar_t* platform;
  const wchar_t* addinsKey;
  const wchar_t* typeLibSubkey;
  SYSKIND typeLibSysKind;
  REGSAM view;
};
inline constexpr Bitness kX64 = {L"x64", L"Addins64", L"win64", SYS_WIN64, KEY_WOW64_64KEY};
inline constexpr Bitness kX86 = {L"x86", L"Addins", L"win32", SYS_WIN32, KEY_WOW64_32KEY};

inline constexpr bool kBuildIs64Bit = sizeof(void*) == 8;
inline constexpr Bitness kBuild = kBuildIs64Bit ? kX64 : kX86;
inline constexpr SYSKIND kTypeLibSysKind = kBuild.typeLibSysKind;
inline constexpr const wchar_t* kTypeLibSubkey = kBuild.typeLibSubkey;
inline constexpr const wchar_t* kAddinsKeyName = kBuild.addinsKey;
inline constexpr const wchar_t* kPlatformName = kBuild.platform;

}  // namespace tarnwick::test
