#include "registrar/in_memory_registry.h"

#include <algorithm>
#include <cstdio>

#include "text/ascii.h"

namespace tarnwick {
namespace {

constexpr RegistryKey kFirstRootHandle = 1;
constexpr int kRootCount = 7;
const HResult kKeyDeleted = HResultFromWin32(kErrorKeyDeleted);

bool IsRootHandle(RegistryKey key) {
  return key >= kFirstRootHandle && key < kFirstRootHandle + kRootCount;
}

void AppendEscaped(const std::wstring& text, std::string* out) {
  for (wchar_t c : text) {
    if (c == L'\r') {
      *out += "\\r";
    } else if (c == L'\n') {
      *out += "\\n";
    } else if (c >= 0x20 && c < 0x7F) {
      *out += static_cast<char>(c);
    } else {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04X", static_cast<unsigned>(c) & 0xFFFFu);
      *out += buffer;
    }
  }
}

bool LessIgnoreCase(const std::wstring& a, const std::wstring& b) {
  return CompareIgnoringAsciiCase(a, b) < 0;
}

}  // namespace

InMemoryRegistry::InMemoryRegistry() {
  for (int i = 0; i < kRootCount; ++i) {
    roots_[i].name = RootShortName(static_cast<RegistryRoot>(i));
  }
}

InMemoryRegistry::~InMemoryRegistry() = default;

InMemoryRegistry::Node* InMemoryRegistry::Resolve(RegistryKey key) const {
  if (IsRootHandle(key)) {
    return const_cast<Node*>(&roots_[key - kFirstRootHandle]);
  }
  const auto it = handles_.find(key);
  return it == handles_.end() ? nullptr : it->second;
}

HResult InMemoryRegistry::ResolveForUse(RegistryKey key, Node** node) const {
  *node = Resolve(key);
  if (*node != nullptr) {
    return kS_OK;
  }
  return handles_.count(key) != 0 ? kKeyDeleted : kE_INVALIDARG;
}

HResult InMemoryRegistry::CountWrite() {
  if (writesUntilFailure_ > 0 && --writesUntilFailure_ == 0) {
    return failureCode_;
  }
  return kS_OK;
}

RegistryKey InMemoryRegistry::NewHandle(Node* node) {
  const RegistryKey key = nextHandle_++;
  handles_[key] = node;
  return key;
}

InMemoryRegistry::Node* InMemoryRegistry::FindChild(const Node& node, const std::wstring& name) {
  for (const auto& child : node.children) {
    if (EqualsIgnoringAsciiCase(child->name, name)) {
      return child.get();
    }
  }
  return nullptr;
}

InMemoryRegistry::Value* InMemoryRegistry::FindValue(Node& node, const std::wstring& name) {
  for (auto& value : node.values) {
    if (EqualsIgnoringAsciiCase(value.name, name)) {
      return &value;
    }
  }
  return nullptr;
}

HResult InMemoryRegistry::OpenRoot(RegistryRoot root, RegistryKey* key) {
  *key = 0;
  const int index = static_cast<int>(root);
  if (index < 0 || index >= kRootCount) {
    return kE_INVALIDARG;
  }
  *key = kFirstRootHandle + index;
  return kS_OK;
}

HResult InMemoryRegistry::OpenKey(RegistryKey parent, const std::wstring& name, RegistryKey* key) {
  *key = 0;
  Node* node = nullptr;
  if (const HResult hr = ResolveForUse(parent, &node); Failed(hr)) {
    return hr;
  }
  Node* child = FindChild(*node, name);
  if (child == nullptr) {
    return kNotFound;
  }
  *key = NewHandle(child);
  return kS_OK;
}

HResult InMemoryRegistry::CreateKey(RegistryKey parent, const std::wstring& name,
                                    RegistryKey* key) {
  *key = 0;
  Node* node = nullptr;
  if (const HResult hr = ResolveForUse(parent, &node); Failed(hr)) {
    return hr;
  }
  if (const HResult hr = CountWrite(); Failed(hr)) {
    return hr;
  }
  if (name.empty() || name.find(L'\\') != std::wstring::npos) {
    return kE_INVALIDARG;
  }
  Node* child = FindChild(*node, name);
  if (child == nullptr) {
    node->children.push_back(std::make_unique<Node>());
    child = node->children.back().get();
    child->name = name;
  }
  *key = NewHandle(child);
  return kS_OK;
}

void InMemoryRegistry::CloseKey(RegistryKey key) {
  handles_.erase(key);
}

HResult InMemoryRegistry::KeyExists(RegistryKey parent, const std::wstring& name, bool* exists) {
  *exists = false;
  Node* node = nullptr;
  if (const HResult hr = ResolveForUse(parent, &node); Failed(hr)) {
    return hr;
  }
  *exists = FindChild(*node, name) != nullptr;
  return kS_OK;
}

HResult InMemoryRegistry::DeleteKey(RegistryKey parent, const std::wstring& name) {
  Node* node = nullptr;
  if (const HResult hr = ResolveForUse(parent, &node); Failed(hr)) {
    return hr;
  }
  if (const HResult hr = CountWrite(); Failed(hr)) {
    return hr;
  }
  const auto it =
      std::find_if(node->children.begin(), node->children.end(),
                   [&](const auto& child) { return EqualsIgnoringAsciiCase(child->name, name); });
  if (it == node->children.end()) {
    return kNotFound;
  }
  if (!(*it)->children.empty()) {
    return HResultFromWin32(kErrorAccessDenied);
  }
  for (auto& [handle, target] : handles_) {
    if (target == it->get()) {
      target = nullptr;
    }
  }
  node->children.erase(it);
  return kS_OK;
}

HResult InMemoryRegistry::EnumSubKeys(RegistryKey key, std::vector<std::wstring>* names) {
  names->clear();
  Node* node = nullptr;
  if (const HResult hr = ResolveForUse(key, &node); Failed(hr)) {
    return hr;
  }
  for (const auto& child : node->children) {
    names->push_back(child->name);
  }
  return kS_OK;
}

HResult InMemoryRegistry::CountSubKeys(RegistryKey key, std::uint32_t* count) {
  *count = 0;
  Node* node = nullptr;
  if (const HResult hr = ResolveForUse(key, &node); Failed(hr)) {
    return hr;
  }
  *count = static_cast<std::uint32_t>(node->children.size());
  return kS_OK;
}

HResult InMemoryRegistry::CountValues(RegistryKey key, std::uint32_t* count) {
  *count = 0;
  Node* node = nullptr;
  if (const HResult hr = ResolveForUse(key, &node); Failed(hr)) {
    return hr;
  }
  *count = static_cast<std::uint32_t>(node->values.size());
  return kS_OK;
}

HResult InMemoryRegistry::SetValue(RegistryKey key, Value value) {
  Node* node = nullptr;
  if (const HResult hr = ResolveForUse(key, &node); Failed(hr)) {
    return hr;
  }
  if (const HResult hr = CountWrite(); Failed(hr)) {
    return hr;
  }
  if (Value* existing = FindValue(*node, value.name)) {
    value.name = existing->name;
    *existing = std::move(value);
  } else {
    node->values.push_back(std::move(value));
  }
  return kS_OK;
}

HResult InMemoryRegistry::SetStringValue(RegistryKey key, const std::wstring& name,
                                         const std::wstring& value) {
  return SetValue(key, Value{name, false, value, 0});
}

HResult InMemoryRegistry::SetDwordValue(RegistryKey key, const std::wstring& name,
                                        std::uint32_t value) {
  return SetValue(key, Value{name, true, L"", value});
}

HResult InMemoryRegistry::DeleteValue(RegistryKey key, const std::wstring& name) {
  Node* node = nullptr;
  if (const HResult hr = ResolveForUse(key, &node); Failed(hr)) {
    return hr;
  }
  if (const HResult hr = CountWrite(); Failed(hr)) {
    return hr;
  }
  const auto it = std::find_if(node->values.begin(), node->values.end(), [&](const Value& v) {
    return EqualsIgnoringAsciiCase(v.name, name);
  });
  if (it == node->values.end()) {
    return kNotFound;
  }
  node->values.erase(it);
  return kS_OK;
}

void InMemoryRegistry::FailWrite(int k, HResult code) {
  writesUntilFailure_ = k;
  failureCode_ = code;
}

std::vector<const InMemoryRegistry::Value*> InMemoryRegistry::SortedValues(const Node& node) {
  std::vector<const Value*> values;
  for (const auto& value : node.values) {
    values.push_back(&value);
  }
  std::sort(values.begin(), values.end(),
            [](const Value* a, const Value* b) { return LessIgnoreCase(a->name, b->name); });
  return values;
}

std::vector<const InMemoryRegistry::Node*> InMemoryRegistry::SortedChildren(const Node& node) {
  std::vector<const Node*> children;
  for (const auto& child : node.children) {
    children.push_back(child.get());
  }
  std::sort(children.begin(), children.end(),
            [](const Node* a, const Node* b) { return LessIgnoreCase(a->name, b->name); });
  return children;
}

void InMemoryRegistry::DumpNode(const Node& node, const std::string& path, std::string* out) {
  for (const Value* value : SortedValues(node)) {
    *out += "  ";
    if (value->name.empty()) {
      *out += '@';
    } else {
      AppendEscaped(value->name, out);
    }
    if (value->isDword) {
      *out += " = d " + std::to_string(value->number) + "\n";
    } else {
      *out += " = s '";
      AppendEscaped(value->text, out);
      *out += "'\n";
    }
  }
  for (const Node* child : SortedChildren(node)) {
    std::string childPath = path + "\\";
    AppendEscaped(child->name, &childPath);
    *out += childPath + "\n";
    DumpNode(*child, childPath, out);
  }
}

void InMemoryRegistry::ListNode(const Node& node, Entry* at, std::vector<Entry>* out) {
  if (node.values.empty() && node.children.empty() && !at->path.empty()) {
    Entry key = *at;
    key.isKeyOnly = true;
    out->push_back(std::move(key));
  }
  for (const Value* value : SortedValues(node)) {
    Entry entry = *at;
    entry.name = value->name;
    entry.isDword = value->isDword;
    entry.text = value->text;
    entry.number = value->number;
    out->push_back(std::move(entry));
  }
  for (const Node* child : SortedChildren(node)) {
    at->path.push_back(child->name);
    ListNode(*child, at, out);
    at->path.pop_back();
  }
}

std::vector<InMemoryRegistry::Entry> InMemoryRegistry::Entries() const {
  std::vector<Entry> out;
  for (int i = 0; i < kRootCount; ++i) {
    Entry at;
    at.root = static_cast<RegistryRoot>(i);
    ListNode(roots_[i], &at, &out);
  }
  return out;
}

std::string InMemoryRegistry::Dump() const {
  std::string out;
  for (const Node& root : roots_) {
    std::string path;
    AppendEscaped(root.name, &path);
    if (!root.values.empty()) {
      out += path + "\n";
    }
    DumpNode(root, path, &out);
  }
  return out;
}

}  // namespace tarnwick
