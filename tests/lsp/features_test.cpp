// The server's features over a small workspace on disk: diagnostics equal to
// tarnwick-doc check, the quick fixes and the sync action applied, hover,
// signature help, symbols and definition across modules, and the reading of
// the workspace with its progress.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "lsp/rules_document.h"
#include "lsp/uri.h"
#include "tests/lsp/test_client.h"
#include "text/ascii.h"
#include "text/utf.h"
#include "tools/doc/doc_command.h"

namespace tarnwick::lsp {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class Features : public testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() /
           ("tarnwick-lsp-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root);
    fs::create_directories(root / "src");
    Write("src/Bank.bas",
          "Attribute VB_Name = \"Bank\"\r\n"
          "Option Explicit\r\n"
          "''' <summary>Puts <paramref name=\"amount\"/> in, see <see "
          "cref=\"Account.Balance\"/>.</summary>\r\n"
          "''' <param name=\"amount\">How much, in <c>Currency</c>.</param>\r\n"
          "''' <param name=\"note\">What for.</param>\r\n"
          "Public Sub Deposit(ByVal amount As Currency, Optional ByVal note As String)\r\n"
          "End Sub\r\n"
          "Public Enum Coin\r\n    Penny\r\n    Pound\r\nEnd Enum\r\n");
    Write("src/Account.cls",
          "VERSION 1.0 CLASS\r\nBEGIN\r\n  MultiUse = -1  'True\r\nEND\r\n"
          "Attribute VB_Name = \"Account\"\r\n"
          "''' <summary>What is left.</summary>\r\n"
          "''' <returns>The balance.</returns>\r\n"
          "Public Function Balance() As Currency\r\nEnd Function\r\n"
          "Public Property Get Owner() As String\r\n"
          "Attribute Owner.VB_Description = \"Who holds it.\"\r\nEnd Property\r\n");
    Write("src/Main.bas",
          "Attribute VB_Name = \"Main\"\r\n"
          "Sub Run()\r\n"
          "    Dim acct As New Account\r\n"
          "    Deposit 5, \r\n"
          "    Bank.Deposit note:=\"x\", amount:=1\r\n"
          "    Debug.Print acct.Balance()\r\n"
          "    Debug.Print other.Balance()\r\n"
          "    Debug.Print acct.Owner\r\n"
          "End Sub\r\n");
    Write("build/Skipped.bas",
          "Attribute VB_Name = \"Skipped\"\r\nPublic Sub Hidden()\r\nEnd Sub\r\n");
  }
  void TearDown() override { fs::remove_all(root); }

  void Write(const std::string& name, const std::string& text) {
    fs::create_directories((root / name).parent_path());
    std::ofstream(root / name, std::ios::binary) << text;
  }
  std::string Uri(const std::string& name) { return UriFromPath((root / name).generic_string()); }

  Json Initialize(bool pull) {
    Json capabilities = {{"window", {{"workDoneProgress", true}}}};
    if (pull) {
      capabilities["textDocument"] = {{"diagnostic", Json::object()}};
    }
    return {
        {"rootUri", UriFromPath(root.generic_string())},
        {"capabilities", capabilities},
        {"initializationOptions", {{"tarnwick", {{"missing", "all"}, {"exclude", {"build/**"}}}}}}};
  }

  void OpenFile(TestClient& client, const std::string& name) {
    client.Notify("textDocument/didOpen", {{"textDocument",
                                            {{"uri", Uri(name)},
                                             {"languageId", "vba"},
                                             {"version", 1},
                                             {"text", Slurp(root / name)}}}});
  }

  static Json At(const std::string& uri, int64_t line, int64_t character) {
    return {{"textDocument", {{"uri", uri}}},
            {"position", {{"line", line}, {"character", character}}}};
  }

  fs::path root;
};

