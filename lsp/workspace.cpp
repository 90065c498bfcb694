#include "lsp/workspace.h"

#include <algorithm>
#include <filesystem>

#include "lsp/uri.h"
#include "text/ascii.h"
#include "files/read_file.h"
#include "text/source_text.h"
#include "text/utf.h"

namespace tarnwick::lsp {
namespace {

namespace fs = std::filesystem;

std::string Utf8Path(const fs::path& path) {
#ifdef _WIN32
  std::string text = WideToUtf8(path.generic_wstring());
#else
  std::string text = path.generic_string();
#endif
  return text;
}

fs::path PathOf(const std::string& utf8) {
#ifdef _WIN32
  return fs::path(Utf8ToWide(utf8));
#else
  return fs::path(utf8);
#endif
}

}  // namespace

void Workspace::PutFile(const std::string& path, std::shared_ptr<const DocModule> module) {
  std::lock_guard<std::mutex> lock(mutex);
  files[path] = {UriFromPath(path), path, std::move(module), false};
}

void Workspace::RemoveFile(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex);
  files.erase(path);
}

void Workspace::PutOpen(const std::string& path, const std::string& uri,
                        std::shared_ptr<const DocModule> module) {
  std::lock_guard<std::mutex> lock(mutex);
  open[path] = {uri, path, std::move(module), true};
}

void Workspace::RemoveOpen(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex);
  open.erase(path);
}

std::vector<WorkspaceModule> Workspace::Snapshot() const {
  std::lock_guard<std::mutex> lock(mutex);
  std::vector<WorkspaceModule> all;
  all.reserve(files.size() + open.size());
  for (const auto& [path, module] : files) {
    if (open.count(path) == 0) {
      all.push_back(module);
    }
  }
  for (const auto& [path, module] : open) {
    all.push_back(module);
  }
  std::sort(all.begin(), all.end(),
            [](const WorkspaceModule& a, const WorkspaceModule& b) { return a.path < b.path; });
  return all;
}

size_t Workspace::Size() const {
  std::lock_guard<std::mutex> lock(mutex);
  return files.size() + open.size();
}

DocModule ReadModuleFile(const std::string& path, Encoding encoding) {
  const std::string bytes = ReadFileBytes(PathOf(path));
  DocModule module = ModuleFromBytes(ModuleFileOrigin(path), bytes, encoding);
  ParseModule(module);
  return module;
}

std::vector<std::string> ListModuleFiles(const std::string& folder,
                                         const std::function<bool(const std::string&, bool)>& skip,
                                         const std::atomic<bool>& stop) {
  std::vector<std::string> found;
  std::error_code error;
  fs::recursive_directory_iterator it(PathOf(folder), fs::directory_options::skip_permission_denied,
                                      error);
  for (; !error && it != fs::recursive_directory_iterator() && !stop; it.increment(error)) {
    std::error_code ignored;
    const std::string path = Utf8Path(it->path());
    if (it->is_directory(ignored)) {
      if (skip(path, true)) {
        it.disable_recursion_pending();
      }
      continue;
    }
    if (it->is_regular_file(ignored) && IsModuleFileName(path) && !skip(path, false)) {
      found.push_back(path);
    }
  }
  std::sort(found.begin(), found.end());
  return found;
}

}  // namespace tarnwick::lsp
