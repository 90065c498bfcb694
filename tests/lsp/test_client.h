// A client for the tests: one Server, driven message by message, with what it
// sends kept for inspection.
#pragma once

#include <string>
#include <vector>

#include "lsp/server.h"
#include "text/utf.h"

namespace tarnwick::lsp {

class TestClient {
 public:
  explicit TestClient(bool snippets = true)
      : server([this](const Json& message) { sent.push_back(message); }) {
    Request("initialize",
            {{"capabilities",
              {{"textDocument",
                {{"completion", {{"completionItem", {{"snippetSupport", snippets}}}}}}}}}});
    Notify("initialized", Json::object());
  }

  // The result of a request; a JSON-RPC error fails the test's expectation.
  Json Request(const std::string& method, const Json& params) {
    const int id = ++lastId;
    sent.clear();
    server.Rpc().Handle(
        Json{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}});
    for (const Json& message : sent) {
      if (message.contains("id") && message["id"] == id) {
        return message.contains("result") ? message["result"] : Json{{"error", message["error"]}};
      }
    }
    return Json{{"error", "no answer"}};
  }
  void Notify(const std::string& method, const Json& params) {
    server.Rpc().Handle(Json{{"jsonrpc", "2.0"}, {"method", method}, {"params", params}});
  }
  void Open(const std::string& uri, const std::wstring& text) {
    Notify("textDocument/didOpen",
           {{"textDocument",
             {{"uri", uri}, {"languageId", "vba"}, {"version", 1}, {"text", WideToUtf8(text)}}}});
  }
  void Change(const std::string& uri, const TextRange& range, const std::wstring& text) {
    Notify("textDocument/didChange",
           {{"textDocument", {{"uri", uri}, {"version", ++version}}},
            {"contentChanges",
             Json::array({{{"range", ToJson(range)}, {"text", WideToUtf8(text)}}})}});
  }
  static Json ToJson(const TextRange& range) {
    return {{"start", {{"line", range.start.line}, {"character", range.start.character}}},
            {"end", {{"line", range.end.line}, {"character", range.end.character}}}};
  }

  Server server;
  std::vector<Json> sent;

 private:
  int lastId = 0;
  int version = 1;
};

}  // namespace tarnwick::lsp
