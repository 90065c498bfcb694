// Shared helpers of the server's tests: where the built DLL is, GUIDs from
// their registry forms, and reading registry trees into comparable lines.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "addin/server/ids.h"

namespace tarnwick::server_test {

inline std::wstring Widen(const std::string& text) {
  return std::wstring(text.begin(), text.end());
}

// A Unix path of the build tree as the Windows programs under Wine see it.
inline std::wstring WindowsPath(const std::string& unixPath) {
  std::wstring path = L"Z:" + Widen(unixPath);
  for (wchar_t& c : path) {
    if (c == L'/') {
      c = L'\\';
    }
  }
  return path;
}

inline std::wstring BuiltDllPath() {
  return WindowsPath(TARNWICK_DLL_PATH);
}

inline GUID GuidOf(const wchar_t* registryForm) {
  GUID guid{};
  EXPECT_EQ(IIDFromString(registryForm, &guid), S_OK) << "bad GUID text";
  return guid;
}

inline constexpr wchar_t kIID_IDTExtensibility2[] = L"{B65AD801-ABAF-11D0-BB8B-00A0C90F2744}";

// Every key below `path` of `root` (the key itself included), one line per key
// and one per value, in a stable order:
//   <path>
//   <path> | <name or @> | sz | <text>       (CR and LF written as \r and \n)
//   <path> | <name> | dword | <number>
// An absent key gives no lines. Subtrees whose path starts with one of
// `skipped` are left out. `view` (KEY_WOW64_32KEY or _64KEY) picks a registry
// view; 0 is the program's own.
std::vector<std::wstring> ReadTree(HKEY root, const std::wstring& path,
                                   const std::vector<std::wstring>& skipped = {}, REGSAM view = 0);

inline bool KeyExists(HKEY root, const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

}  // namespace tarnwick::server_test
