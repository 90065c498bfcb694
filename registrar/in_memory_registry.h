// A registry held in memory, for tests. Key and value names compare case-insensitively
// (ASCII letters) and keep the case they were created with. Deleting a key makes the
// handles still open on it fail with ERROR_KEY_DELETED.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "registrar/registry_port.h"

namespace tarnwick {

class InMemoryRegistry : public RegistryPort {
 public:
  InMemoryRegistry();
  ~InMemoryRegistry() override;

  HResult OpenRoot(RegistryRoot root, RegistryKey* key) override;
  HResult OpenKey(RegistryKey parent, const std::wstring& name, RegistryKey* key) override;
  HResult CreateKey(RegistryKey parent, const std::wstring& name, RegistryKey* key) override;
  void CloseKey(RegistryKey key) override;
  HResult KeyExists(RegistryKey parent, const std::wstring& name, bool* exists) override;
  HResult DeleteKey(RegistryKey parent, const std::wstring& name) override;
  HResult EnumSubKeys(RegistryKey key, std::vector<std::wstring>* names) override;
  HResult CountSubKeys(RegistryKey key, std::uint32_t* count) override;
  HResult CountValues(RegistryKey key, std::uint32_t* count) override;
  HResult SetStringValue(RegistryKey key, const std::wstring& name,
                         const std::wstring& value) override;
  HResult SetDwordValue(RegistryKey key, const std::wstring& name, std::uint32_t value) override;
  HResult DeleteValue(RegistryKey key, const std::wstring& name) override;

  // Makes the k-th write from now (1-based) fail with `code` and change nothing.
  // Writes are CreateKey (even of an existing key), DeleteKey, Set*Value, DeleteValue.
  void FailWrite(int k, HResult code = HResultFromWin32(kErrorAccessDenied));
  // Keys opened and not yet closed (roots not counted).
  size_t OpenKeyCount() const { return handles_.size(); }

  // The whole content as text, one key path a line, its values indented below it,
  // keys and values sorted case-insensitively:
  //   HKCU\Software\Demo
  //     @ = s 'text'      (the default value)
  //     Count = d 3
  // CR, LF and characters outside printable ASCII are written as \r, \n and \uXXXX.
  std::string Dump() const;

  // One value of the content, or a key that holds neither values nor subkeys.
  struct Entry {
    RegistryRoot root = RegistryRoot::ClassesRoot;
    std::vector<std::wstring> path;  // the key's names below the root
    bool isKeyOnly = false;          // a key without values or subkeys
    std::wstring name;               // the value's name; empty: the default value
    bool isDword = false;
    std::wstring text;
    std::uint32_t number = 0;
  };
  // The whole content in Dump's order.
  std::vector<Entry> Entries() const;

 private:
  struct Value {
    std::wstring name;
    bool isDword = false;
    std::wstring text;
    std::uint32_t number = 0;
  };
  struct Node {
    std::wstring name;
    std::vector<std::unique_ptr<Node>> children;
    std::vector<Value> values;
  };

  Node* Resolve(RegistryKey key) const;
  HResult ResolveForUse(RegistryKey key, Node** node) const;
  HResult CountWrite();
  RegistryKey NewHandle(Node* node);
  Value* FindValue(Node& node, const std::wstring& name);
  HResult SetValue(RegistryKey key, Value value);

  static Node* FindChild(const Node& node, const std::wstring& name);
  static void DumpNode(const Node& node, const std::string& path, std::string* out);
  static std::vector<const Value*> SortedValues(const Node& node);
  static std::vector<const Node*> SortedChildren(const Node& node);
  static void ListNode(const Node& node, Entry* at, std::vector<Entry>* out);

  Node roots_[7];
  std::map<RegistryKey, Node*> handles_;  // a null node: the key was deleted
  RegistryKey nextHandle_ = 100;
  int writesUntilFailure_ = 0;
  HResult failureCode_ = kS_OK;
};

}  // namespace tarnwick
