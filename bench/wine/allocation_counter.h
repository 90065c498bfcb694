// Counts the program's calls of operator new (every C++ allocation of the
// add-in's code, which the benchmark links statically), and apart from them
// the ones made while the stand-in editor is at work (inside its objects'
// Invoke and its code windows' own procedure), so that what the add-in
// allocates itself can be told apart.
#pragma once

#include <cstdint>

namespace tarnwick::bench {

// Every operator new so far.
int64_t AllocationCount();
// Those made outside an EditorScope.
int64_t AllocationCountOutsideEditor();

// Marks the editor at work for its lifetime; scopes nest.
class EditorScope {
 public:
  EditorScope();
  ~EditorScope();
  EditorScope(const EditorScope&) = delete;
  EditorScope& operator=(const EditorScope&) = delete;
};

}  // namespace tarnwick::bench
