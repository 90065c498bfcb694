// The modules the server knows: the module files under the workspace's folders,
// read on a worker thread, and the documents the client has open, which take
// the place of their files. Every request reads a snapshot of what has been
// read so far and never waits for the rest. Guarded for use from any thread.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "documentation/check.h"
#include "documentation/module.h"
#include "text/encoding.h"

namespace tarnwick::lsp {

struct WorkspaceModule {
  std::string uri;
  std::string path;  // UTF-8, '/' between folders
  std::shared_ptr<const DocModule> module;
  bool open = false;
};

class Workspace {
 public:
  void PutFile(const std::string& path, std::shared_ptr<const DocModule> module);
  void RemoveFile(const std::string& path);
  void PutOpen(const std::string& path, const std::string& uri,
               std::shared_ptr<const DocModule> module);
  void RemoveOpen(const std::string& path);

  // Every module, an open document in place of its file, in path order.
  std::vector<WorkspaceModule> Snapshot() const;
  size_t Size() const;

 private:
  mutable std::mutex mutex;
  std::map<std::string, WorkspaceModule> files;
  std::map<std::string, WorkspaceModule> open;
};

// Reads one module file (bounded), decoding text that is not UTF-8 with
// `encoding`. Throws InputError or ModuleError as the library does.
DocModule ReadModuleFile(const std::string& path, Encoding encoding);

// The module files under `folder`, in path order; `skip(path, isFolder)` leaves
// a file or a whole folder out. Stops early, with what it has, when `stop`
// turns true. Links are not followed.
std::vector<std::string> ListModuleFiles(const std::string& folder,
                                         const std::function<bool(const std::string&, bool)>& skip,
                                         const std::atomic<bool>& stop);

}  // namespace tarnwick::lsp
