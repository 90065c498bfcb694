// Shared helpers of the registrar tests.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "registrar/in_memory_registry.h"
#include "registrar/registrar.h"

namespace tarnwick::registrar_test {

inline std::wstring Widen(const std::string& text) {
  return std::wstring(text.begin(), text.end());
}

inline std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) {
    out += static_cast<char>(c);
  }
  return out;
}

// Runs `script` without replacements and checks that no key was left open.
inline HResult RunText(InMemoryRegistry& registry, const std::string& script, RegistrarMode mode,
                       const RootMapping& mapping = {}) {
  const HResult hr = RunRegistryScript(Widen(script), Replacements(), registry, mode, mapping);
  EXPECT_EQ(registry.OpenKeyCount(), 0u) << "keys left open by: " << script;
  return hr;
}

}  // namespace tarnwick::registrar_test
