// The resources of the built DLL: which are there, in which language, and what
// the version block, the manifest and the type library say.
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "server_test_support.h"
#include "tarnwick_version.h"
#include "tests/build_bitness.h"

namespace tarnwick {
namespace {

using Microsoft::WRL::ComPtr;
using server_test::BuiltDllPath;
using server_test::GuidOf;

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR found) {
  reinterpret_cast<std::vector<WORD>*>(found)->push_back(language);
  return TRUE;
}

class ResourcesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    module = LoadLibraryExW(BuiltDllPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
  }
  void TearDown() override { FreeLibrary(module); }

  std::vector<WORD> Languages(LPCWSTR type, LPCWSTR name) {
    std::vector<WORD> found;
    EnumResourceLanguagesW(module, type, name, CollectLanguage, reinterpret_cast<LONG_PTR>(&found));
    return found;
  }

  HMODULE module = nullptr;
};

TEST_F(ResourcesTest, EachResourceIsThereOnceInItsLanguage) {
  const std::vector<WORD> japanese{0x0411};
  EXPECT_EQ(Languages(L"REGISTRY", MAKEINTRESOURCEW(101)), japanese);
  EXPECT_EQ(Languages(L"REGISTRY", MAKEINTRESOURCEW(102)), japanese);
  EXPECT_EQ(Languages(L"TYPELIB", MAKEINTRESOURCEW(1)), japanese);
  EXPECT_EQ(Languages(RT_STRING, MAKEINTRESOURCEW(100 / 16 + 1)), japanese);
  EXPECT_EQ(Languages(RT_VERSION, MAKEINTRESOURCEW(1)), japanese);
  EXPECT_EQ(Languages(RT_MANIFEST, MAKEINTRESOURCEW(2)), std::vector<WORD>{0x0409});
}

TEST_F(ResourcesTest, ProjectNameStringAndManifest) {
  wchar_t text[64] = {};
  EXPECT_EQ(LoadStringW(module, 100, text, 64), 8);
  EXPECT_STREQ(text, L"Tarnwick");

  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(2), RT_MANIFEST);
  ASSERT_NE(found, nullptr);
  const std::string manifest(static_cast<const char*>(LockResource(LoadResource(module, found))),
                             SizeofResource(module, found));
  EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos) << manifest;
  EXPECT_NE(manifest.find("uiAccess=\"false\""), std::string::npos) << manifest;
}

TEST(VersionBlock, NamesTheProductAndFile) {
  const std::wstring path = BuiltDllPath();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);

  auto expectString = [&](const wchar_t* name, const std::wstring& expected) {
    const std::wstring query = std::wstring(L"\\StringFileInfo\\041104b0\\") + name;
    wchar_t* value = nullptr;
    ASSERT_TRUE(
        VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length))
        << std::string(query.begin(), query.end());
    EXPECT_EQ(value, expected);
  };
  const std::wstring product = std::wstring(L"Brelloc VBA Addin for ") + test::kPlatformName;
  expectString(L"Comments", product);
  expectString(L"FileDescription", product);
  expectString(L"ProductName", product);
  expectString(L"InternalName", L"Tarnwick.dll");
  expectString(L"OriginalFilename", L"Tarnwick.dll");
  expectString(L"FileVersion", L"" TARNWICK_VERSION_QUAD);
  expectString(L"ProductVersion", L"" TARNWICK_VERSION_QUAD);
}

TEST(TypeLibrary, DescribesTheConnectClassForTheBuildsPlatform) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  {
    ComPtr<ITypeLib> library;
    ASSERT_EQ(LoadTypeLibEx(BuiltDllPath().c_str(), REGKIND_NONE, library.GetAddressOf()), S_OK);
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(library->GetLibAttr(&attributes), S_OK);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, GuidOf(kLIBID_TarnwickLib)));
    EXPECT_EQ(attributes->wMajorVerNum, 1);
    EXPECT_EQ(attributes->wMinorVerNum, 0);
    EXPECT_EQ(attributes->lcid, 0x0409u);
    EXPECT_EQ(attributes->syskind, test::kTypeLibSysKind);
    library->ReleaseTLibAttr(attributes);

    // A dual interface comes as a dispatch description with the vtable
    // interface behind it; the flags are the interface's.
    ComPtr<ITypeInfo> connectDispatch;
    ASSERT_EQ(library->GetTypeInfoOfGuid(GuidOf(kIID_IConnect), connectDispatch.GetAddressOf()),
              S_OK);
    HREFTYPE vtablePart = 0;
    ASSERT_EQ(connectDispatch->GetRefTypeOfImplType(-1, &vtablePart), S_OK);
    ComPtr<ITypeInfo> connectInterface;
    ASSERT_EQ(connectDispatch->GetRefTypeInfo(vtablePart, connectInterface.GetAddressOf()), S_OK);
    TYPEATTR* type = nullptr;
    ASSERT_EQ(connectInterface->GetTypeAttr(&type), S_OK);
    EXPECT_EQ(type->typekind, TKIND_INTERFACE);
    EXPECT_EQ(type->cFuncs, 0) << "IConnect has no methods of its own";
    const WORD wanted =
        TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE;
    EXPECT_EQ(type->wTypeFlags & wanted, wanted);
    connectInterface->ReleaseTypeAttr(type);

    ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(library->GetTypeInfoOfGuid(GuidOf(kCLSID_Connect), coclass.GetAddressOf()), S_OK);
    ASSERT_EQ(coclass->GetTypeAttr(&type), S_OK);
    EXPECT_EQ(type->typekind, TKIND_COCLASS);
    EXPECT_TRUE(type->wTypeFlags & TYPEFLAG_FCANCREATE);
    EXPECT_EQ(type->cImplTypes, 1);
    coclass->ReleaseTypeAttr(type);
    INT implFlags = 0;
    EXPECT_EQ(coclass->GetImplTypeFlags(0, &implFlags), S_OK);
    EXPECT_TRUE(implFlags & IMPLTYPEFLAG_FDEFAULT);

    BSTR name = nullptr;
    BSTR doc = nullptr;
    BSTR helpFile = nullptr;
    ASSERT_EQ(coclass->GetDocumentation(MEMBERID_NIL, &name, &doc, nullptr, &helpFile), S_OK);
    EXPECT_STREQ(name, L"Connect");
    EXPECT_STREQ(doc, L"Connect Class");
    SysFreeString(name);
    SysFreeString(doc);
    SysFreeString(helpFile);
    ASSERT_EQ(library->GetDocumentation(-1, nullptr, nullptr, nullptr, &helpFile), S_OK);
    EXPECT_EQ(helpFile, nullptr) << "the library names no help file";
    SysFreeString(helpFile);
  }
  CoUninitialize();
}

}  // namespace
}  // namespace tarnwick
