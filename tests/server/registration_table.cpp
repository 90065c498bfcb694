#include "registration_table.h"

#include <algorithm>
#include <iterator>

#include "server_test_support.h"
#include "tarnwick_version.h"

namespace tarnwick::server_test {
namespace {

std::wstring Joined(const std::wstring& base, const std::wstring& path) {
  return base.empty() ? path : base + L"\\" + path;
}

// `lines` with the leading "<base>\" taken off each.
std::vector<std::wstring> Relative(std::vector<std::wstring> lines, const std::wstring& base) {
  if (base.empty()) {
    return lines;
  }
  for (std::wstring& line : lines) {
    if (line.compare(0, base.size() + 1, base + L"\\") == 0) {
      line.erase(0, base.size() + 1);
    }
  }
  return lines;
}

}  // namespace

std::vector<std::wstring> ClassKeys(HKEY root, const std::wstring& classesPath, REGSAM view) {
  std::vector<std::wstring> lines;
  for (const std::wstring& path : {L"AppID\\" + kAppIdText, std::wstring(L"AppID\\Tarnwick.DLL"),
                                   std::wstring(L"Tarnwick.Connect.1"),
                                   std::wstring(L"Tarnwick.Connect"), L"CLSID\\" + kClsid}) {
    const std::vector<std::wstring> tree =
        Relative(ReadTree(root, Joined(classesPath, path), {}, view), classesPath);
    lines.insert(lines.end(), tree.begin(), tree.end());
  }
  return lines;
}

std::vector<std::wstring> OurKeys() {
  std::vector<std::wstring> lines = ClassKeys(HKEY_CLASSES_ROOT);
  const std::vector<std::wstring> addin = ReadTree(HKEY_CURRENT_USER, kAddinKey);
  lines.insert(lines.end(), addin.begin(), addin.end());
  return lines;
}

std::vector<std::wstring> ExpectedAddinKey(const test::Bitness& bitness) {
  const std::wstring key = AddinKeyOf(bitness);
  return {
      key,
      key + L" | CommandLineSafe | dword | 0",
      key + L" | Description | sz | Brelloc VBA Addin for " + bitness.platform +
          L"\\r\\nVersion " TARNWICK_VERSION_TEXT,
      key + L" | FriendlyName | sz | Brelloc",
      key + L" | LoadBehavior | dword | 3",
  };
}

std::vector<std::wstring> ExpectedKeys(const std::wstring& modulePath,
                                       const test::Bitness& bitness) {
  const std::wstring clsidKey = L"CLSID\\" + kClsid;
  std::vector<std::wstring> lines = {
      L"AppID\\" + kAppIdText,
      L"AppID\\" + kAppIdText + L" | @ | sz | Tarnwick",
      L"AppID\\Tarnwick.DLL",
      L"AppID\\Tarnwick.DLL | AppID | sz | " + kAppIdText,
      L"Tarnwick.Connect.1",
      L"Tarnwick.Connect.1 | @ | sz | Connect Class",
      L"Tarnwick.Connect.1\\CLSID",
      L"Tarnwick.Connect.1\\CLSID | @ | sz | " + kClsid,
      L"Tarnwick.Connect",
      L"Tarnwick.Connect | @ | sz | Connect Class",
      L"Tarnwick.Connect\\CLSID",
      L"Tarnwick.Connect\\CLSID | @ | sz | " + kClsid,
      L"Tarnwick.Connect\\CurVer",
      L"Tarnwick.Connect\\CurVer | @ | sz | Tarnwick.Connect.1",
      clsidKey,
      clsidKey + L" | @ | sz | Connect Class",
      clsidKey + L" | AppID | sz | " + kAppIdText,
      clsidKey + L"\\InprocServer32",
      clsidKey + L"\\InprocServer32 | @ | sz | " + modulePath,
      clsidKey + L"\\ProgID",
      clsidKey + L"\\ProgID | @ | sz | Tarnwick.Connect.1",
      clsidKey + L"\\Programmable",
      clsidKey + L"\\TypeLib",
      clsidKey + L"\\TypeLib | @ | sz | " + kLibid,
      clsidKey + L"\\VersionIndependentProgID",
      clsidKey + L"\\VersionIndependentProgID | @ | sz | Tarnwick.Connect",
  };
  const std::vector<std::wstring> addin = ExpectedAddinKey(bitness);
  lines.insert(lines.end(), addin.begin(), addin.end());
  return lines;
}

std::vector<std::wstring> TypeLibKeys(HKEY root, const std::wstring& classesPath, REGSAM view) {
  std::vector<std::wstring> lines;
  for (const std::wstring& path :
       {L"TypeLib\\" + kLibid, std::wstring(L"Interface\\") + kIID_IConnect}) {
    const std::vector<std::wstring> tree =
        Relative(ReadTree(root, Joined(classesPath, path), {}, view), classesPath);
    lines.insert(lines.end(), tree.begin(), tree.end());
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

std::vector<std::wstring> ExpectedTypeLibKeys(const std::wstring& modulePath,
                                              const std::wstring& helpDirectory,
                                              const std::wstring& helpString,
                                              const test::Bitness& bitness) {
  const std::wstring version = L"TypeLib\\" + kLibid + L"\\1.0";
  const std::wstring path = version + L"\\409\\" + bitness.typeLibSubkey;
  const std::wstring interfaceKey = std::wstring(L"Interface\\") + kIID_IConnect;
  const std::wstring automationProxy = L"{00020424-0000-0000-C000-000000000046}";
  std::vector<std::wstring> lines = {
      L"TypeLib\\" + kLibid,
      version,
      version + L" | @ | sz | " + helpString,
      version + L"\\409",
      path,
      path + L" | @ | sz | " + modulePath,
      version + L"\\FLAGS",
      version + L"\\FLAGS | @ | sz | 8",
      version + L"\\HELPDIR",
      version + L"\\HELPDIR | @ | sz | " + helpDirectory,
      interfaceKey,
      interfaceKey + L" | @ | sz | IConnect",
      interfaceKey + L"\\ProxyStubClsid",
      interfaceKey + L"\\ProxyStubClsid | @ | sz | " + automationProxy,
      interfaceKey + L"\\ProxyStubClsid32",
      interfaceKey + L"\\ProxyStubClsid32 | @ | sz | " + automationProxy,
      interfaceKey + L"\\TypeLib",
      interfaceKey + L"\\TypeLib | @ | sz | " + kLibid,
      interfaceKey + L"\\TypeLib | Version | sz | 1.0",
  };
  std::sort(lines.begin(), lines.end());
  return lines;
}

std::wstring RegisteredTypeLibPath(HKEY root, const std::wstring& classesPath) {
  const std::vector<std::wstring> lines =
      Relative(ReadTree(root, Joined(classesPath, kTypeLibPathKey)), classesPath);
  return lines.size() == 2 ? lines[1] : L"(missing)";
}

std::vector<std::wstring> Snapshot() {
  std::vector<std::wstring> lines = ReadTree(HKEY_LOCAL_MACHINE, kMachineClasses);
  const std::vector<std::wstring> user =
      ReadTree(HKEY_CURRENT_USER, L"Software", {L"Software\\Wine", L"Software\\TarnwickTest"});
  lines.insert(lines.end(), user.begin(), user.end());
  return lines;
}

std::string Difference(const std::vector<std::wstring>& before,
                       const std::vector<std::wstring>& after) {
  std::vector<std::wstring> sortedBefore = before, sortedAfter = after, gone, added;
  std::sort(sortedBefore.begin(), sortedBefore.end());
  std::sort(sortedAfter.begin(), sortedAfter.end());
  std::set_difference(sortedBefore.begin(), sortedBefore.end(), sortedAfter.begin(),
                      sortedAfter.end(), std::back_inserter(gone));
  std::set_difference(sortedAfter.begin(), sortedAfter.end(), sortedBefore.begin(),
                      sortedBefore.end(), std::back_inserter(added));
  std::string out;
  for (const auto& [mark, lines] : {std::pair{'-', &gone}, std::pair{'+', &added}}) {
    for (const std::wstring& line : *lines) {
      out += mark + std::string(line.begin(), line.end()) + "\n";
    }
  }
  return out;
}

}  // namespace tarnwick::server_test
