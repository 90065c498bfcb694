#include "lsp/server.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "lsp/edit_scope.h"
#include "lsp/protocol.h"
#include "lsp/rules_document.h"
#include "lsp/server_parts.h"
#include "lsp/transport.h"
#include "lsp/uri.h"
#include "tarnwick_version.h"

namespace tarnwick::lsp {
namespace {

bool Flag(const Json& object, std::initializer_list<const char*> path) {
  const Json* at = &object;
  for (const char* key : path) {
    if (!at->is_object() || !at->contains(key)) {
      return false;
    }
    at = &(*at)[key];
  }
  return at->is_boolean() && at->get<bool>();
}

bool Has(const Json& object, std::initializer_list<const char*> path) {
  const Json* at = &object;
  for (const char* key : path) {
    if (!at->is_object() || !at->contains(key)) {
      return false;
    }
    at = &(*at)[key];
  }
  return !at->is_null();
}

// The workspace's folders: workspaceFolders, else rootUri, else rootPath.
std::vector<std::string> RootsOf(const Json& params) {
  std::vector<std::string> roots;
  if (params.contains("workspaceFolders") && params["workspaceFolders"].is_array()) {
    for (const Json& folder : params["workspaceFolders"]) {
      if (folder.is_object() && folder.contains("uri") && folder["uri"].is_string()) {
        if (auto path = PathFromUri(folder["uri"].get<std::string>())) {
          roots.push_back(*path);
        }
      }
    }
    return roots;
  }
  if (params.contains("rootUri") && params["rootUri"].is_string()) {
    if (auto path = PathFromUri(params["rootUri"].get<std::string>())) {
      roots.push_back(*path);
    }
  } else if (params.contains("rootPath") && params["rootPath"].is_string()) {
    roots.push_back(params["rootPath"].get<std::string>());
  }
  return roots;
}

std::vector<std::string> Strings(const Json& value) {
  std::vector<std::string> strings;
  if (value.is_array()) {
    for (const Json& item : value) {
      if (item.is_string()) {
        strings.push_back(item.get<std::string>());
      }
    }
  } else if (value.is_string()) {
    // "TWD003, TWD015" as the settings file writes it.
    std::string item;
    for (const char c : value.get<std::string>() + ",") {
      if (c == ',') {
        const size_t start = item.find_first_not_of(" \t");
        if (start != std::string::npos) {
          strings.push_back(item.substr(start, item.find_last_not_of(" \t") - start + 1));
        }
        item.clear();
      } else {
        item += c;
      }
    }
  }
  return strings;
}

}  // namespace

Server::Server(Dispatcher::Send send) : rpc(std::move(send)) {
  diagnostics = std::make_unique<DiagnosticsWorker>(
      [this](const std::string& uri,
             int64_t& version) -> std::optional<std::vector<DiagnosticEntry>> {
        // The lines are copied under the lock, then read and checked apart
        // from the message thread.
        std::vector<std::wstring> lines;
        std::string path;
        {
          std::lock_guard<std::mutex> lock(documentsMutex);
          const auto found = documents.find(uri);
          if (found == documents.end()) {
            return std::nullopt;
          }
          lines = found->second.text.Lines().Lines();
          path = found->second.path;
          version = found->second.version;
        }
        return Check(ReadModuleLines(std::move(lines), path, ModuleFileOrigin(path).name));
      },
      [this](const std::string& uri, int64_t version, const std::vector<DiagnosticEntry>& entries) {
        rpc.SendNotification(
            "textDocument/publishDiagnostics",
            {{"uri", uri}, {"version", version}, {"diagnostics", DiagnosticsJson(entries)}});
      },
      std::chrono::milliseconds(150));
  BindLifecycle();
  BindDocuments();
  BindEditing();
  BindNavigation();
  BindWorkspace();
}

Server::~Server() {
  stopReading = true;
  for (std::thread& reader : readers) {
    reader.join();
  }
  diagnostics.reset();
}

const TextDocument* Server::Document(const std::string& uri) const {
  const auto found = documents.find(uri);
  return found == documents.end() ? nullptr : &found->second.text;
}

Server::OpenDocument& Server::Open(const Json& params) {
  const auto found = documents.find(UriFrom(params));
  if (found == documents.end()) {
    throw ResponseError(kInvalidParams, "the document is not open: " + UriFrom(params));
  }
  return found->second;
}

std::shared_ptr<const DocModule> Server::Parsed(OpenDocument& document) {
  if (document.parsedRevision != document.revision) {
    std::shared_ptr<const DocModule> module;
    try {
      module = std::make_shared<const DocModule>(ReadModuleLines(
          document.text.Lines().Lines(), document.path, ModuleFileOrigin(document.path).name));
    } catch (const std::exception&) {
      // A header that does not end: the module is read as having no members.
      module = std::make_shared<const DocModule>(
          ReadModuleText(L"", document.path, ModuleFileOrigin(document.path).name));
    }
    document.parsed = module;
    document.parsedRevision = document.revision;
    workspace.PutOpen(document.path, document.uri, module);
  }
  return document.parsed;
}

WorkspaceModule Server::Here(OpenDocument& document) {
  return {document.uri, document.path, Parsed(document), true};
}

std::vector<WorkspaceModule> Server::Modules() {
  for (auto& [uri, document] : documents) {
    Parsed(document);
  }
  return workspace.Snapshot();
}

std::vector<DiagnosticEntry> Server::Check(const DocModule& module) {
  const CheckOptions options = SettingsFor(module.origin.file).check;
  // The workspace as read so far is the scope a cref may name.
  const std::vector<WorkspaceModule> all = workspace.Snapshot();
  std::vector<const DocModule*> scope{&module};
  for (const WorkspaceModule& other : all) {
    if (other.path != module.origin.file) {
      scope.push_back(other.module.get());
    }
  }
  return Diagnose(module, options, CrefScope(scope));
}

Json Server::DiagnosticsJson(const std::vector<DiagnosticEntry>& entries) const {
  Json list = Json::array();
  for (const DiagnosticEntry& entry : entries) {
    Json diagnostic = {{"range", lsp::ToJson(entry.range)},
                       {"severity", 2},
                       {"code", entry.code},
                       {"source", "tarnwick"},
                       {"message", entry.message}};
    const std::string href = RuleHref(rulesDocument, entry.code);
    if (!href.empty()) {
      diagnostic["codeDescription"] = {{"href", href}};
    }
    list.push_back(std::move(diagnostic));
  }
  return list;
}

void Server::ReadSettings(const Json& value) {
  if (!value.is_object() || !value.contains("tarnwick") || !value["tarnwick"].is_object()) {
    return;
  }
  const Json& section = value["tarnwick"];
  std::lock_guard<std::mutex> lock(settingsMutex);
  if (section.contains("encoding") && section["encoding"].is_string()) {
    if (const auto encoding = EncodingNamed(section["encoding"].get<std::string>())) {
      settings.encoding = *encoding;
    }
  }
  if (section.contains("missing") && section["missing"].is_string()) {
    const std::string missing = section["missing"].get<std::string>();
    if (missing == "public") {
      settings.check.missing = MissingBlocks::kPublic;
    } else if (missing == "all") {
      settings.check.missing = MissingBlocks::kAll;
    } else if (missing == "none") {
      settings.check.missing = MissingBlocks::kNone;
    }
  }
  if (section.contains("ignore")) {
    settings.check.ignored = Strings(section["ignore"]);
  }
  if (section.contains("exclude")) {
    settings.exclude = Strings(section["exclude"]);
  }
  if (section.contains("descriptions") && section["descriptions"].is_boolean()) {
    settings.descriptions = section["descriptions"].get<bool>();
  }
}

void Server::BindLifecycle() {
  rpc.OnRequest("initialize", [this](const Json& params) {
    const Json capabilities =
        params.is_object() ? params.value("capabilities", Json::object()) : Json::object();
    client.snippets =
        Flag(capabilities, {"textDocument", "completion", "completionItem", "snippetSupport"});
    client.pullDiagnostics = Has(capabilities, {"textDocument", "diagnostic"});
    client.workDoneProgress = Flag(capabilities, {"window", "workDoneProgress"});
    client.watchedFilesDynamic =
        Flag(capabilities, {"workspace", "didChangeWatchedFiles", "dynamicRegistration"});
    client.configuration = Flag(capabilities, {"workspace", "configuration"});
    if (params.is_object()) {
      roots = RootsOf(params);
      if (params.contains("initializationOptions")) {
        ReadSettings(params["initializationOptions"]);
      }
    }
    Json provided = {
        {"positionEncoding", "utf-16"},
        {"textDocumentSync", {{"openClose", true}, {"change", 2}}},
        {"completionProvider",
         {{"triggerCharacters", {"'", "<", "\""}}, {"resolveProvider", false}}},
        {"documentOnTypeFormattingProvider",
         {{"firstTriggerCharacter", "\n"}, {"moreTriggerCharacter", {">"}}}},
        {"codeActionProvider", {{"codeActionKinds", CodeActionKinds()}}},
        {"hoverProvider", true},
        {"signatureHelpProvider", {{"triggerCharacters", {"(", ",", " "}}}},
        {"documentSymbolProvider", true},
        {"workspaceSymbolProvider", true},
        {"definitionProvider", true},
        {"workspace",
         {{"workspaceFolders", {{"supported", true}, {"changeNotifications", true}}}}}};
    if (client.pullDiagnostics) {
      provided["diagnosticProvider"] = {{"identifier", "tarnwick"},
                                        {"interFileDependencies", true},
                                        {"workspaceDiagnostics", true}};
    }
    return Json{{"capabilities", provided},
                {"serverInfo", {{"name", "tarnwick-lsp"}, {"version", TARNWICK_VERSION_TEXT}}}};
  });
  rpc.OnNotification("initialized", [this](const Json&) {
    if (client.watchedFilesDynamic) {
      rpc.SendRequest("client/registerCapability",
                      {{"registrations",
                        {{{"id", "tarnwick-watched-files"},
                          {"method", "workspace/didChangeWatchedFiles"},
                          {"registerOptions",
                           {{"watchers",
                             {{{"globPattern", "**/*.{bas,cls,frm}"}},
                              {{"globPattern", "**/.tarnwick"}}}}}}}}}},
                      "tarnwick-register-" + std::to_string(++nextRequestId));
    }
    if (client.configuration) {
      AskConfiguration();
    }
    StartReading(roots);
  });
}

void Server::BindDocuments() {
  rpc.OnNotification("textDocument/didOpen", [this](const Json& params) {
    const Json& item = params.at("textDocument");
    const std::string uri = item.at("uri").get<std::string>();
    OpenDocument document;
    document.text = TextDocument(WideFrom(item.at("text")));
    document.uri = uri;
    document.version = item.value("version", int64_t{0});
    const auto path = PathFromUri(uri);
    document.path = path ? *path : uri;
    std::unique_lock<std::mutex> lock(documentsMutex);
    auto [at, inserted] = documents.insert_or_assign(uri, std::move(document));
    lock.unlock();
    Changed(uri, at->second);
  });
  rpc.OnNotification("textDocument/didChange", [this](const Json& params) {
    const auto found = documents.find(UriFrom(params));
    if (found == documents.end()) {
      return;
    }
    OpenDocument& document = found->second;
    // The module as last read stays good for an edit inside a body's line.
    const DocModule* parsed =
        document.parsedRevision == document.revision ? document.parsed.get() : nullptr;
    bool declarations = false;
    std::unique_lock<std::mutex> lock(documentsMutex);
    for (const Json& change : params.at("contentChanges")) {
      const std::wstring text = WideFrom(change.at("text"));
      if (!change.contains("range")) {
        document.text.SetText(text);
        declarations = true;
        continue;
      }
      const TextRange range = RangeFrom(change["range"]);
      const TextPosition start = document.text.Clamp(range.start);
      const bool oneLine = start.line == document.text.Clamp(range.end).line &&
                           text.find_first_of(L"\r\n") == std::wstring::npos;
      const std::wstring before = oneLine ? document.text.Line(start.line) : std::wstring();
      document.text.Replace(range, text);
      declarations = declarations || !oneLine ||
                     ChangesDeclarations(before, document.text.Line(start.line),
                                         document.text.Line(start.line - 1), parsed, start.line);
    }
    const Json& identifier = params.at("textDocument");
    if (identifier.contains("version") && identifier["version"].is_number_integer()) {
      document.version = identifier["version"].get<int64_t>();
    }
    lock.unlock();
    Changed(found->first, document, declarations);
  });
  rpc.OnNotification("textDocument/didClose", [this](const Json& params) {
    const std::string uri = UriFrom(params);
    const auto found = documents.find(uri);
    if (found == documents.end()) {
      return;
    }
    workspace.RemoveOpen(found->second.path);
    {
      std::lock_guard<std::mutex> lock(documentsMutex);
      documents.erase(found);
    }
    diagnostics->Forget(uri);
    if (!client.pullDiagnostics) {
      rpc.SendNotification("textDocument/publishDiagnostics",
                           {{"uri", uri}, {"diagnostics", Json::array()}});
    }
  });
}

void Server::Changed(const std::string& uri, OpenDocument& document, bool declarations) {
  const bool current = document.parsedRevision == document.revision;
  ++document.revision;
  if (!declarations && current) {
    document.parsedRevision = document.revision;  // what it declares is as read
  }
  if (!client.pullDiagnostics) {
    diagnostics->Schedule(uri);
  }
}

namespace {

// What the reader thread shares with the handlers' thread. The reader holds it
// too, so that a reader left blocked on input after "exit" never outlives it.
struct Inbox {
  std::mutex mutex;
  std::condition_variable ready;
  std::deque<std::pair<Frame, Json>> messages;
  bool stop = false;  // the handlers are done: the reader touches nothing else
};

void ReadFrames(std::istream& in, size_t maxBody, const std::shared_ptr<Inbox>& inbox,
                Dispatcher& rpc) {
  FrameReader frames(in, maxBody);
  for (;;) {
    Frame frame;
    try {
      frame = frames.Next();
    } catch (const std::exception&) {
      frame = Frame{};  // the input can no longer be read
    }
    Json message;
    if (frame.kind == Frame::Kind::kMessage) {
      message = ParseMessage(frame.body);
      frame.body.clear();
    }
    std::lock_guard<std::mutex> lock(inbox->mutex);
    if (inbox->stop) {
      return;
    }
    // A cancellation is seen here, before the request it cancels is handled.
    rpc.NotePending(message);
    const bool end = frame.kind == Frame::Kind::kEnd;
    inbox->messages.emplace_back(std::move(frame), std::move(message));
    inbox->ready.notify_one();
    if (end) {
      return;
    }
  }
}

}  // namespace

int RunServer(std::istream& in, std::ostream& out, const ServerOptions& options) {
  try {
    std::mutex outMutex;
    auto send = [&](const Json& message) {
      const std::string body = message.dump(-1, ' ', false, Json::error_handler_t::replace);
      std::lock_guard<std::mutex> lock(outMutex);
      WriteFrame(out, body);
    };
    Server server(send);
    server.SetRulesDocument(options.rulesDocument);
    Dispatcher& rpc = server.Rpc();
    // Reading `in` must not flush `out` from the reader's thread.
    in.tie(nullptr);
    auto inbox = std::make_shared<Inbox>();
    std::thread reader(
        [&in, inbox, &rpc, max = options.maxMessageBytes] { ReadFrames(in, max, inbox, rpc); });
    bool ended = false;
    for (;;) {
      std::pair<Frame, Json> next;
      {
        std::unique_lock<std::mutex> lock(inbox->mutex);
        inbox->ready.wait(lock, [&] { return !inbox->messages.empty(); });
        next = std::move(inbox->messages.front());
        inbox->messages.pop_front();
      }
      const Frame& frame = next.first;
      if (frame.kind == Frame::Kind::kEnd) {
        ended = true;
        break;
      }
      try {
        if (frame.kind == Frame::Kind::kMessage) {
          rpc.Handle(next.second);
        } else {
          rpc.RejectFrame(frame.kind == Frame::Kind::kTooLarge ? kInvalidRequest : kParseError,
                          frame.error);
        }
      } catch (const std::exception&) {
        // Only the output can fail here; the next message may still be read.
      }
      if (rpc.Exited()) {
        break;
      }
    }
    const int code = rpc.ExitCode();
    {
      std::lock_guard<std::mutex> lock(inbox->mutex);
      inbox->stop = true;
    }
    // After "exit" the reader may wait for input that never comes: the caller
    // says whether it may be left to the process's end.
    if (ended || !options.inputMayBlock) {
      reader.join();
    } else {
      reader.detach();
    }
    return code;
  } catch (const std::exception&) {
    return 1;
  }
}

}  // namespace tarnwick::lsp
