#include "lsp/server.h"

#include <optional>

#include "documentation/check_rules.h"
#include "lsp/completion.h"
#include "lsp/engine_edits.h"
#include "lsp/protocol.h"
#include "lsp/server_parts.h"
#include "lsp/sync_actions.h"

namespace tarnwick::lsp {

namespace {

constexpr const char* kInsertTemplateTitle = "Insert documentation comment";
constexpr const char* kInsertTemplateKind = "refactor.rewrite";
constexpr const char* kQuickFixKind = "quickfix";
constexpr const char* kSyncFileKind = "source.syncDocumentation.tarnwick";
constexpr const char* kSyncFileTitle = "Sync documentation in this file";

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

Json WorkspaceEditJson(const std::string& uri, const std::vector<TextEdit>& edits) {
  Json list = Json::array();
  for (const TextEdit& edit : edits) {
    list.push_back(lsp::ToJson(edit));
  }
  return {{"changes", {{uri, list}}}};
}

Json Action(const std::string& title, const char* kind, const std::string& uri,
            const std::vector<TextEdit>& edits) {
  return {{"title", title}, {"kind", kind}, {"edit", WorkspaceEditJson(uri, edits)}};
}

}  // namespace

Json CodeActionKinds() {
  return {kQuickFixKind, kInsertTemplateKind, kSyncFileKind};
}

void Server::BindEditing() {
  rpc.OnRequest("tarnwick/autoInsert", [this](const Json& params) -> Json {
    const TextDocument& document = Open(params).text;
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
    const TextDocument& document = Open(params).text;
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
    const TextDocument& document = Open(params).text;
    // Inside cref="...": every member of the workspace as Module.Member.
    const auto crefs = [this] {
      std::vector<std::wstring> names;
      for (const WorkspaceModule& module : Modules()) {
        for (const Member& member : module.module->module.members) {
          for (const std::wstring& name : member.declaration.names) {
            names.push_back(module.module->module.name + L"." + name);
          }
        }
      }
      return names;
    };
    Json items = Json::array();
    for (const CompletionEntry& entry :
         Complete(document, PositionFrom(params.at("position")), client.snippets, crefs)) {
      items.push_back(ToJson(entry));
    }
    return Json{{"isIncomplete", false}, {"items", items}};
  });
  rpc.OnRequest("textDocument/codeAction", [this](const Json& params) -> Json {
    OpenDocument& open = Open(params);
    const TextDocument& document = open.text;
    const std::string& uri = open.uri;
    Json actions = Json::array();
    const TextRange range = RangeFrom(params.at("range"));
    const bool descriptions = SettingsFor(open.path).descriptions;
    std::optional<std::vector<tarnwick::LineEdit>> syncEdits;
    auto sync = [&]() -> const std::vector<tarnwick::LineEdit>& {
      if (!syncEdits) {
        syncEdits = SyncEditsOf(*Parsed(open), descriptions);
      }
      return *syncEdits;
    };
    // Quick fixes for the diagnostics the client shows here.
    if (WantsKind(params, kQuickFixKind) && params.contains("context") &&
        params["context"].contains("diagnostics")) {
      for (const Json& diagnostic : params["context"]["diagnostics"]) {
        if (!diagnostic.is_object() || !diagnostic.contains("code") ||
            !diagnostic["code"].is_string()) {
          continue;
        }
        const std::string code = diagnostic["code"].get<std::string>();
        const int64_t line = RangeFrom(diagnostic.at("range")).start.line;
        Json action;
        if (code == kNoBlock) {
          if (const auto edit = TemplateAbove(document, line)) {
            action = Action(kInsertTemplateTitle, kQuickFixKind, uri, {PlainEdit(document, *edit)});
          }
        } else if (code == kUnknownParam || code == kMissingParam || code == kParamOrder ||
                   code == kMissingReturns || code == kDescriptionDiffers) {
          const auto edits = MemberEdits(*Parsed(open), sync(), line);
          if (!edits.empty()) {
            action = Action(code == kDescriptionDiffers
                                ? "Bring the description in line with the summary"
                                : "Sync this member's documentation",
                            kQuickFixKind, uri, ToTextEdits(document, edits));
          }
        }
        if (!action.is_null()) {
          action["diagnostics"] = Json::array({diagnostic});
          action["isPreferred"] = true;
          actions.push_back(std::move(action));
        }
      }
    }
    if (WantsKind(params, kInsertTemplateKind)) {
      if (const auto edit = TemplateAbove(document, range.start.line)) {
        actions.push_back(
            Action(kInsertTemplateTitle, kInsertTemplateKind, uri, {PlainEdit(document, *edit)}));
      }
    }
    if (WantsKind(params, kSyncFileKind)) {
      const auto& edits = sync();
      if (!edits.empty()) {
        actions.push_back(Action(kSyncFileTitle, kSyncFileKind, uri, ToTextEdits(document, edits)));
      }
    }
    return actions;
  });
}

}  // namespace tarnwick::lsp
