// The add-in's own registry scripts, read from the resource files.
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "addin/server/ids.h"
#include "registrar_test_support.h"
#include "tarnwick_version.h"

namespace tarnwick {
namespace {

using registrar_test::Narrow;
using registrar_test::Widen;

std::string ReadResource(const char* fileName) {
  std::ifstream file(std::string(TARNWICK_RESOURCES_DIR) + "/" + fileName, std::ios::binary);
  EXPECT_TRUE(file) << fileName;
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

const wchar_t kModulePath[] = L"C:\\Users\\O'Hara\\Tarnwick\\Tarnwick.dll";

// What the server of each bitness gives the class's script: the platform that
// the add-in's description names and the editor's key of add-ins.
struct Platform {
  const char* name;
  const char* addinsKey;
};
constexpr Platform kX64 = {"x64", "Addins64"};
constexpr Platform kX86 = {"x86", "Addins"};

HResult RunResource(InMemoryRegistry& registry, const char* fileName, RegistrarMode mode,
                    const Platform& platform = kX64, ClassKeys classKeys = ClassKeys::All,
                    const RootMapping& mapping = {}, const KeysLeftToOthers& left = {}) {
  Replacements replacements;
  Replacements given;
  given.Add(L"APPID", kAppId);
  given.Add(L"PLATFORM", Widen(platform.name));
  given.Add(L"ADDINS", Widen(platform.addinsKey));
  given.Add(L"VERSION", L"" TARNWICK_VERSION_TEXT);
  if (const HResult hr = MakeScriptReplacements(given, kAppId, kModulePath, &replacements);
      Failed(hr)) {
    return hr;
  }
  const HResult hr = RunRegistryScript(Widen(ReadResource(fileName)), replacements, registry, mode,
                                       mapping, classKeys, left);
  EXPECT_EQ(registry.OpenKeyCount(), 0u);
  return hr;
}

TEST(RegistryScriptsTest, FilesAreSingleByteTextWithCrLfLineEnds) {
  for (const char* fileName : {"appid.rgs", "connect.rgs"}) {
    SCOPED_TRACE(fileName);
    const std::string text = ReadResource(fileName);
    ASSERT_FALSE(text.empty());
    for (size_t i = 0; i < text.size(); ++i) {
      ASSERT_LT(static_cast<unsigned char>(text[i]), 0x80u) << "at " << i;
      if (text[i] == '\n') {
        ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare LF at " << i;
      }
      if (text[i] == '\r') {
        ASSERT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << "bare CR at " << i;
      }
    }
  }
}

std::string ExpectedRegistration(const Platform& platform) {
  const std::string clsid = Narrow(kCLSID_Connect);
  const std::string appId = Narrow(kAppId);
  const std::string addins =
      std::string("HKCU\\Software\\Microsoft\\VBA\\VBE\\6.0\\") + platform.addinsKey;
  const std::string addin = addins + "\\Tarnwick.Connect";
  return "HKCR\\AppID\n"
         "HKCR\\AppID\\Tarnwick.DLL\n  AppID = s '" +
         appId +
         "'\n"
         "HKCR\\AppID\\" +
         appId +
         "\n  @ = s 'Tarnwick'\n"
         "HKCR\\CLSID\n"
         "HKCR\\CLSID\\" +
         clsid + "\n  @ = s 'Connect Class'\n  AppID = s '" + appId +
         "'\n"
         "HKCR\\CLSID\\" +
         clsid +
         "\\InprocServer32\n"
         "  @ = s 'C:\\Users\\O'Hara\\Tarnwick\\Tarnwick.dll'\n"
         "HKCR\\CLSID\\" +
         clsid +
         "\\ProgID\n  @ = s 'Tarnwick.Connect.1'\n"
         "HKCR\\CLSID\\" +
         clsid +
         "\\Programmable\n"
         "HKCR\\CLSID\\" +
         clsid + "\\TypeLib\n  @ = s '" + Narrow(kLIBID_TarnwickLib) +
         "'\n"
         "HKCR\\CLSID\\" +
         clsid +
         "\\VersionIndependentProgID\n  @ = s 'Tarnwick.Connect'\n"
         "HKCR\\Tarnwick.Connect\n  @ = s 'Connect Class'\n"
         "HKCR\\Tarnwick.Connect\\CLSID\n  @ = s '" +
         clsid +
         "'\n"
         "HKCR\\Tarnwick.Connect\\CurVer\n  @ = s 'Tarnwick.Connect.1'\n"
         "HKCR\\Tarnwick.Connect.1\n  @ = s 'Connect Class'\n"
         "HKCR\\Tarnwick.Connect.1\\CLSID\n  @ = s '" +
         clsid +
         "'\n"
         "HKCU\\Software\n"
         "HKCU\\Software\\Microsoft\n"
         "HKCU\\Software\\Microsoft\\Office\n"
         "HKCU\\Software\\Microsoft\\VBA\n"
         "HKCU\\Software\\Microsoft\\VBA\\VBE\n"
         "HKCU\\Software\\Microsoft\\VBA\\VBE\\6.0\n" +
         addins + "\n" + addin +
         "\n"
         "  CommandLineSafe = d 0\n"
         "  Description = s 'Brelloc VBA Addin for " +
         platform.name +
         "\\r\\nVersion " TARNWICK_VERSION_TEXT
         "'\n"
         "  FriendlyName = s 'Brelloc'\n"
         "  LoadBehavior = d 3\n";
}

TEST(RegistryScriptsTest, RegisterWritesEveryKeyAndValueAndUnregisterRemovesThem) {
  for (const Platform& platform : {kX64, kX86}) {
    SCOPED_TRACE(platform.name);
    InMemoryRegistry registry;
    // A user's registry always holds more under Software\Microsoft.
    ASSERT_EQ(registrar_test::RunText(registry, "HKCU { Software { Microsoft { Office } } }",
                                      RegistrarMode::Register),
              kS_OK);
    ASSERT_EQ(RunResource(registry, "appid.rgs", RegistrarMode::Register, platform), kS_OK);
    ASSERT_EQ(RunResource(registry, "connect.rgs", RegistrarMode::Register, platform), kS_OK);
    EXPECT_EQ(registry.Dump(), ExpectedRegistration(platform));

    // Registering again, over an older registration, gives the same content.
    ASSERT_EQ(RunResource(registry, "connect.rgs", RegistrarMode::Register, platform), kS_OK);
    EXPECT_EQ(registry.Dump(), ExpectedRegistration(platform));

    ASSERT_EQ(RunResource(registry, "connect.rgs", RegistrarMode::Unregister, platform), kS_OK);
    ASSERT_EQ(RunResource(registry, "appid.rgs", RegistrarMode::Unregister, platform), kS_OK);
    EXPECT_EQ(registry.Dump(),
              "HKCR\\AppID\nHKCR\\CLSID\n"
              "HKCU\\Software\nHKCU\\Software\\Microsoft\nHKCU\\Software\\Microsoft\\Office\n"
              "HKCU\\Software\\Microsoft\\VBA\nHKCU\\Software\\Microsoft\\VBA\\VBE\n"
              "HKCU\\Software\\Microsoft\\VBA\\VBE\\6.0\n"
              "HKCU\\Software\\Microsoft\\VBA\\VBE\\6.0\\" +
                  std::string(platform.addinsKey) + "\n");
  }
}

// Beside the other bitness's registration, which shares the ProgIDs and the
// AppID, unregistering removes only the class key of its own view and its
// add-in key; a full unregistration afterwards removes the rest.
TEST(RegistryScriptsTest, UnregisteringTheOwnViewOnlyLeavesTheSharedKeys) {
  InMemoryRegistry registry;
  ASSERT_EQ(RunResource(registry, "appid.rgs", RegistrarMode::Register, kX86), kS_OK);
  ASSERT_EQ(RunResource(registry, "connect.rgs", RegistrarMode::Register, kX86), kS_OK);

  for (const char* fileName : {"connect.rgs", "appid.rgs"}) {
    ASSERT_EQ(
        RunResource(registry, fileName, RegistrarMode::Unregister, kX86, ClassKeys::OwnViewOnly),
        kS_OK);
  }
  const std::string dump = registry.Dump();
  for (const std::string& shared :
       {std::string("HKCR\\Tarnwick.Connect\\CLSID\n"),
        std::string("HKCR\\Tarnwick.Connect.1\\CLSID\n"), "HKCR\\AppID\\" + Narrow(kAppId) + "\n",
        std::string("HKCR\\AppID\\Tarnwick.DLL\n")}) {
    EXPECT_NE(dump.find(shared), std::string::npos) << shared << "is gone:\n" << dump;
  }
  EXPECT_EQ(dump.find("HKCR\\CLSID\\" + Narrow(kCLSID_Connect)), std::string::npos) << dump;
  EXPECT_EQ(dump.find("\\Addins\\Tarnwick.Connect"), std::string::npos) << dump;

  ASSERT_EQ(RunResource(registry, "connect.rgs", RegistrarMode::Unregister, kX86), kS_OK);
  ASSERT_EQ(RunResource(registry, "appid.rgs", RegistrarMode::Unregister, kX86), kS_OK);
  EXPECT_EQ(registry.Dump().find("Tarnwick"), std::string::npos) << registry.Dump();
}

// The editor's keys hold its own values and other add-ins; unregistering, once
// or twice, takes away what the scripts wrote and nothing else.
TEST(RegistryScriptsTest, UnregisteringLeavesTheEditorsDataAndOtherAddIns) {
  for (const char* theirs :
       {"val Theirs = s 'kept'", "Addins64 { Other.Connect { val X = d '3' } }"}) {
    SCOPED_TRACE(theirs);
    InMemoryRegistry registry;
    ASSERT_EQ(
        registrar_test::RunText(registry,
                                std::string("HKCU { Software { Microsoft { VBA { VBE { 6.0 { ") +
                                    theirs + " } } } } } }",
                                RegistrarMode::Register),
        kS_OK);
    const std::string before = registry.Dump();
    for (const char* script : {"appid.rgs", "connect.rgs"}) {
      ASSERT_EQ(RunResource(registry, script, RegistrarMode::Register), kS_OK);
    }
    for (int round = 0; round < 2; ++round) {
      for (const char* script : {"connect.rgs", "appid.rgs"}) {
        ASSERT_EQ(RunResource(registry, script, RegistrarMode::Unregister), kS_OK) << round;
      }
    }
    EXPECT_NE(registry.Dump().find(before), std::string::npos) << registry.Dump();
  }
}

std::string ReplacedAll(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// The lines of a dump below one key.
std::string Below(const std::string& dump, const std::string& key) {
  std::string lines;
  bool inside = false;
  for (size_t at = 0; at < dump.size();) {
    const size_t end = dump.find('\n', at) + 1;
    const std::string line = dump.substr(at, end - at);
    if (line[0] != ' ') {
      inside = line.rfind(key, 0) == 0;
    }
    if (inside) {
      lines += line;
    }
    at = end;
  }
  return lines;
}

// The two scopes each keep to their own classes key: a machine-wide register
// and unregister beside a per-user registration leave the user's classes as
// they were (the merged HKCR would have written and deleted them), and touch
// HKCR not at all.
TEST(RegistryScriptsTest, MachineAndUserScopesEachKeepToTheirOwnClassesKey) {
  const std::string user = "HKCU\\Software\\Classes";
  const std::string machine = "HKLM\\Software\\Classes";
  InMemoryRegistry registry;
  auto run = [&](RegistrarMode mode, const RootMapping& mapping) {
    for (const char* fileName : {"appid.rgs", "connect.rgs"}) {
      ASSERT_EQ(RunResource(registry, fileName, mode, kX64, ClassKeys::All, mapping), kS_OK);
    }
  };
  run(RegistrarMode::Register, UserClassesMapping());
  const std::string perUser = Below(registry.Dump(), user);
  ASSERT_NE(perUser.find("InprocServer32"), std::string::npos) << registry.Dump();

  run(RegistrarMode::Register, MachineClassesMapping());
  EXPECT_EQ(Below(registry.Dump(), user), perUser);
  EXPECT_EQ(Below(registry.Dump(), machine), ReplacedAll(perUser, user, machine));
  run(RegistrarMode::Unregister, MachineClassesMapping());
  EXPECT_EQ(Below(registry.Dump(), user), perUser);
  EXPECT_EQ(Below(registry.Dump(), machine),
            machine + "\n" + machine + "\\AppID\n" + machine + "\\CLSID\n");
  EXPECT_EQ(Below(registry.Dump(), "HKCR"), "") << registry.Dump();
}

// Both scopes write the one add-in key under HKCU. Unregistering either while
// the other's registration stands leaves the registry as the other alone made
// it: HKCU and HKLM whole, not only the classes.
TEST(RegistryScriptsTest, UnregisteringOneScopeLeavesTheOthersAddinKey) {
  for (const bool machineGoes : {true, false}) {
    SCOPED_TRACE(machineGoes ? "machine-wide unregistered" : "per-user unregistered");
    const RootMapping staying = machineGoes ? UserClassesMapping() : MachineClassesMapping();
    const RootMapping going = machineGoes ? MachineClassesMapping() : UserClassesMapping();
    auto run = [&](InMemoryRegistry& registry, RegistrarMode mode, const RootMapping& mapping,
                   const KeysLeftToOthers& left) {
      for (const char* fileName : {"appid.rgs", "connect.rgs"}) {
        ASSERT_EQ(RunResource(registry, fileName, mode, kX64, ClassKeys::All, mapping, left),
                  kS_OK);
      }
    };
    InMemoryRegistry alone;
    run(alone, RegistrarMode::Register, staying, KeysLeftToOthers{});
    InMemoryRegistry both;
    run(both, RegistrarMode::Register, staying, KeysLeftToOthers{});
    run(both, RegistrarMode::Register, going, KeysLeftToOthers{});
    run(both, RegistrarMode::Unregister, going, KeysLeftToOthers{false, true});
    // What the removal leaves of its classes key: the NoRemove keys.
    const std::string left = machineGoes ? "HKLM\\Software\\Classes" : "HKCU\\Software\\Classes";
    std::string expected = alone.Dump();
    InMemoryRegistry keys;
    run(keys, RegistrarMode::Register, going, KeysLeftToOthers{});
    run(keys, RegistrarMode::Unregister, going, KeysLeftToOthers{});
    EXPECT_EQ(Below(both.Dump(), "HKCU\\Software\\Microsoft"),
              Below(expected, "HKCU\\Software\\Microsoft"));
    EXPECT_NE(both.Dump().find("\\Addins64\\Tarnwick.Connect\n"), std::string::npos);
    EXPECT_EQ(Below(both.Dump(), left), Below(keys.Dump(), left) + Below(expected, left));
  }
}

// A registration that fails beside the other bitness's undoes only what its
// own view holds, wherever in the classes' block it fails: the ProgIDs and the
// AppID the two share stay, and the registry is as unregistering would leave it.
TEST(RegistryScriptsTest, AFailedRegistrationUndoesOnlyItsOwnView) {
  const auto registered = [](InMemoryRegistry& registry) {
    for (const char* fileName : {"appid.rgs", "connect.rgs"}) {
      ASSERT_EQ(RunResource(registry, fileName, RegistrarMode::Register, kX86), kS_OK);
    }
  };
  InMemoryRegistry expected;
  registered(expected);
  ASSERT_EQ(
      RunResource(expected, "connect.rgs", RegistrarMode::Unregister, kX64, ClassKeys::OwnViewOnly),
      kS_OK);
  ASSERT_NE(expected.Dump().find("HKCR\\Tarnwick.Connect\\CLSID\n"), std::string::npos);
  int failures = 0;
  for (int k = 1; k < 60; ++k) {
    InMemoryRegistry failed;
    registered(failed);
    failed.FailWrite(k);
    if (!Failed(RunResource(failed, "connect.rgs", RegistrarMode::Register, kX64, ClassKeys::All,
                            {}, KeysLeftToOthers{true, false}))) {
      break;  // past the script's last write
    }
    if (failed.Dump().find("HKCR\\CLSID\\{") != std::string::npos) {
      continue;  // failed after the classes' block, which stays, as it should
    }
    ++failures;
    EXPECT_EQ(failed.Dump(), expected.Dump()) << "write " << k;
  }
  EXPECT_GT(failures, 5);
}

TEST(RegistryScriptsTest, ForceRemoveClearsAStaleClassKey) {
  InMemoryRegistry registry;
  const std::string stale = "HKCR { CLSID { '" + Narrow(kCLSID_Connect) +
                            "' { InprocServer32 { val ThreadingModel = s 'Both' } Old } } }";
  ASSERT_EQ(registrar_test::RunText(registry, stale, RegistrarMode::Register), kS_OK);
  ASSERT_EQ(RunResource(registry, "connect.rgs", RegistrarMode::Register), kS_OK);
  const std::string dump = registry.Dump();
  EXPECT_EQ(dump.find("ThreadingModel"), std::string::npos);
  EXPECT_EQ(dump.find("\\Old\n"), std::string::npos);
}

}  // namespace
}  // namespace tarnwick
