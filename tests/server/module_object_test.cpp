// The module object's own operations that no export reaches.
#include <windows.h>
#include <objidl.h>

#include <gtest/gtest.h>

#include "addin/server/module.h"

namespace tarnwick {
namespace {

TEST(ModuleObject, GlobalInterfaceTableIsMadeOnceAndHandedOutCounted) {
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  EXPECT_EQ(tarnwickModule.GetGlobalInterfaceTable(nullptr), E_POINTER);
  IGlobalInterfaceTable* first = nullptr;
  IGlobalInterfaceTable* second = nullptr;
  ASSERT_EQ(tarnwickModule.GetGlobalInterfaceTable(&first), S_OK);
  ASSERT_EQ(tarnwickModule.GetGlobalInterfaceTable(&second), S_OK);
  EXPECT_EQ(first, second);
  // Each caller's reference is its own: releasing both leaves the module's.
  first->Release();
  second->Release();
  IGlobalInterfaceTable* third = nullptr;
  ASSERT_EQ(tarnwickModule.GetGlobalInterfaceTable(&third), S_OK);
  EXPECT_EQ(third, first);
  third->Release();
  CoUninitialize();
}

TEST(ModuleObject, CommonReplacementsNameTheAppId) {
  Replacements replacements;
  replacements.Add(L"Other", L"kept");
  ASSERT_EQ(tarnwickModule.AddCommonReplacements(replacements), S_OK);
  ASSERT_NE(replacements.Find(L"appid"), nullptr);
  EXPECT_EQ(*replacements.Find(L"APPID"), kAppId);
  EXPECT_EQ(*replacements.Find(L"Other"), L"kept");
}

}  // namespace
}  // namespace tarnwick