TEST_F(Features, DiagnosticsAreTheFindingsOfCheck) {
  const fs::path fixture = fs::path(TARNWICK_LSP_FIXTURES) / "EveryRule.bas";
  fs::copy_file(fixture, root / "src/EveryRule.bas");
  std::ostringstream out;
  std::ostringstream err;
  RunDocCommand({"check", "--missing", "all", (root / "src/EveryRule.bas").generic_string()}, out,
                err);
  std::set<std::string> expected;
  std::istringstream lines(out.str());
  for (std::string line; std::getline(lines, line);) {
    expected.insert(line.substr(line.find(".bas:") + 5));  // "LINE: CODE message"
  }
  ASSERT_EQ(expected.size(), 16u) << out.str() << err.str();

  TestClient client(Initialize(true));
  client.server.WaitForWorkspace();
  OpenFile(client, "src/EveryRule.bas");
  const Json report = client.Request("textDocument/diagnostic",
                                     {{"textDocument", {{"uri", Uri("src/EveryRule.bas")}}}});
  std::set<std::string> actual;
  for (const Json& item : report["items"]) {
    EXPECT_EQ(item["source"], "tarnwick");
    actual.insert(std::to_string(item["range"]["start"]["line"].get<int>() + 1) + ": " +
                  item["code"].get<std::string>() + " " + item["message"].get<std::string>());
  }
  EXPECT_EQ(actual, expected);

  // The whole workspace, pulled: every module file but the excluded one.
  const Json workspace =
      client.Request("workspace/diagnostic", {{"previousResultIds", Json::array()}});
  std::set<std::string> uris;
  for (const Json& item : workspace["items"]) {
    uris.insert(item["uri"]);
  }
  EXPECT_EQ(uris.count(Uri("src/Main.bas")), 1u);
  EXPECT_EQ(uris.count(Uri("build/Skipped.bas")), 0u);
}

TEST_F(Features, DiagnosticsLinkToTheirRuleInTheShippedPage) {
  // Beside the program first, then where a Unix install puts it; no page, no link.
  const fs::path program = root / "bin/tarnwick-lsp";
  EXPECT_EQ(RulesDocumentUri(program), "");
  Write("share/tarnwick/rules.md", "# Rules\n");
  EXPECT_EQ(RulesDocumentUri(program), Uri("share/tarnwick/rules.md"));
  Write("bin/rules.md", "# Rules\n");
  const std::string page = RulesDocumentUri(program);
  EXPECT_EQ(page, Uri("bin/rules.md"));

  for (const bool linked : {true, false}) {
    TestClient client(Initialize(true));
    if (linked) {
      client.server.SetRulesDocument(page);
    }
    OpenFile(client, "src/Main.bas");
    const Json report = client.Request("textDocument/diagnostic",
                                       {{"textDocument", {{"uri", Uri("src/Main.bas")}}}});
    ASSERT_FALSE(report["items"].empty()) << report;
    for (const Json& item : report["items"]) {
      if (linked) {
        EXPECT_EQ(item["codeDescription"]["href"],
                  page + "#" + ToAsciiLower(item["code"].get<std::string>()));
      } else {
        EXPECT_FALSE(item.contains("codeDescription")) << item;
      }
    }
  }
}

// A client that sends no settings in its notifications (Neovim's, unless told)
// is asked for them; only the answer to the last question counts.
TEST_F(Features, SettingsAreAskedForWhenTheClientSendsNone) {
  Json initialize = Initialize(true);
  initialize["capabilities"]["workspace"] = {{"configuration", true}};
  TestClient client(initialize);
  OpenFile(client, "src/Main.bas");
  auto questions = [&] {
    std::vector<Json> ids;
    for (const Json& message : client.Sent()) {
      if (message.value("method", "") == "workspace/configuration") {
        EXPECT_EQ(message["params"]["items"], Json::parse(R"([{"section": "tarnwick"}])"));
        ids.push_back(message["id"]);
      }
    }
    return ids;
  };
  auto answer = [&](const Json& id, const Json& section) {
    client.server.Rpc().Handle(
        Json{{"jsonrpc", "2.0"}, {"id", id}, {"result", Json::array({section})}});
  };
  auto codes = [&] {
    std::string codes;
    const Json report = client.Request("textDocument/diagnostic",
                                       {{"textDocument", {{"uri", Uri("src/Main.bas")}}}});
    for (const Json& item : report["items"]) {
      codes += item["code"].get<std::string>() + " ";
    }
    return codes;
  };
  ASSERT_EQ(questions().size(), 1u);  // asked once initialized
  EXPECT_EQ(codes(), "TWD001 ");      // missing = all, from the initialization options
  answer(questions()[0], {{"missing", "none"}});
  EXPECT_EQ(codes(), "");

  // Settings in the notification are read as they are; without them, asked.
  client.Notify("workspace/didChangeConfiguration",
                {{"settings", {{"tarnwick", {{"missing", "all"}}}}}});
  EXPECT_EQ(codes(), "TWD001 ");
  EXPECT_EQ(questions().size(), 1u);
  client.Notify("workspace/didChangeConfiguration", {{"settings", nullptr}});
  client.Notify("workspace/didChangeConfiguration", {{"settings", {{"other", 1}}}});
  const std::vector<Json> asked = questions();
  ASSERT_EQ(asked.size(), 3u);
  answer(asked[1], {{"missing", "none"}});  // stale: a later question is open
  EXPECT_EQ(codes(), "TWD001 ");
  answer(asked[2], nullptr);  // nothing set: the settings stay
  EXPECT_EQ(codes(), "TWD001 ");
}

