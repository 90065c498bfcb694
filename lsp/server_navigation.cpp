// Hover, signature help, symbols and go to definition.
#include "lsp/hover.h"
#include "lsp/protocol.h"
#include "lsp/server.h"
#include "lsp/server_parts.h"
#include "lsp/signature_help.h"
#include "lsp/symbols.h"

namespace tarnwick::lsp {
namespace {

constexpr size_t kMostWorkspaceSymbols = 1000;

Json SymbolJson(const SymbolEntry& entry) {
  Json children = Json::array();
  for (const SymbolEntry& child : entry.children) {
    children.push_back(SymbolJson(child));
  }
  Json symbol = {{"name", Utf8(entry.name)},
                 {"kind", entry.kind},
                 {"range", lsp::ToJson(entry.range)},
                 {"selectionRange", lsp::ToJson(entry.selectionRange)},
                 {"children", children}};
  if (!entry.detail.empty()) {
    symbol["detail"] = Utf8(entry.detail);
  }
  return symbol;
}

Json LocationJson(const SymbolLocation& location) {
  return {{"uri", location.uri}, {"range", lsp::ToJson(location.range)}};
}

}  // namespace

void Server::BindNavigation() {
  rpc.OnRequest("textDocument/hover", [this](const Json& params) -> Json {
    OpenDocument& document = Open(params);
    const std::vector<WorkspaceModule> modules = Modules();
    const auto hover =
        Hover(modules, Here(document), document.text, PositionFrom(params.at("position")));
    if (!hover) {
      return nullptr;
    }
    return {{"contents", {{"kind", "markdown"}, {"value", hover->markdown}}},
            {"range", lsp::ToJson(hover->range)}};
  });
  rpc.OnRequest("textDocument/signatureHelp", [this](const Json& params) -> Json {
    OpenDocument& document = Open(params);
    const std::vector<WorkspaceModule> modules = Modules();
    const auto signature =
        SignatureAt(modules, Here(document), document.text, PositionFrom(params.at("position")));
    if (!signature) {
      return nullptr;
    }
    Json parameters = Json::array();
    for (const SignatureParameter& parameter : signature->parameters) {
      Json item = {{"label", {parameter.labelStart, parameter.labelEnd}}};
      if (!parameter.documentation.empty()) {
        item["documentation"] = {{"kind", "markdown"}, {"value", Utf8(parameter.documentation)}};
      }
      parameters.push_back(item);
    }
    Json information = {{"label", Utf8(signature->label)}, {"parameters", parameters}};
    if (!signature->documentation.empty()) {
      information["documentation"] = {{"kind", "markdown"},
                                      {"value", Utf8(signature->documentation)}};
    }
    return {{"signatures", Json::array({information})},
            {"activeSignature", 0},
            {"activeParameter", signature->activeParameter}};
  });
  rpc.OnRequest("textDocument/documentSymbol", [this](const Json& params) -> Json {
    OpenDocument& document = Open(params);
    Json symbols = Json::array();
    for (const SymbolEntry& entry : DocumentSymbols(*Parsed(document))) {
      symbols.push_back(SymbolJson(entry));
    }
    return symbols;
  });
  rpc.OnRequest("workspace/symbol", [this](const Json& params) -> Json {
    const std::wstring query = params.contains("query") ? WideFrom(params["query"]) : L"";
    Json symbols = Json::array();
    for (const SymbolLocation& location :
         WorkspaceSymbols(Modules(), query, kMostWorkspaceSymbols)) {
      symbols.push_back({{"name", Utf8(location.name)},
                         {"kind", location.kind},
                         {"containerName", Utf8(location.container)},
                         {"location", LocationJson(location)}});
    }
    return symbols;
  });
  rpc.OnRequest("textDocument/definition", [this](const Json& params) -> Json {
    OpenDocument& document = Open(params);
    const std::vector<WorkspaceModule> modules = Modules();
    Json locations = Json::array();
    for (const SymbolLocation& location :
         Definition(modules, Here(document), document.text, PositionFrom(params.at("position")))) {
      locations.push_back(LocationJson(location));
    }
    return locations;
  });
}

}  // namespace tarnwick::lsp
