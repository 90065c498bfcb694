// The shared keystroke tables through the server: each case's keys typed into
// an open document, the server asked after each apostrophe, Enter and '>', and
// its edit applied as a client applies it. The text must come out as the
// add-in leaves it, and with autoInsert's snippets the caret too.
#include <gtest/gtest.h>

#include <string>

#include "lsp/server.h"
#include "simulator/keys.h"
#include "tests/cases/caret_text.h"
#include "tests/cases/keystroke_cases.h"
#include "tests/lsp/test_client.h"
#include "text/utf.h"

namespace tarnwick::lsp {
namespace {

const std::string kUri = "file:///work/Module1.bas";

// The text of a snippet, with where a client puts the caret once it is
// inserted: the first tab stop, or $0 when there is none.
struct InsertedSnippet {
  std::wstring text;
  TextPosition caret;  // relative to the snippet's start
};

InsertedSnippet ExpandSnippet(const std::wstring& snippet) {
  InsertedSnippet out;
  TextPosition at;
  int best = -1;  // the lowest stop number above 0 seen, 0 for $0 only
  auto mark = [&](int number) {
    if ((number > 0 && (best <= 0 || number < best)) || (number == 0 && best < 0)) {
      best = number;
      out.caret = at;
    }
  };
  for (size_t i = 0; i < snippet.size(); ++i) {
    const wchar_t c = snippet[i];
    if (c == L'\\' && i + 1 < snippet.size()) {
      out.text += snippet[++i];
      ++at.character;
    } else if (c == L'$' && i + 1 < snippet.size() && iswdigit(snippet[i + 1])) {
      mark(snippet[++i] - L'0');
    } else if (c == L'$' && i + 2 < snippet.size() && snippet[i + 1] == L'{') {
      const size_t close = snippet.find(L'}', i);
      mark(std::stoi(snippet.substr(i + 2, close - i - 2)));
      i = close;
    } else {
      out.text += c;
      if (c == L'\n') {
        ++at.line;
        at.character = 0;
      } else {
        ++at.character;
      }
    }
  }
  return out;
}

enum class Route { kAutoInsert, kOnTypeFormatting };

class ServerKeystrokeTable : public testing::TestWithParam<std::tuple<KeystrokeCase, Route>> {};

bool PlayableThroughServer(const KeystrokeCase& c) {
  for (const Keystroke& key : ParseKeys(c.keys)) {
    if (key.kind != Keystroke::Kind::kCharacter && key.kind != Keystroke::Kind::kEnter) {
      return false;
    }
  }
  return true;
}

TEST_P(ServerKeystrokeTable, LeavesTheAddInsText) {
  const auto& [c, route] = GetParam();
  if (!PlayableThroughServer(c)) {
    GTEST_SKIP() << "keys the server is not asked about: " << c.keys;
  }
  const CaretText before = ParseCaretText(c.before);
  const CaretText expected = ParseCaretText(c.after);
  std::wstring initial;
  for (size_t i = 0; i < before.lines.size(); ++i) {
    initial += (i ? L"\n" : L"") + before.lines[i];
  }
  TestClient client(true);
  client.Open(kUri, initial);
  TextPosition caret{before.line - 1, before.column - 1};
  bool caretKnown = true;

  for (const Keystroke& key : ParseKeys(c.keys)) {
    if (!caretKnown) {
      GTEST_SKIP() << "a plain edit leaves the caret to the client, and keys follow";
    }
    const bool enter = key.kind == Keystroke::Kind::kEnter;
    const std::wstring typed = enter ? L"\n" : key.text;
    client.Change(kUri, {caret, caret}, typed);
    caret = enter ? TextPosition{caret.line + 1, 0}
                  : TextPosition{caret.line, caret.character + static_cast<int64_t>(typed.size())};
    const std::string ch = enter ? "\n" : WideToUtf8(typed);
    if (ch != "'" && ch != "\n" && ch != ">") {
      continue;
    }
    const Json position = {{"line", caret.line}, {"character", caret.character}};
    const Json where = {{"textDocument", {{"uri", kUri}}}, {"position", position}};
    Json textEdit;
    bool snippet = false;
    if (route == Route::kAutoInsert) {
      Json params = where;
      params["ch"] = ch;
      const Json result = client.Request("tarnwick/autoInsert", params);
      ASSERT_FALSE(result.contains("error")) << result.dump();
      if (!result.is_null()) {
        EXPECT_EQ(result["textEditFormat"], 2);
        textEdit = result["textEdit"];
        snippet = true;
      }
    } else if (ch == "'") {
      // The template comes as the preselected completion item.
      const Json result = client.Request("textDocument/completion", where);
      ASSERT_TRUE(result.contains("items")) << result.dump();
      if (!result["items"].empty()) {
        EXPECT_TRUE(result["items"][0]["preselect"].get<bool>());
        textEdit = result["items"][0]["textEdit"];
        snippet = result["items"][0]["insertTextFormat"] == 2;
      }
    } else {
      Json params = where;
      params["ch"] = ch;
      params["options"] = {{"tabSize", 4}, {"insertSpaces", true}};
      const Json result = client.Request("textDocument/onTypeFormatting", params);
      ASSERT_TRUE(result.is_array()) << result.dump();
      if (!result.empty()) {
        ASSERT_EQ(result.size(), 1u);
        textEdit = result[0];
      }
    }
    if (textEdit.is_null()) {
      continue;
    }
    const TextRange range{
        {textEdit["range"]["start"]["line"], textEdit["range"]["start"]["character"]},
        {textEdit["range"]["end"]["line"], textEdit["range"]["end"]["character"]}};
    const std::wstring newText = Utf8ToWide(textEdit["newText"].get<std::string>());
    const InsertedSnippet inserted =
        snippet ? ExpandSnippet(newText) : InsertedSnippet{newText, {}};
    client.Change(kUri, range, inserted.text);
    caretKnown = snippet;
    caret = {range.start.line + inserted.caret.line,
             (inserted.caret.line == 0 ? range.start.character : 0) + inserted.caret.character};
  }

  const TextDocument* document = client.server.Document(kUri);
  ASSERT_NE(document, nullptr);
  std::vector<std::wstring> lines(document->Lines().Lines());
  const bool sameText = lines == expected.lines;
  const bool sameCaret =
      !caretKnown || (caret.line == expected.line - 1 && caret.character == expected.column - 1);
  EXPECT_TRUE(sameText && sameCaret)
      << c.name << "\nkeys: " << c.keys << "\nexpected:\n"
      << RenderCaretText(expected.lines, expected.line, expected.column) << "actual:\n"
      << RenderCaretText(lines, static_cast<int32_t>(caret.line + 1),
                         static_cast<int32_t>(caret.character + 1));
}

std::string CaseName(const testing::TestParamInfo<ServerKeystrokeTable::ParamType>& info) {
  return std::string(std::get<1>(info.param) == Route::kAutoInsert ? "autoInsert" : "formatting") +
         "_case" + std::to_string(info.index);
}

INSTANTIATE_TEST_SUITE_P(Shared, ServerKeystrokeTable,
                         testing::Combine(testing::ValuesIn(KeystrokeCases()),
                                          testing::Values(Route::kAutoInsert,
                                                          Route::kOnTypeFormatting)),
                         CaseName);

}  // namespace
}  // namespace tarnwick::lsp
