// The language server: the protocol's methods bound to the features, over the
// documents the client has open and the workspace's module files. One thread
// handles the messages in order; the workspace is read on a worker thread and
// open documents are checked on another, and what they share is guarded.
// The bindings stand in one file per group: server.cpp (the session and the
// documents), server_editing.cpp, server_navigation.cpp, server_workspace.cpp.
#pragma once

#include <atomic>
#include <condition_variable>
#include <istream>
#include <map>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "documentation/module.h"
#include "documentation/settings_file.h"
#include "lsp/diagnostics.h"
#include "lsp/json_rpc.h"
#include "lsp/settings.h"
#include "lsp/text_document.h"
#include "lsp/workspace.h"

namespace tarnwick::lsp {

struct ServerOptions {
  // Past this, a message is answered with an error and skipped.
  size_t maxMessageBytes = size_t{256} << 20;
  // The input may block after "exit" (standard input): the reader is left to
  // the end of the process instead of being waited for. The caller then ends
  // the process without running static destructors.
  bool inputMayBlock = false;
  // The file: URI of the page on check's rules (RulesDocumentUri), to which
  // each diagnostic links; empty for no link.
  std::string rulesDocument;
};

// What the client said it can do, in its initialize request.
struct ClientCapabilities {
  bool snippets = false;
  bool pullDiagnostics = false;      // textDocument/diagnostic and workspace/diagnostic
  bool workDoneProgress = false;     // window/workDoneProgress/create
  bool watchedFilesDynamic = false;  // didChangeWatchedFiles registered by the server
  bool configuration = false;        // workspace/configuration
};

class Server {
 public:
  explicit Server(Dispatcher::Send send);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  Dispatcher& Rpc() { return rpc; }
  // The text of an open document, for tests; null when it is not open.
  const TextDocument* Document(const std::string& uri) const;
  // Waits until the workspace's folders have been read, for tests.
  void WaitForWorkspace();
  // Links each diagnostic to its rule on this page (a file: URI); set before
  // the first message.
  void SetRulesDocument(std::string uri) { rulesDocument = std::move(uri); }

 private:
  struct OpenDocument {
    TextDocument text;
    std::string uri;
    int64_t version = 0;
    std::string path;  // the file it stands for, or the URI when it has none
    uint64_t revision = 0;
    std::shared_ptr<const DocModule> parsed;
    uint64_t parsedRevision = ~uint64_t{0};
  };

  OpenDocument& Open(const Json& params);
  // The open document's module as it stands now, read again after a change.
  std::shared_ptr<const DocModule> Parsed(OpenDocument& document);
  // Every module, the open documents read again where they changed.
  std::vector<WorkspaceModule> Modules();
  WorkspaceModule Here(OpenDocument& document);
  // `declarations`: the change may have changed what the module declares, so
  // that it must be read again.
  void Changed(const std::string& uri, OpenDocument& document, bool declarations = true);
  std::vector<DiagnosticEntry> Check(const DocModule& module);
  Json DiagnosticsJson(const std::vector<DiagnosticEntry>& entries) const;
  void PublishWorkspace();
  void ReadSettings(const Json& settings);
  // Asks the client for the "tarnwick" section (workspace/configuration); the
  // answer is read as a didChangeConfiguration's settings would be.
  void AskConfiguration();
  // The open documents checked again under settings that changed.
  void Reconfigured();
  // The client's settings under the project's settings file for `path`.
  ServerSettings SettingsFor(const std::string& path);
  void StartReading(std::vector<std::string> folders);
  void ReadFolders(std::vector<std::string> folders);

  void BindLifecycle();
  void BindDocuments();
  void BindEditing();
  void BindNavigation();
  void BindWorkspace();

  Dispatcher rpc;
  ClientCapabilities client;
  std::mutex settingsMutex;
  ServerSettings settings;
  // The settings file that holds for each folder of a module, once found.
  std::map<std::string, std::optional<SettingsFile>> projectSettings;
  std::vector<std::string> roots;  // the workspace's folders, as paths
  // Changed on the message thread only; the diagnostics worker reads a
  // document's text under documentsMutex.
  std::mutex documentsMutex;
  std::map<std::string, OpenDocument> documents;
  Workspace workspace;
  std::unique_ptr<DiagnosticsWorker> diagnostics;

  std::vector<std::thread> readers;  // one per batch of folders; joined at the end
  std::atomic<bool> stopReading{false};
  std::mutex readMutex;
  std::condition_variable readDone;
  int reading = 0;  // readers not done yet
  std::atomic<int> nextRequestId{0};
  Json configurationRequest;  // the id of the last one asked, answered or not
  std::string rulesDocument;  // a file: URI, or empty
};

// Reads framed messages from `in` and answers on `out` until "exit" or the end
// of the input. Returns the process's exit code. Never throws. `in` is read
// on a thread of its own: it must not be tied to `out` (std::cin.tie(nullptr)).
int RunServer(std::istream& in, std::ostream& out, const ServerOptions& options = {});

}  // namespace tarnwick::lsp
