#include "lsp/server.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <optional>
#include <utility>
#include <exception>
#include <mutex>
#include <thread>

#include "lsp/completion.h"
#include "lsp/engine_edits.h"
#include "lsp/protocol.h"
#include "lsp/transport.h"
#include "tarnwick_version.h"

namespace tarnwick::lsp {
namespace {

constexpr const char* kInsertTemplateTitle = "Insert documentation comment";
constexpr const char* kInsertTemplateKind = "refactor.rewrite";

bool WantsKind(const Json& params, const std::string& kind) {
  const Json* only = nullptr;
  if (params.contains("context") && params["context"].contains("only")) {
    only = &params["context"]["only"];
  }
  if (only == nullptr || !only->is_array()) {
    return true;
  }
  for (const Json& wanted : *only) {
    if (!wanted.is_string()) {
      continue;
    }
    const std::string& prefix = wanted.get_ref<const std::string&>();
    if (kind == prefix || kind.rfind(prefix + ".", 0) == 0) {
      return true;
    }
  }
  return false;
}

std::optional<TypedKey> KeyFrom(const Json& ch) {
  const std::string& text = ch.get_ref<const std::string&>();
  if (text == "'") {
    return TypedKey::kApostrophe;
  }
  if (text == "\n" || text == "\r\n" || text == "\r") {
    return TypedKey::kEnter;
  }
  if (text == ">") {
    return TypedKey::kGreaterThan;
  }
  return std::nullopt;
}

Json ToJson(const CompletionEntry& entry) {
  // CompletionItemKind: Snippet 15, Property 10 for tags, Variable 6 for names.
  const int kind = entry.kind == CompletionEntry::Kind::kTemplate ? 15
                   : entry.kind == CompletionEntry::Kind::kTag    ? 10
                                                                  : 6;
  Json item = {{"label", Utf8(entry.label)},
               {"kind", kind},
               {"detail", Utf8(entry.detail)},
               {"textEdit", lsp::ToJson(entry.edit)},
               {"insertTextFormat", entry.snippet ? 2 : 1}};
  if (!entry.filterText.empty()) {
    item["filterText"] = Utf8(entry.filterText);
  }
  if (entry.preselect) {
    item["preselect"] = true;
  }
  return item;
}

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

}  // namespace

Server::Server(Dispatcher::Send send) : rpc(std::move(send)) {
  BindLifecycle();
  BindDocuments();
  BindEditing();
}

const TextDocument* Server::Document(const std::string& uri) const {
  const auto found = documents.find(uri);
  return found == documents.end() ? nullptr : &found->second;
}

TextDocument& Server::Open(const Json& params) {
  const auto found = documents.find(UriFrom(params));
  if (found == documents.end()) {
    throw ResponseError(kInvalidParams, "the document is not open: " + UriFrom(params));
  }
  return found->second;
}

void Server::BindLifecycle() {
  rpc.OnRequest("initialize", [this](const Json& params) {
    const Json capabilities =
        params.is_object() ? params.value("capabilities", Json::object()) : Json::object();
    client.snippets =
        Flag(capabilities, {"textDocument", "completion", "completionItem", "snippetSupport"});
    return Json{{"capabilities",
                 {{"positionEncoding", "utf-16"},
                  {"textDocumentSync", {{"openClose", true}, {"change", 2}}},
                  {"completionProvider",
                   {{"triggerCharacters", {"'", "<", "\""}}, {"resolveProvider", false}}},
                  {"documentOnTypeFormattingProvider",
                   {{"firstTriggerCharacter", "\n"}, {"moreTriggerCharacter", {">"}}}},
                  {"codeActionProvider", {{"codeActionKinds", {kInsertTemplateKind}}}}}},
                {"serverInfo", {{"name", "tarnwick-lsp"}, {"version", TARNWICK_VERSION_TEXT}}}};
  });
  rpc.OnNotification("initialized", [](const Json&) {});
}

void Server::BindDocuments() {
  rpc.OnNotification("textDocument/didOpen", [this](const Json& params) {
    const Json& item = params.at("textDocument");
    documents.insert_or_assign(item.at("uri").get<std::string>(),
                               TextDocument(WideFrom(item.at("text"))));
  });
  rpc.OnNotification("textDocument/didChange", [this](const Json& params) {
    const auto found = documents.find(UriFrom(params));
    if (found == documents.end()) {
      return;
    }
    for (const Json& change : params.at("contentChanges")) {
      const std::wstring text = WideFrom(change.at("text"));
      if (change.contains("range")) {
        found->second.Replace(RangeFrom(change["range"]), text);
      } else {
        found->second.SetText(text);
      }
    }
  });
  rpc.OnNotification("textDocument/didClose",
                     [this](const Json& params) { documents.erase(UriFrom(params)); });
}

void Server::BindEditing() {
  rpc.OnRequest("tarnwick/autoInsert", [this](const Json& params) -> Json {
    const TextDocument& document = Open(params);
    const auto key = KeyFrom(params.at("ch"));
    if (!key) {
      return nullptr;
    }
    const auto edit = EditForTypedKey(document, PositionFrom(params.at("position")), *key);
    if (!edit) {
      return nullptr;
    }
    return Json{{"textEdit", lsp::ToJson(SnippetEdit(document, *edit))}, {"textEditFormat", 2}};
  });
  rpc.OnRequest("textDocument/onTypeFormatting", [this](const Json& params) -> Json {
    const TextDocument& document = Open(params);
    const auto key = KeyFrom(params.at("ch"));
    Json edits = Json::array();
    if (!key || *key == TypedKey::kApostrophe) {
      return edits;
    }
    if (const auto edit = EditForTypedKey(document, PositionFrom(params.at("position")), *key)) {
      edits.push_back(lsp::ToJson(PlainEdit(document, *edit)));
    }
    return edits;
  });
  rpc.OnRequest("textDocument/completion", [this](const Json& params) -> Json {
    const TextDocument& document = Open(params);
    Json items = Json::array();
    for (const CompletionEntry& entry :
         Complete(document, PositionFrom(params.at("position")), client.snippets)) {
      items.push_back(ToJson(entry));
    }
    return Json{{"isIncomplete", false}, {"items", items}};
  });
  rpc.OnRequest("textDocument/codeAction", [this](const Json& params) -> Json {
    const TextDocument& document = Open(params);
    Json actions = Json::array();
    const TextRange range = RangeFrom(params.at("range"));
    if (WantsKind(params, kInsertTemplateKind)) {
      if (const auto edit = TemplateAbove(document, range.start.line)) {
        actions.push_back(
            {{"title", kInsertTemplateTitle},
             {"kind", kInsertTemplateKind},
             {"edit",
              {{"changes",
                {{UriFrom(params), Json::array({lsp::ToJson(PlainEdit(document, *edit))})}}}}}});
      }
    }
    return actions;
  });
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
    Dispatcher& rpc = server.Rpc();
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
