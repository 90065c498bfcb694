// Random registry scripts, registered and unregistered over the in-memory
// registry.
//
// Every input: no crash, every key opened is closed again, and a failure comes
// back as an error HRESULT.
//
// Round trip. A script that registers successfully on an empty registry and
// marks nothing NoRemove must leave the registry empty again when unregistered.
// That holds only because:
//   - the registry starts empty, so nothing the script did not write is there
//     to keep a key alive (unregistering keeps a key that still has subkeys);
//   - there is no root redirect, whose path is never removed;
//   - names compare without regard to ASCII case both in the script and in the
//     registry, so "A" and "a" are one key, written and removed as one;
//   - ForceRemove of a protected name only opens the key, which on an empty
//     registry was created by the script itself and is removed like any other.
// A write failure injected into the registration is exempt: the failing block is
// undone, but the blocks before it stay by design.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "registrar/in_memory_registry.h"
#include "registrar/registrar.h"
#include "registrar/script_parser.h"

namespace {

using namespace tarnwick;

constexpr std::array<const wchar_t*, 40> kTokens = {
    L"HKCR",        L"HKCU",
    L"HKLM",        L"HKEY_CLASSES_ROOT",
    L"hkcu",        L"{",
    L"}",           L"{",
    L"}",           L"NoRemove",
    L"ForceRemove", L"val",
    L"=",           L"s",
    L"d",           L"'text'",
    L"'a''b'",      L"''",
    L"'%MODULE%'",  L"%APPID%",
    L"%%",          L"%UNKNOWN%",
    L"CLSID",       L"Software",
    L"AppID",       L"Key",
    L"key",         L"KEY",
    L"Sub",         L"'{6A4E3C52}'",
    L"'0x10'",      L"'4294967295'",
    L"'-1'",        L"42",
    L"b",           L"'a\\b'",
    L"\r\n",        L"\t",
    L"m",           L"'\u00e9'",
};

std::wstring MakeScript(FuzzedDataProvider& input) {
  std::wstring text;
  const int tokens = input.ConsumeIntegralInRange(0, 80);
  for (int i = 0; i < tokens && input.remaining_bytes() > 0; ++i) {
    if (input.ConsumeIntegralInRange(0, 19) == 0) {
      text.push_back(static_cast<wchar_t>(input.ConsumeIntegral<uint16_t>()));
    } else {
      text += kTokens[input.ConsumeIntegralInRange<size_t>(0, kTokens.size() - 1)];
    }
    text.push_back(L' ');
  }
  return text;
}

bool MarksNoRemove(const std::vector<ScriptEntry>& entries) {
  for (const ScriptEntry& entry : entries) {
    if (entry.marker == EntryMarker::NoRemove || MarksNoRemove(entry.entries)) {
      return true;
    }
  }
  return false;
}

[[noreturn]] void Fail(const char* what, const std::string& dump) {
  std::fprintf(stderr, "invariant broken: %s\n%s\n", what, dump.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  Replacements replacements;
  replacements.Add(L"MODULE", L"C:\\Program Files\\Tarnwick\\Tarnwick.dll");
  replacements.Add(L"APPID", L"{0F3C2B1A-0000-4000-8000-000000000001}");
  const int failWrite = input.ConsumeBool() ? 0 : input.ConsumeIntegralInRange(1, 30);
  const std::wstring text = MakeScript(input);

  // Unregistering a script that was never registered.
  {
    InMemoryRegistry registry;
    (void)RunRegistryScript(text, replacements, registry, RegistrarMode::Unregister);
    if (registry.OpenKeyCount() != 0) {
      Fail("unregistering left keys open", registry.Dump());
    }
  }

  InMemoryRegistry registry;
  const std::string empty = registry.Dump();
  if (failWrite != 0) {
    registry.FailWrite(failWrite);
  }
  const HResult registered =
      RunRegistryScript(text, replacements, registry, RegistrarMode::Register);
  if (registry.OpenKeyCount() != 0) {
    Fail("registering left keys open", registry.Dump());
  }
  if (Failed(registered) && failWrite == 0 && registry.Dump() != empty) {
    Fail("a registration that failed without a write failure wrote something", registry.Dump());
  }
  if (Failed(registered) || failWrite != 0) {
    return 0;
  }

  std::wstring expanded;
  Script script;
  if (Failed(ExpandReplacements(text, replacements, &expanded)) ||
      Failed(ParseScript(expanded, &script))) {
    Fail("a script that registered does not parse", registry.Dump());
  }
  bool keeps = false;
  for (const RootBlock& block : script.roots) {
    keeps = keeps || MarksNoRemove(block.entries);
  }

  const HResult unregistered =
      RunRegistryScript(text, replacements, registry, RegistrarMode::Unregister);
  if (registry.OpenKeyCount() != 0) {
    Fail("unregistering left keys open", registry.Dump());
  }
  if (Failed(unregistered)) {
    Fail("unregistering what was just registered failed", registry.Dump());
  }
  if (!keeps && registry.Dump() != empty) {
    Fail("unregistering left keys or values behind", registry.Dump());
  }
  return 0;
}