TEST_F(Features, PushedDiagnosticsFollowTheLatestChange) {
  TestClient client(Initialize(false));
  client.server.WaitForWorkspace();
  OpenFile(client, "src/Main.bas");
  // Two quick changes: only the last one's diagnostics are published for it.
  const std::string uri = Uri("src/Main.bas");
  client.Change(uri, {{1, 0}, {1, 0}}, L"Public Sub A()\r\nEnd Sub\r\n");
  client.Change(uri, {{1, 0}, {1, 0}}, L"''' <summary>A.</summary>\r\n");
  for (int i = 0; i < 100; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    bool done = false;
    for (const Json& message : client.Sent()) {
      done = done || (message.value("method", "") == "textDocument/publishDiagnostics" &&
                      message["params"]["uri"] == uri && message["params"].contains("version"));
    }
    if (done) {
      break;
    }
  }
  std::vector<Json> published;
  for (const Json& message : client.Sent()) {
    if (message.value("method", "") == "textDocument/publishDiagnostics" &&
        message["params"]["uri"] == uri) {
      published.push_back(message["params"]);
    }
  }
  // Once after reading the workspace (no version), then for the open document.
  ASSERT_FALSE(published.empty());
  EXPECT_EQ(published.back()["version"], 3);
  // The progress of the reading came first.
  std::vector<std::string> progress;
  for (const Json& message : client.Sent()) {
    if (message.value("method", "") == "$/progress") {
      progress.push_back(message["params"]["value"]["kind"]);
    }
  }
  ASSERT_GE(progress.size(), 2u);
  EXPECT_EQ(progress.front(), "begin");
  EXPECT_EQ(progress.back(), "end");
}

TEST_F(Features, HoverAndSignatureHelpShowTheDocumentation) {
  TestClient client(Initialize(false));
  client.server.WaitForWorkspace();
  OpenFile(client, "src/Main.bas");
  const std::string main = Uri("src/Main.bas");

  const Json unqualified = client.Request("textDocument/hover", At(main, 3, 6));
  const std::string text = unqualified["contents"]["value"];
  EXPECT_NE(text.find("```vb"), std::string::npos) << text;
  EXPECT_NE(text.find("Public Sub Deposit(ByVal amount As Currency"), std::string::npos) << text;
  EXPECT_NE(text.find("Puts `amount` in"), std::string::npos) << text;
  // A cref is a link to the member it names.
  EXPECT_NE(text.find("[`Account.Balance`](" + Uri("src/Account.cls") + "#L8)"), std::string::npos)
      << text;
  EXPECT_NE(text.find("How much"), std::string::npos) << text;
  EXPECT_FALSE(client.Request("textDocument/hover", At(main, 4, 10)).is_null());  // Bank.Deposit
  const Json typed = client.Request("textDocument/hover", At(main, 5, 23));       // acct.Balance
  EXPECT_NE(typed["contents"]["value"].get<std::string>().find("What is left."), std::string::npos);
  EXPECT_TRUE(client.Request("textDocument/hover", At(main, 6, 24)).is_null());  // other: unknown
  // Documented by its description alone.
  const Json described = client.Request("textDocument/hover", At(main, 7, 23));
  EXPECT_NE(described.dump().find("Who holds it."), std::string::npos) << described.dump();

  const Json help = client.Request("textDocument/signatureHelp", At(main, 3, 15));
  ASSERT_EQ(help["signatures"].size(), 1u) << help.dump();
  EXPECT_EQ(help["activeParameter"], 1);
  const Json& signature = help["signatures"][0];
  EXPECT_EQ(signature["label"],
            "Public Sub Deposit(ByVal amount As Currency, Optional ByVal note As String)");
  EXPECT_EQ(signature["parameters"][1]["label"], Json::array({45, 74}));
  EXPECT_EQ(signature["parameters"][1]["documentation"]["value"], "What for.");
  // A named argument selects its parameter.
  const Json named = client.Request("textDocument/signatureHelp", At(main, 4, 25));
  EXPECT_EQ(named["activeParameter"], 1) << named.dump();

  // A declaration renamed on its own line: the module is read again.
  OpenFile(client, "src/Bank.bas");
  client.Change(Uri("src/Bank.bas"), {{5, 17}, {5, 18}}, L"t2");
  EXPECT_TRUE(client.Request("textDocument/hover", At(main, 3, 6)).is_null());
  EXPECT_FALSE(client.Request("textDocument/hover", At(Uri("src/Bank.bas"), 5, 13)).is_null());
}

