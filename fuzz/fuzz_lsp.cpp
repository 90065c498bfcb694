// The language server on hostile input, two ways:
//   - a framed message stream after a valid start: anything may follow, and
//     the loop must answer or drop it without escaping or hanging;
//   - a document under random incremental edits (ranges inside and outside it,
//     line ends of every kind, edits that split surrogate pairs) sent as the
//     client sends them, with the engine's requests in between. After the
//     sequence the server's text must equal the text rebuilt here
//     independently, unit by unit.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "lsp/json_rpc.h"
#include "lsp/server.h"
#include "text/utf.h"

namespace {

using tarnwick::lsp::Json;

std::string Framed(const std::string& body) {
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

const char kInitialize[] =
    R"({"jsonrpc":"2.0","id":0,"method":"initialize","params":{"capabilities":{}}})";
const char kUri[] = "file:///fuzz/Module1.bas";

// The text rebuilt from the protocol's own definition: lines end at CR LF, CR
// or LF; a position past a line's end is that end, a line past the last is
// the end of the text.
size_t OffsetOf(const std::wstring& text, int64_t line, int64_t character) {
  if (line < 0) {
    return 0;
  }
  size_t start = 0;
  for (int64_t l = 0; l < line; ++l) {
    const size_t end = text.find_first_of(L"\r\n", start);
    if (end == std::wstring::npos) {
      return text.size();
    }
    start = end + (text[end] == L'\r' && end + 1 < text.size() && text[end + 1] == L'\n' ? 2 : 1);
  }
  const size_t end = std::min(text.find_first_of(L"\r\n", start), text.size());
  return start + static_cast<size_t>(std::clamp<int64_t>(character, 0, end - start));
}

// Text to insert: fragments of source, line ends, characters outside the BMP.
std::wstring InsertedText(FuzzedDataProvider& input) {
  std::wstring text;
  const int pieces = input.ConsumeIntegralInRange(0, 4);
  for (int i = 0; i < pieces; ++i) {
    switch (input.ConsumeIntegralInRange(0, 4)) {
      case 0:
        text += tarnwick::fuzz::PickFragment(input);
        break;
      case 1:
        text += input.PickValueInArray({L"\r\n", L"\r", L"\n"});
        break;
      case 2:
        text += L"\xD83D\xDE00";
        break;
      default:
        text += tarnwick::fuzz::MakeLine(input, 3);
        break;
    }
  }
  // Only well-formed UTF-16 travels in JSON.
  return tarnwick::Utf8ToWide(tarnwick::WideToUtf8(text));
}

int64_t Coordinate(FuzzedDataProvider& input) {
  return input.ConsumeBool() ? input.ConsumeIntegralInRange<int64_t>(-1, 12)
                             : input.ConsumeIntegral<int32_t>();
}

void EditSequence(FuzzedDataProvider& input) {
  using namespace tarnwick::lsp;
  Server server([](const Json&) {});
  Dispatcher& rpc = server.Rpc();
  rpc.Handle(Json::parse(kInitialize));
  std::wstring expected = InsertedText(input);
  rpc.Handle(Json{{"jsonrpc", "2.0"},
                  {"method", "textDocument/didOpen"},
                  {"params",
                   {{"textDocument",
                     {{"uri", kUri}, {"languageId", "vba"}, {"version", 1},
                      {"text", tarnwick::WideToUtf8(expected)}}}}}});
  int id = 1;
  while (input.remaining_bytes() > 0) {
    const TextRange range{{Coordinate(input), Coordinate(input)},
                          {Coordinate(input), Coordinate(input)}};
    const std::wstring text = InsertedText(input);
    rpc.Handle(Json{{"jsonrpc", "2.0"},
                    {"method", "textDocument/didChange"},
                    {"params",
                     {{"textDocument", {{"uri", kUri}, {"version", id + 1}}},
                      {"contentChanges",
                       Json::array({{{"range",
                                      {{"start", {{"line", range.start.line},
                                                  {"character", range.start.character}}},
                                       {"end", {{"line", range.end.line},
                                                {"character", range.end.character}}}}},
                                     {"text", tarnwick::WideToUtf8(text)}}})}}}});
    const size_t start = OffsetOf(expected, range.start.line, range.start.character);
    const size_t end = std::max(start, OffsetOf(expected, range.end.line, range.end.character));
    expected.replace(start, end - start, text);

    // Now and then one of the engine's requests at a random place.
    if (input.ConsumeBool()) {
      const Json position = {{"line", Coordinate(input)}, {"character", Coordinate(input)}};
      const char* method = input.PickValueInArray(
          {"tarnwick/autoInsert", "textDocument/completion", "textDocument/onTypeFormatting",
           "textDocument/codeAction"});
      Json params = {{"textDocument", {{"uri", kUri}}},
                     {"position", position},
                     {"ch", input.PickValueInArray({"'", "\n", ">"})},
                     {"range", {{"start", position}, {"end", position}}}};
      rpc.Handle(Json{{"jsonrpc", "2.0"}, {"id", ++id}, {"method", method}, {"params", params}});
    }
  }
  const TextDocument* document = server.Document(kUri);
  if (document == nullptr || document->Text() != expected) {
    std::abort();
  }
}

void FramedStream(FuzzedDataProvider& input) {
  std::string stream = Framed(kInitialize);
  stream += input.ConsumeRemainingBytesAsString();
  std::istringstream in(stream);
  std::ostringstream out;
  tarnwick::lsp::ServerOptions options;
  options.maxMessageBytes = 1 << 16;
  tarnwick::lsp::RunServer(in, out, options);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  if (input.ConsumeBool()) {
    EditSequence(input);
  } else {
    FramedStream(input);
  }
  return 0;
}
