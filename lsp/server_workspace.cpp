// The workspace: reading its folders on a worker thread with progress,
// watched files, configuration, and diagnostics for the whole workspace.
#include <filesystem>

#include "lsp/protocol.h"
#include "lsp/server.h"
#include "lsp/server_parts.h"
#include "documentation/settings_file.h"
#include "lsp/uri.h"
#include "files/read_file.h"
#include "text/source_text.h"
#include "text/utf.h"

namespace tarnwick::lsp {
namespace {

constexpr const char* kProgressToken = "tarnwick-reading";
constexpr const char* kProgressTitle = "Reading VBA modules";

}  // namespace

std::optional<std::string> ReadSettingsText(const std::string& path) {
  std::error_code error;
#ifdef _WIN32
  const std::filesystem::path file(Utf8ToWide(path));
#else
  const std::filesystem::path file(path);
#endif
  if (!std::filesystem::is_regular_file(file, error)) {
    return std::nullopt;
  }
  try {
    return ReadFileBytes(file);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

ServerSettings Server::SettingsFor(const std::string& path) {
  std::lock_guard<std::mutex> lock(settingsMutex);
  ServerSettings effective = settings;
  const size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
  auto found = projectSettings.find(folder);
  if (found == projectSettings.end()) {
    found = projectSettings.emplace(folder, FindSettingsFile(path, false, ReadSettingsText)).first;
  }
  if (found->second) {
    // The project's file holds over the client's settings.
    const ProjectSettings& project = found->second->settings;
    effective.encoding = project.encoding.value_or(effective.encoding);
    effective.check.missing = project.missing.value_or(effective.check.missing);
    effective.check.ignored = project.ignore.value_or(effective.check.ignored);
    effective.descriptions = project.descriptions.value_or(effective.descriptions);
  }
  return effective;
}

void Server::WaitForWorkspace() {
  std::unique_lock<std::mutex> lock(readMutex);
  readDone.wait(lock, [this] { return reading == 0; });
}

void Server::StartReading(std::vector<std::string> folders) {
  if (folders.empty()) {
    return;
  }
  // Folders added later are read beside what is still being read: no
  // request waits for either.
  {
    std::lock_guard<std::mutex> lock(readMutex);
    ++reading;
  }
  readers.emplace_back([this, folders = std::move(folders)] { ReadFolders(folders); });
}

void Server::ReadFolders(std::vector<std::string> folders) {
  try {
    ServerSettings now;
    {
      std::lock_guard<std::mutex> lock(settingsMutex);
      now = settings;
    }
    const bool progress = client.workDoneProgress;
    // One token for each reading: two may run at once.
    const std::string token = std::string(kProgressToken) + "-" + std::to_string(++nextRequestId);
    if (progress) {
      rpc.SendRequest("window/workDoneProgress/create", {{"token", token}},
                      "tarnwick-progress-" + std::to_string(++nextRequestId));
      rpc.SendNotification("$/progress", {{"token", token},
                                          {"value",
                                           {{"kind", "begin"},
                                            {"title", kProgressTitle},
                                            {"cancellable", false},
                                            {"percentage", 0}}}});
    }
    std::vector<std::string> files;
    for (const std::string& folder : folders) {
      // The client's patterns from the workspace folder, the project's from
      // its settings file's folder.
      const std::optional<SettingsFile> project = FindSettingsFile(folder, true, ReadSettingsText);
      const auto skip = [&](const std::string& path, bool isFolder) {
        return IsExcluded(now.exclude, folder, path, isFolder) ||
               (project && IsExcluded(*project, path, isFolder));
      };
      for (std::string& file : ListModuleFiles(folder, skip, stopReading)) {
        files.push_back(std::move(file));
      }
    }
    size_t done = 0;
    int lastPercent = 0;
    for (const std::string& file : files) {
      if (stopReading) {
        break;
      }
      try {
        workspace.PutFile(file,
                          std::make_shared<const DocModule>(ReadModuleFile(file, now.encoding)));
      } catch (const std::exception&) {
        // A file that cannot be read is left out; check reports it when run.
      }
      ++done;
      const int percent = static_cast<int>(done * 100 / files.size());
      if (progress && percent >= lastPercent + 5) {
        lastPercent = percent;
        rpc.SendNotification(
            "$/progress", {{"token", token},
                           {"value",
                            {{"kind", "report"},
                             {"message", std::to_string(done) + "/" + std::to_string(files.size())},
                             {"percentage", percent}}}});
      }
    }
    if (progress) {
      rpc.SendNotification(
          "$/progress",
          {{"token", token},
           {"value", {{"kind", "end"}, {"message", std::to_string(done) + " modules read"}}}});
    }
    if (!client.pullDiagnostics && !stopReading) {
      PublishWorkspace();
    }
  } catch (const std::exception&) {
    // The workspace stays as far as it was read.
  }
  std::lock_guard<std::mutex> lock(readMutex);
  --reading;
  readDone.notify_all();
}

// The workspace's files that no open document stands for, checked once.
void Server::PublishWorkspace() {
  for (const WorkspaceModule& module : workspace.Snapshot()) {
    if (module.open) {
      continue;  // the diagnostics worker publishes these
    }
    rpc.SendNotification(
        "textDocument/publishDiagnostics",
        {{"uri", module.uri}, {"diagnostics", DiagnosticsJson(Check(*module.module))}});
  }
}

void Server::AskConfiguration() {
  configurationRequest = "tarnwick-configuration-" + std::to_string(++nextRequestId);
  rpc.SendRequest("workspace/configuration", {{"items", {{{"section", "tarnwick"}}}}},
                  configurationRequest);
}

void Server::Reconfigured() {
  for (auto& [uri, document] : documents) {
    Changed(uri, document);
  }
}

void Server::BindWorkspace() {
  rpc.OnNotification("workspace/didChangeConfiguration", [this](const Json& params) {
    const bool given = params.is_object() && params.contains("settings") &&
                       params["settings"].is_object() && params["settings"].contains("tarnwick");
    if (!given && client.configuration) {
      // Settings left out (null, or another section): asked for, and read
      // when the answer comes.
      AskConfiguration();
      return;
    }
    if (given) {
      ReadSettings(params["settings"]);
    }
    Reconfigured();
  });
  rpc.OnResponse([this](const Json& message) {
    // Only the answer to the last question counts: an older one is stale.
    if (configurationRequest.is_null() || message.value("id", Json()) != configurationRequest) {
      return;
    }
    configurationRequest = nullptr;
    const auto result = message.find("result");
    if (result == message.end() || !result->is_array() || result->empty()) {
      return;  // an error: the settings stay as they were
    }
    ReadSettings(Json{{"tarnwick", (*result)[0]}});
    Reconfigured();
  });
  rpc.OnNotification("workspace/didChangeWatchedFiles", [this](const Json& params) {
    bool settingsChanged = false;
    for (const Json& change : params.at("changes")) {
      const auto path = PathFromUri(change.at("uri").get<std::string>());
      if (path && path->size() >= 10 && path->compare(path->size() - 10, 10, "/.tarnwick") == 0) {
        settingsChanged = true;  // found again for every folder when next asked
        continue;
      }
      if (!path || !IsModuleFileName(*path)) {
        continue;
      }
      const Encoding encoding = SettingsFor(*path).encoding;
      if (change.at("type").get<int>() == 3) {
        workspace.RemoveFile(*path);
        continue;
      }
      try {
        workspace.PutFile(*path,
                          std::make_shared<const DocModule>(ReadModuleFile(*path, encoding)));
      } catch (const std::exception&) {
        workspace.RemoveFile(*path);
      }
    }
    if (settingsChanged) {
      {
        std::lock_guard<std::mutex> lock(settingsMutex);
        projectSettings.clear();
      }
      Reconfigured();
    }
  });
  rpc.OnNotification("workspace/didChangeWorkspaceFolders", [this](const Json& params) {
    std::vector<std::string> added;
    for (const Json& folder : params.at("event").at("added")) {
      if (auto path = PathFromUri(folder.at("uri").get<std::string>())) {
        added.push_back(*path);
        roots.push_back(*path);
      }
    }
    StartReading(added);
  });
  rpc.OnRequest("textDocument/diagnostic", [this](const Json& params) -> Json {
    OpenDocument& document = Open(params);
    return {{"kind", "full"}, {"items", DiagnosticsJson(Check(*Parsed(document)))}};
  });
  rpc.OnRequest("workspace/diagnostic", [this](const Json&) -> Json {
    Json items = Json::array();
    for (const WorkspaceModule& module : Modules()) {
      Json report = {
          {"kind", "full"}, {"uri", module.uri}, {"items", DiagnosticsJson(Check(*module.module))}};
      report["version"] = nullptr;
      if (module.open) {
        for (const auto& [uri, document] : documents) {
          if (uri == module.uri) {
            report["version"] = document.version;
          }
        }
      }
      items.push_back(std::move(report));
    }
    return {{"items", items}};
  });
}

}  // namespace tarnwick::lsp