TEST_F(Features, SymbolsAndDefinitionAcrossTheWorkspace) {
  TestClient client(Initialize(false));
  client.server.WaitForWorkspace();
  OpenFile(client, "src/Main.bas");
  OpenFile(client, "src/Bank.bas");
  const Json symbols = client.Request("textDocument/documentSymbol",
                                      {{"textDocument", {{"uri", Uri("src/Bank.bas")}}}});
  ASSERT_EQ(symbols.size(), 2u) << symbols.dump();
  EXPECT_EQ(symbols[1]["name"], "Coin");
  EXPECT_EQ(symbols[1]["children"].size(), 2u);
  EXPECT_EQ(symbols[1]["children"][1]["name"], "Pound");

  const Json found = client.Request("workspace/symbol", {{"query", "bal"}});
  ASSERT_EQ(found.size(), 1u) << found.dump();
  EXPECT_EQ(found[0]["location"]["uri"], Uri("src/Account.cls"));
  EXPECT_TRUE(client.Request("workspace/symbol", {{"query", "Hidden"}}).empty());

  // Inside cref="...", the workspace's members by their module's name.
  client.Change(Uri("src/Main.bas"), {{1, 0}, {1, 0}}, L"''' <see cref=\"\r\n");
  std::set<std::string> crefs;
  const Json completion = client.Request("textDocument/completion", At(Uri("src/Main.bas"), 1, 15));
  for (const Json& item : completion["items"]) {
    crefs.insert(item["label"].get<std::string>());
  }
  EXPECT_EQ(crefs.count("Bank.Deposit"), 1u);
  EXPECT_EQ(crefs.count("Account.Balance"), 1u);
  client.Change(Uri("src/Main.bas"), {{1, 0}, {2, 0}}, L"");

  const Json definition = client.Request("textDocument/definition", At(Uri("src/Main.bas"), 3, 6));
  ASSERT_EQ(definition.size(), 1u) << definition.dump();
  EXPECT_EQ(definition[0]["uri"], Uri("src/Bank.bas"));
  EXPECT_EQ(definition[0]["range"]["start"]["line"], 5);
}

TEST_F(Features, QuickFixesAndTheSyncActionEditOnlyWhatChanges) {
  const fs::path fixture = fs::path(TARNWICK_LSP_FIXTURES) / "EveryRule.bas";
  fs::copy_file(fixture, root / "src/EveryRule.bas");
  TestClient client(Initialize(true));
  const std::string uri = Uri("src/EveryRule.bas");
  OpenFile(client, "src/EveryRule.bas");
  const Json report = client.Request("textDocument/diagnostic", {{"textDocument", {{"uri", uri}}}});
  const Json diagnostics = report["items"];
  auto fixFor = [&](const std::string& code) {
    for (const Json& diagnostic : diagnostics) {
      if (diagnostic["code"] == code) {
        return client.Request(
            "textDocument/codeAction",
            {{"textDocument", {{"uri", uri}}},
             {"range", diagnostic["range"]},
             {"context", {{"diagnostics", {diagnostic}}, {"only", {"quickfix"}}}}});
      }
    }
    return Json();
  };
  const Json template_ = fixFor("TWD001");
  ASSERT_EQ(template_.size(), 1u) << template_.dump();
  const Json templateEdit = template_[0]["edit"]["changes"][uri][0];
  EXPECT_EQ(templateEdit["range"]["start"]["line"], 4);
  EXPECT_EQ(
      templateEdit["newText"],
      "''' <summary>\r\n''' \r\n''' </summary>\r\n''' <remarks></remarks>\r\nPublic Sub NoBlock()");

  const Json sync = fixFor("TWD011");
  ASSERT_EQ(sync.size(), 1u) << sync.dump();
  const Json edits = sync[0]["edit"]["changes"][uri];
  std::string written;
  for (const Json& edit : edits) {
    written += edit["newText"].get<std::string>();
    // Only the lines of Add's block: 28 to 31.
    EXPECT_GE(edit["range"]["start"]["line"].get<int>(), 27) << edit.dump();
    EXPECT_LE(edit["range"]["end"]["line"].get<int>(), 31) << edit.dump();
  }
  EXPECT_NE(written.find("<param name=\"c\">"), std::string::npos) << written;

  const Json description = fixFor("TWD016");
  ASSERT_EQ(description.size(), 1u) << description.dump();
  EXPECT_NE(description[0]["edit"]["changes"][uri][0]["newText"].get<std::string>().find(
                "Says one thing."),
            std::string::npos);

  const Json source = client.Request(
      "textDocument/codeAction",
      {{"textDocument", {{"uri", uri}}},
       {"range",
        {{"start", {{"line", 0}, {"character", 0}}}, {"end", {{"line", 0}, {"character", 0}}}}},
       {"context",
        {{"diagnostics", Json::array()}, {"only", {"source.syncDocumentation.tarnwick"}}}}});
  ASSERT_EQ(source.size(), 1u) << source.dump();
  EXPECT_EQ(source[0]["title"], "Sync documentation in this file");
  // Applied, the file has nothing left for sync to do.
  for (const Json& edit : [&] {
         Json list = source[0]["edit"]["changes"][uri];
         std::reverse(list.begin(), list.end());  // bottom up: ranges stay valid
         return list;
       }()) {
    client.Change(uri,
                  {{edit["range"]["start"]["line"], edit["range"]["start"]["character"]},
                   {edit["range"]["end"]["line"], edit["range"]["end"]["character"]}},
                  Utf8ToWide(edit["newText"].get<std::string>()));
  }
  const Json again = client.Request(
      "textDocument/codeAction",
      {{"textDocument", {{"uri", uri}}},
       {"range",
        {{"start", {{"line", 0}, {"character", 0}}}, {"end", {{"line", 0}, {"character", 0}}}}},
       {"context",
        {{"diagnostics", Json::array()}, {"only", {"source.syncDocumentation.tarnwick"}}}}});
  EXPECT_TRUE(again.empty()) << again.dump();
}

