#include "tools/package/package_registry.h"

#include <cstdio>
#include <map>
#include <stdexcept>
#include <tuple>

#include "addin/server/ids.h"
#include "text/ascii.h"
#include "registrar/registrar.h"
#include "text/encoding.h"
#include "registrar/in_memory_registry.h"

namespace tarnwick {
namespace {

// Stands for the module's path while the scripts run; becomes [#TarnwickDll].
constexpr wchar_t kModuleToken[] = L"<module path>";
// OLE Automation's proxy for dual and oleautomation interfaces.
constexpr wchar_t kAutomationProxy[] = L"{00020424-0000-0000-C000-000000000046}";
// The system adds LIBFLAG_FHASDISKIMAGE to a library loaded from a file.
constexpr unsigned kHasDiskImage = 8;

struct Platform {
  const char* name;
  const wchar_t* addinsKey;
  const wchar_t* typeLibSubkey;
};
constexpr Platform kPlatforms[] = {{"x64", L"Addins64", L"win64"}, {"x86", L"Addins", L"win32"}};

const Platform& PlatformNamed(const std::string& name) {
  for (const Platform& platform : kPlatforms) {
    if (name == platform.name) {
      return platform;
    }
  }
  throw std::runtime_error("unknown platform " + name + " (x64 or x86)");
}

std::wstring Hex(unsigned value) {
  wchar_t text[16];
  std::swprintf(text, 16, L"%x", value);
  return text;
}

// Text that the table's formatted columns give back as it is: brackets escaped.
std::wstring Formatted(const std::wstring& text) {
  std::wstring out;
  for (const wchar_t c : text) {
    if (c == L'[' || c == L']') {
      out += std::wstring(L"[\\") + c + L"]";
    } else {
      out += c;
    }
  }
  return out;
}

// A string value as the Value column holds it. A leading # would make it a
// number; ## stands for one #.
std::wstring StringValue(const std::wstring& text) {
  if (text.empty()) {
    throw std::runtime_error("an empty string value, which the Registry table cannot hold");
  }
  std::wstring value = Formatted(text);
  for (size_t at = value.find(kModuleToken); at != std::wstring::npos;
       at = value.find(kModuleToken, at)) {
    const std::wstring file = std::wstring(L"[#") + kPackageModuleFile + L"]";
    value.replace(at, std::wstring(kModuleToken).size(), file);
    at += file.size();
  }
  return value[0] == L'#' ? L"#" + value : value;
}

std::wstring JoinedPath(const std::vector<std::wstring>& path) {
  std::wstring joined;
  for (const std::wstring& name : path) {
    joined += (joined.empty() ? L"" : L"\\") + name;
  }
  return joined;
}

// Every value (and value-less leaf key) that the two scripts write for the
// user, by HKCU path and value name.
using Written = std::map<std::tuple<std::wstring, std::wstring, bool>, InMemoryRegistry::Entry>;

Written RunScripts(const PackageInputs& inputs, const Platform& platform, ClassKeys classKeys) {
  Replacements given;
  given.Add(L"PLATFORM", Decode(platform.name, Encoding::kUtf8));
  given.Add(L"ADDINS", platform.addinsKey);
  given.Add(L"VERSION", inputs.version);
  Replacements all;
  if (Failed(MakeScriptReplacements(given, kAppId, kModuleToken, &all))) {
    throw std::runtime_error("the scripts' replacements failed");
  }
  InMemoryRegistry registry;
  for (const std::wstring* script : {&inputs.appIdScript, &inputs.connectScript}) {
    const HResult hr = RunRegistryScript(*script, all, registry, RegistrarMode::Register,
                                         UserClassesMapping(), classKeys);
    if (Failed(hr)) {
      char code[16];
      std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
      throw std::runtime_error(std::string("a registry script failed: ") + code);
    }
  }
  Written written;
  for (InMemoryRegistry::Entry& entry : registry.Entries()) {
    if (entry.root != RegistryRoot::CurrentUser) {
      throw std::runtime_error("a per-user registration wrote outside HKEY_CURRENT_USER");
    }
    written[{JoinedPath(entry.path), entry.name, entry.isKeyOnly}] = std::move(entry);
  }
  return written;
}

PackageRegistryRow Row(const InMemoryRegistry::Entry& entry, PackageComponent component) {
  PackageRegistryRow row;
  row.key = Formatted(JoinedPath(entry.path));
  row.component = component;
  if (entry.isKeyOnly) {
    row.name = L"*";
  } else {
    row.name = Formatted(entry.name);
    row.value = entry.isDword ? L"#" + std::to_wstring(static_cast<std::int32_t>(entry.number))
                              : StringValue(entry.text);
  }
  return row;
}

// What registering the type library for the user writes below
// HKCU\Software\Classes: the library's version key with its path for this
// bitness, and a key for each automation interface.
void AddTypeLibraryRows(const TypeLibraryFacts& library, const Platform& platform,
                        std::vector<PackageRegistryRow>* rows) {
  const std::wstring version = Hex(library.majorVersion) + L"." + Hex(library.minorVersion);
  const std::wstring versionKey = L"Software\\Classes\\TypeLib\\" + library.libid + L"\\" + version;
  // The folder above both bitnesses': the key is one for both packages.
  const std::wstring folder = std::wstring(L"[") + kPackageSharedFolder + L"]";
  const auto add = [rows](std::wstring key, std::wstring name, std::wstring value,
                          PackageComponent component) {
    rows->push_back({std::move(key), std::move(name), std::move(value), component});
  };
  add(versionKey, L"", StringValue(library.helpString), PackageComponent::SharedClasses);
  add(versionKey + L"\\FLAGS", L"", std::to_wstring(library.flags | kHasDiskImage),
      PackageComponent::SharedClasses);
  add(versionKey + L"\\" + Hex(library.lcid) + L"\\" + platform.typeLibSubkey, L"",
      StringValue(kModuleToken), PackageComponent::AddIn);
  add(versionKey + L"\\HELPDIR", L"", folder, PackageComponent::SharedClasses);
  for (const AutomationInterface& interface : library.interfaces) {
    const std::wstring key = L"Software\\Classes\\Interface\\" + interface.iid;
    add(key, L"", StringValue(interface.name), PackageComponent::AddIn);
    add(key + L"\\ProxyStubClsid", L"", kAutomationProxy, PackageComponent::AddIn);
    add(key + L"\\ProxyStubClsid32", L"", kAutomationProxy, PackageComponent::AddIn);
    add(key + L"\\TypeLib", L"", library.libid, PackageComponent::AddIn);
    add(key + L"\\TypeLib", L"Version", version, PackageComponent::AddIn);
  }
}

void AppendArchiveField(const std::wstring& text, std::string* out) {
  for (const char c : Encode(text, Encoding::kUtf8)) {
    // The archive format's stand-ins for the characters that end its fields
    // and lines.
    if (c == '\t') {
      *out += '\x15';
    } else if (c == '\r') {
      *out += '\x11';
    } else if (c == '\n') {
      *out += '\x19';
    } else {
      *out += c;
    }
  }
}

}  // namespace

const wchar_t* ComponentName(PackageComponent component) {
  return component == PackageComponent::AddIn ? L"AddIn" : L"SharedClasses";
}

std::vector<PackageRegistryRow> PackageRegistryRows(const PackageInputs& inputs) {
  const Platform& platform = PlatformNamed(inputs.platform);
  // The keys of the bitness's own registry view, and the ones both share.
  const Written all = RunScripts(inputs, platform, ClassKeys::All);
  const Written ownView = RunScripts(inputs, platform, ClassKeys::OwnViewOnly);
  std::vector<PackageRegistryRow> rows;
  for (const auto& [where, entry] : all) {
    rows.push_back(Row(entry, ownView.count(where) != 0 ? PackageComponent::AddIn
                                                        : PackageComponent::SharedClasses));
  }
  AddTypeLibraryRows(inputs.typeLibrary, platform, &rows);
  return rows;
}

std::string RegistryTableArchive(const std::vector<PackageRegistryRow>& rows) {
  std::string out =
      "Registry\tRoot\tKey\tName\tValue\tComponent_\r\n"
      "s72\ti2\tl255\tL255\tL0\ts72\r\n"
      "Registry\tRegistry\r\n";
  std::map<PackageComponent, int> counts;
  for (const PackageRegistryRow& row : rows) {
    AppendArchiveField(ComponentName(row.component) + std::to_wstring(++counts[row.component]),
                       &out);
    out += "\t1\t";  // 1: HKEY_CURRENT_USER
    AppendArchiveField(row.key, &out);
    out += '\t';
    AppendArchiveField(row.name, &out);
    out += '\t';
    AppendArchiveField(row.value, &out);
    out += '\t';
    AppendArchiveField(ComponentName(row.component), &out);
    out += "\r\n";
  }
  return out;
}

}  // namespace tarnwick
