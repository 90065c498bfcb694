// The installer's Registry table from registry scripts and IDL: text that the
// table would otherwise read as formatting, a number or a field break comes
// back out of the installer as it was written.
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "registrar/registrar.h"
#include "tarnwick_version.h"
#include "tools/package/package_registry.h"

namespace tarnwick {
namespace {

constexpr char kIdl[] = R"(// A library like the add-in's.
import "base.idl";
[object, uuid(66666666-7777-8888-9999-aaaaaaaaaaaa)]
interface INotAutomation : IUnknown { };
[uuid(abcdefab-cdef-abcd-efab-cdefabcdefab), version(1.10), helpstring("Lib [1]"),
 lcid(0x0411), hidden]
library Lib {
  /* [dual] interface ICommentedOut : IDispatch { }; */
  [object, uuid(bbbbbbbb-cccc-dddd-eeee-ffffffffffff), dual]
  interface ISecond : IDispatch { };
  coclass C { [default] interface ISecond; };
};
)";

TEST(PackageRegistryTest, ValuesComeOutOfTheInstallerAsTheScriptWroteThem) {
  PackageInputs inputs;
  inputs.platform = "x86";
  inputs.version = L"2.3.4";
  inputs.connectScript =
      L"HKCR { NoRemove Odd { val Brackets = s '[#TarnwickDll] %MODULE%' "
      L"val Hash = s '#1' val Lines = s 'a\r\n\tb' val Number = d 4294967295 "
      L"ForceRemove Empty } }";
  inputs.appIdScript = L"HKCU { Addin = s '%ADDINS% %PLATFORM% %VERSION%' }";
  inputs.typeLibrary = ReadTypeLibraryFacts(kIdl);

  std::vector<std::wstring> rows;
  for (const PackageRegistryRow& row : PackageRegistryRows(inputs)) {
    rows.push_back(row.key + L" | " + row.name + L" | " + row.value + L" | " +
                   ComponentName(row.component));
  }
  const std::wstring lib = L"Software\\Classes\\TypeLib\\{ABCDEFAB-CDEF-ABCD-EFAB-CDEFABCDEFAB}";
  const std::wstring second =
      L"Software\\Classes\\Interface\\{BBBBBBBB-CCCC-DDDD-EEEE-FFFFFFFFFFFF}";
  const std::wstring proxy = L" |  | {00020424-0000-0000-C000-000000000046} | AddIn";
  EXPECT_EQ(rows,
            (std::vector<std::wstring>{
                L"Addin |  | Addins x86 2.3.4 | AddIn",
                L"Software\\Classes\\Odd | Brackets | [\\[]#TarnwickDll[\\]] [#TarnwickDll] | "
                L"SharedClasses",
                L"Software\\Classes\\Odd | Hash | ##1 | SharedClasses",
                L"Software\\Classes\\Odd | Lines | a\r\n\tb | SharedClasses",
                L"Software\\Classes\\Odd | Number | #-1 | SharedClasses",
                L"Software\\Classes\\Odd\\Empty | * |  | SharedClasses",
                lib + L"\\1.a |  | Lib [\\[]1[\\]] | SharedClasses",
                lib + L"\\1.a\\FLAGS |  | 12 | SharedClasses",
                lib + L"\\1.a\\411\\win32 |  | [#TarnwickDll] | AddIn",
                lib + L"\\1.a\\HELPDIR |  | [TarnwickFolder] | SharedClasses",
                second + L" |  | ISecond | AddIn",
                second + L"\\ProxyStubClsid" + proxy,
                second + L"\\ProxyStubClsid32" + proxy,
                second + L"\\TypeLib |  | {ABCDEFAB-CDEF-ABCD-EFAB-CDEFABCDEFAB} | AddIn",
                second + L"\\TypeLib | Version | 1.a | AddIn",
            }));

  // In the table's archive file, tabs and line breaks inside a field have
  // stand-ins, so that they don't end the field or the row.
  const std::string archive = RegistryTableArchive(PackageRegistryRows(inputs));
  EXPECT_NE(archive.find("\tLines\ta\x11\x19\x15"
                         "b\tSharedClasses\r\n"),
            std::string::npos);
}

std::wstring SourceText(const std::string& relative) {
  std::ifstream file(std::string(TARNWICK_SOURCE_DIR) + "/" + relative, std::ios::binary);
  EXPECT_TRUE(file) << relative;
  const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  return std::wstring(bytes.begin(), bytes.end());  // the scripts are ASCII
}

// Both packages can be installed together. Outside the keys that each registry
// view has for itself, a value that both write is one value on the machine: it
// belongs to the shared component, which has one id in both packages, and has
// the same content in both; otherwise removing either package takes it from
// the other, or the last one installed decides it for both.
TEST(PackageRegistryTest, EveryValueBothPackagesWriteIsTheSharedComponentsAlike) {
  using Location = std::pair<std::wstring, std::wstring>;  // key, value name
  std::map<Location, std::vector<PackageRegistryRow>> written;
  for (const char* platform : {"x64", "x86"}) {
    PackageInputs inputs;
    inputs.platform = platform;
    inputs.version = L"" TARNWICK_VERSION_TEXT;
    inputs.appIdScript = SourceText("addin/resources/appid.rgs");
    inputs.connectScript = SourceText("addin/resources/connect.rgs");
    const std::wstring idl = SourceText("addin/typelib/tarnwick.idl");
    inputs.typeLibrary = ReadTypeLibraryFacts(std::string(idl.begin(), idl.end()));
    for (PackageRegistryRow& row : PackageRegistryRows(inputs)) {
      const std::wstring classes = L"Software\\Classes\\";
      const std::wstring below =
          row.key.rfind(classes, 0) == 0 ? row.key.substr(classes.size()) : L"";
      if (IsOwnViewClassKey(below.substr(0, below.find(L'\\')))) {
        continue;  // a key of the package's own view
      }
      written[{row.key, row.name}].push_back(std::move(row));
    }
  }
  ASSERT_FALSE(written.empty());
  for (const auto& [location, rows] : written) {
    SCOPED_TRACE(testing::Message()
                 << std::string(location.first.begin(), location.first.end()) << " | "
                 << std::string(location.second.begin(), location.second.end()));
    const bool shared = rows[0].component == PackageComponent::SharedClasses;
    if (rows.size() == 1) {
      EXPECT_FALSE(shared) << "the shared component holds it in one package only";
      continue;
    }
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_TRUE(shared && rows[1].component == PackageComponent::SharedClasses);
    EXPECT_TRUE(rows[0].value == rows[1].value);
  }
}

}  // namespace
}  // namespace tarnwick