TEST_F(Features, FoldersWatchedFilesAndTheSettingsFile) {
  // A second folder of the workspace, whose settings file asks for no blocks.
  Write("other/.tarnwick", "missing = none\n");
  Write("other/Lone.bas", "Attribute VB_Name = \"Lone\"\r\nPublic Sub Alone()\r\nEnd Sub\r\n");
  Json initialize = Initialize(true);
  initialize.erase("rootUri");
  initialize["workspaceFolders"] = {
      {{"uri", UriFromPath((root / "src").generic_string())}, {"name", "src"}},
      {{"uri", UriFromPath((root / "other").generic_string())}, {"name", "other"}}};
  initialize["capabilities"]["workspace"] = {
      {"didChangeWatchedFiles", {{"dynamicRegistration", true}}}};
  TestClient client(initialize);
  client.server.WaitForWorkspace();

  bool registered = false;
  for (const Json& message : client.Sent()) {
    registered = registered || (message.value("method", "") == "client/registerCapability" &&
                                message["params"]["registrations"][0]["method"] ==
                                    "workspace/didChangeWatchedFiles");
  }
  EXPECT_TRUE(registered);
  EXPECT_EQ(client.Request("workspace/symbol", {{"query", "Alone"}}).size(), 1u);

  // The settings file holds over the client's "missing": "all".
  const Json lone = client.Request("workspace/diagnostic", {{"previousResultIds", Json::array()}});
  for (const Json& report : lone["items"]) {
    if (report["uri"] == Uri("other/Lone.bas")) {
      EXPECT_TRUE(report["items"].empty()) << report.dump();
    }
    if (report["uri"] == Uri("src/Main.bas")) {
      EXPECT_FALSE(report["items"].empty()) << report.dump();
    }
  }

  // The settings file changed: it is read again.
  Write("other/.tarnwick", "missing = all\n");
  client.Notify("workspace/didChangeWatchedFiles",
                {{"changes", {{{"uri", Uri("other/.tarnwick")}, {"type", 2}}}}});
  const Json again = client.Request("workspace/diagnostic", {{"previousResultIds", Json::array()}});
  for (const Json& report : again["items"]) {
    if (report["uri"] == Uri("other/Lone.bas")) {
      EXPECT_FALSE(report["items"].empty()) << report.dump();
    }
  }

  // A file created, then deleted, as the client's watcher reports them.
  Write("src/New.bas", "Attribute VB_Name = \"New\"\r\nPublic Sub Fresh()\r\nEnd Sub\r\n");
  client.Notify("workspace/didChangeWatchedFiles",
                {{"changes", {{{"uri", Uri("src/New.bas")}, {"type", 1}}}}});
  EXPECT_EQ(client.Request("workspace/symbol", {{"query", "Fresh"}}).size(), 1u);
  client.Notify("workspace/didChangeWatchedFiles",
                {{"changes", {{{"uri", Uri("src/New.bas")}, {"type", 3}}}}});
  EXPECT_TRUE(client.Request("workspace/symbol", {{"query", "Fresh"}}).empty());
}

}  // namespace
}  // namespace tarnwick::lsp
