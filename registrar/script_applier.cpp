#include "registrar/script_applier.h"

#include "text/ascii.h"

namespace tarnwick {

namespace {

constexpr const wchar_t* kProtectedNames[] = {
    L"AppID",    L"CLSID",     L"Component Categories",
    L"FileType", L"Interface", L"Hardware",
    L"Mime",     L"SAM",       L"SECURITY",
    L"SYSTEM",   L"Software",  L"TypeLib",
};

class Applier {
 public:
  explicit Applier(RegistryPort& registry) : registry_(registry) {}

  HResult ApplyBlock(const RootBlock& block, RegistrarMode mode, const RootMapping& mapping) {
    RegistryRoot root = block.root;
    const std::vector<std::wstring>* path = nullptr;
    if (const auto it = mapping.find(block.root); it != mapping.end()) {
      root = it->second.root;
      path = &it->second.path;
    }
    ScopedRegistryKey base(registry_);
    if (const HResult hr = registry_.OpenRoot(root, base.Receive()); Failed(hr)) {
      return hr;
    }
    if (path != nullptr) {
      for (const std::wstring& name : *path) {
        ScopedRegistryKey next(registry_);
        const HResult hr = mode == RegistrarMode::Register
                               ? registry_.CreateKey(base.get(), name, next.Receive())
                               : registry_.OpenKey(base.get(), name, next.Receive());
        if (hr == kNotFound && mode == RegistrarMode::Unregister) {
          return kS_OK;
        }
        if (Failed(hr)) {
          return hr;
        }
        base.Swap(next);
      }
    }
    return mode == RegistrarMode::Register ? Register(base.get(), block.entries)
                                           : Unregister(base.get(), block.entries);
  }

 private:
  HResult SetValue(RegistryKey key, const std::wstring& name, const TypedValue& value) {
    return value.type == TypedValue::Type::Dword ? registry_.SetDwordValue(key, name, value.number)
                                                 : registry_.SetStringValue(key, name, value.text);
  }

  HResult Register(RegistryKey key, const std::vector<ScriptEntry>& entries) {
    for (const ScriptEntry& entry : entries) {
      if (entry.isValue) {
        if (const HResult hr = SetValue(key, entry.name, *entry.value); Failed(hr)) {
          return hr;
        }
        continue;
      }
      if (entry.marker == EntryMarker::ForceRemove && !ForceRemoveProtects(entry.name)) {
        bool exists = false;
        if (const HResult hr = registry_.KeyExists(key, entry.name, &exists); Failed(hr)) {
          return hr;
        }
        if (exists) {
          if (const HResult hr = DeleteTree(key, entry.name, 0); Failed(hr)) {
            return hr;
          }
        }
      }
      ScopedRegistryKey child(registry_);
      if (const HResult hr = registry_.CreateKey(key, entry.name, child.Receive()); Failed(hr)) {
        return hr;
      }
      if (entry.value) {
        if (const HResult hr = SetValue(child.get(), L"", *entry.value); Failed(hr)) {
          return hr;
        }
      }
      if (const HResult hr = Register(child.get(), entry.entries); Failed(hr)) {
        return hr;
      }
    }
    return kS_OK;
  }

  // Every entry is tried, whatever failed before it; the first failure is the
  // answer. A key goes only when our removals left it with nothing in it.
  HResult Unregister(RegistryKey key, const std::vector<ScriptEntry>& entries) {
    HResult first = kS_OK;
    const auto note = [&first](HResult hr) {
      if (Failed(hr) && hr != kNotFound && !Failed(first)) {
        first = hr;
      }
    };
    for (const ScriptEntry& entry : entries) {
      if (entry.isValue) {
        if (entry.marker != EntryMarker::NoRemove) {
          note(registry_.DeleteValue(key, entry.name));
        }
        continue;
      }
      ScopedRegistryKey child(registry_);
      const HResult opened = registry_.OpenKey(key, entry.name, child.Receive());
      if (Failed(opened)) {
        note(opened);
        continue;
      }
      note(Unregister(child.get(), entry.entries));
      if (entry.marker == EntryMarker::NoRemove) {
        continue;
      }
      if (entry.value) {
        note(registry_.DeleteValue(child.get(), L""));
      }
      bool empty = false;
      if (const HResult hr = IsEmpty(child.get(), &empty); Failed(hr) || !empty) {
        note(hr);
        continue;
      }
      child.Reset();
      note(registry_.DeleteKey(key, entry.name));
    }
    return first;
  }

  // No subkey and no value, the default value included.
  HResult IsEmpty(RegistryKey key, bool* empty) {
    *empty = false;
    std::uint32_t subKeys = 0;
    std::uint32_t values = 0;
    if (const HResult hr = registry_.CountSubKeys(key, &subKeys); Failed(hr)) {
      return hr;
    }
    if (const HResult hr = registry_.CountValues(key, &values); Failed(hr)) {
      return hr;
    }
    *empty = subKeys == 0 && values == 0;
    return kS_OK;
  }

  // Deletes `parent`'s subkey `name` and everything below it.
  HResult DeleteTree(RegistryKey parent, const std::wstring& name, int depth) {
    if (depth >= kMaxDeleteDepth) {
      return kE_FAIL;
    }
    {
      ScopedRegistryKey key(registry_);
      if (const HResult hr = registry_.OpenKey(parent, name, key.Receive()); Failed(hr)) {
        return hr;
      }
      std::vector<std::wstring> subKeys;
      if (const HResult hr = registry_.EnumSubKeys(key.get(), &subKeys); Failed(hr)) {
        return hr;
      }
      for (const std::wstring& subKey : subKeys) {
        if (const HResult hr = DeleteTree(key.get(), subKey, depth + 1); Failed(hr)) {
          return hr;
        }
      }
    }
    return registry_.DeleteKey(parent, name);
  }

  RegistryPort& registry_;
};

}  // namespace

bool ForceRemoveProtects(const std::wstring& keyName) {
  for (const wchar_t* name : kProtectedNames) {
    if (EqualsIgnoringAsciiCase(keyName, name)) {
      return true;
    }
  }
  return false;
}

HResult ApplyScript(const Script& script, RegistryPort& registry, RegistrarMode mode,
                    const RootMapping& mapping, const Script* undo) {
  Applier applier(registry);
  HResult first = kS_OK;
  for (size_t i = 0; i < script.roots.size(); ++i) {
    const RootBlock& block = script.roots[i];
    const HResult hr = applier.ApplyBlock(block, mode, mapping);
    if (Failed(hr) && mode == RegistrarMode::Register) {
      const bool own = undo != nullptr && i < undo->roots.size();
      (void)applier.ApplyBlock(own ? undo->roots[i] : block, RegistrarMode::Unregister, mapping);
      return hr;
    }
    if (Failed(hr) && !Failed(first)) {
      first = hr;
    }
  }
  return first;
}

RootMapping UserClassesMapping() {
  return {{RegistryRoot::ClassesRoot,
           RootRedirect{RegistryRoot::CurrentUser, {L"Software", L"Classes"}}}};
}

RootMapping MachineClassesMapping() {
  return {{RegistryRoot::ClassesRoot,
           RootRedirect{RegistryRoot::LocalMachine, {L"Software", L"Classes"}}}};
}

}  // namespace tarnwick
