// ForceRemove, protected names, the undoing of a failed root block, root mapping.
#include <cctype>
#include <string>

#include <gtest/gtest.h>

#include "registrar_test_support.h"

namespace tarnwick {
namespace {

using registrar_test::RunText;

const char kSeed[] =
    "HKCR { Old { val Stale = s 'x' Deep { Deeper { Deepest { val V = d '1' } } } Side } }";

TEST(ScriptApplicationTest, ForceRemoveReplacesTheWholeExistingTree) {
  InMemoryRegistry registry;
  ASSERT_EQ(RunText(registry, kSeed, RegistrarMode::Register), kS_OK);
  ASSERT_EQ(
      RunText(registry, "HKCR { ForceRemove old = s 'new' { Side } }", RegistrarMode::Register),
      kS_OK);
  EXPECT_EQ(registry.Dump(), "HKCR\\old\n  @ = s 'new'\nHKCR\\old\\Side\n");
}

TEST(ScriptApplicationTest, ForceRemoveNeverDeletesProtectedNames) {
  const char* names[] = {"AppID",    "CLSID",     "Component Categories",
                         "FileType", "Interface", "Hardware",
                         "Mime",     "SAM",       "SECURITY",
                         "SYSTEM",   "Software",  "TypeLib"};
  for (const char* protectedName : names) {
    std::string lower(protectedName);
    for (char& c : lower) {
      c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    for (const std::string& name : {std::string(protectedName), lower}) {
      SCOPED_TRACE(name);
      InMemoryRegistry registry;
      const std::string quoted = "'" + name + "'";
      ASSERT_EQ(RunText(registry, "HKCR { " + quoted + " { Theirs } }", RegistrarMode::Register),
                kS_OK);
      ASSERT_EQ(RunText(registry, "HKCR { ForceRemove " + quoted + " { Ours } }",
                        RegistrarMode::Register),
                kS_OK);
      EXPECT_NE(registry.Dump().find("\\Theirs\n"), std::string::npos);
      EXPECT_NE(registry.Dump().find("\\Ours\n"), std::string::npos);
    }
  }
}

// Script with two root blocks; writes of the second: create App, set @, create Sub,
// set V, create Other.
const char kTwoBlocks[] =
    "HKCU { First { val A = s 'a' } }\n"
    "HKCR { NoRemove Shared { App = s 'app' { Sub { val V = d '5' } } Other } }";

TEST(ScriptApplicationTest, FailedRootBlockIsUndoneAndItsFailureReported) {
  const HResult injected = HResultFromWin32(kErrorAccessDenied);
  for (int failing = 3; failing <= 8; ++failing) {
    SCOPED_TRACE(failing);
    InMemoryRegistry registry;
    ASSERT_EQ(RunText(registry, "HKCR { Shared { Theirs } }", RegistrarMode::Register), kS_OK);
    registry.FailWrite(failing, injected);
    EXPECT_EQ(RunText(registry, kTwoBlocks, RegistrarMode::Register), injected);
    // The first block stays; the second is undone as far as unregistering goes.
    EXPECT_EQ(registry.Dump(), "HKCR\\Shared\nHKCR\\Shared\\Theirs\nHKCU\\First\n  A = s 'a'\n");
  }
}

TEST(ScriptApplicationTest, FailureInFirstBlockStopsTheRun) {
  InMemoryRegistry registry;
  registry.FailWrite(2, kE_OUTOFMEMORY);
  EXPECT_EQ(RunText(registry, kTwoBlocks, RegistrarMode::Register), kE_OUTOFMEMORY);
  EXPECT_EQ(registry.Dump(), "");
}

// Unregistering goes on after a failure and reports it; a second run removes
// what the first could not.
TEST(ScriptApplicationTest, UnregisterGoesOnAfterAFailureAndReportsIt) {
  InMemoryRegistry registry;
  ASSERT_EQ(RunText(registry, kTwoBlocks, RegistrarMode::Register), kS_OK);
  registry.FailWrite(1, HResultFromWin32(kErrorAccessDenied));
  EXPECT_EQ(RunText(registry, kTwoBlocks, RegistrarMode::Unregister),
            HResultFromWin32(kErrorAccessDenied));
  EXPECT_EQ(registry.Dump(), "HKCR\\Shared\nHKCU\\First\n  A = s 'a'\n");
  EXPECT_EQ(RunText(registry, kTwoBlocks, RegistrarMode::Unregister), kS_OK);
  EXPECT_EQ(registry.Dump(), "HKCR\\Shared\n");
}

TEST(ScriptApplicationTest, RootMappingRedirectsABlockAndKeepsTheTarget) {
  const RootMapping perUser = {
      {RegistryRoot::ClassesRoot,
       RootRedirect{RegistryRoot::CurrentUser, {L"Software", L"Classes"}}}};
  const char* script = "HKCR { Thing = s 't' { val V = d '1' } } HKLM { Machine }";
  InMemoryRegistry registry;
  EXPECT_EQ(RunText(registry, script, RegistrarMode::Unregister, perUser), kS_OK);
  EXPECT_EQ(registry.Dump(), "");
  ASSERT_EQ(RunText(registry, script, RegistrarMode::Register, perUser), kS_OK);
  EXPECT_EQ(registry.Dump(),
            "HKCU\\Software\nHKCU\\Software\\Classes\nHKCU\\Software\\Classes\\Thing\n"
            "  @ = s 't'\n  V = d 1\nHKLM\\Machine\n");
  ASSERT_EQ(RunText(registry, script, RegistrarMode::Unregister, perUser), kS_OK);
  EXPECT_EQ(registry.Dump(), "HKCU\\Software\nHKCU\\Software\\Classes\n");
}

TEST(InMemoryRegistryTest, DeletingRefusesParentsAndInvalidatesOpenHandles) {
  InMemoryRegistry registry;
  RegistryKey root = 0, parent = 0, child = 0;
  ASSERT_EQ(registry.OpenRoot(RegistryRoot::CurrentUser, &root), kS_OK);
  ASSERT_EQ(registry.CreateKey(root, L"Parent", &parent), kS_OK);
  ASSERT_EQ(registry.CreateKey(parent, L"Child", &child), kS_OK);
  EXPECT_EQ(registry.DeleteKey(root, L"PARENT"), HResultFromWin32(kErrorAccessDenied));
  EXPECT_EQ(registry.DeleteKey(parent, L"child"), kS_OK);
  EXPECT_EQ(registry.SetDwordValue(child, L"V", 1), HResultFromWin32(kErrorKeyDeleted));
  EXPECT_EQ(registry.DeleteKey(parent, L"Child"), kNotFound);
  EXPECT_EQ(registry.DeleteValue(parent, L"V"), kNotFound);
  registry.CloseKey(child);
  registry.CloseKey(parent);
  registry.CloseKey(root);
  EXPECT_EQ(registry.OpenKeyCount(), 0u);
  EXPECT_EQ(registry.Dump(), "HKCU\\Parent\n");
}

}  // namespace
}  // namespace tarnwick
