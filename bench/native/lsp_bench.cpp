// tarnwick-lsp: the cost of a keystroke's request as a module grows, of
// diagnostics after an edit beside tarnwick-doc check on the same module, and
// of reading a workspace beside tarnwick-doc check over the same files.
//   LspKeystroke/KIND/LINES  one character typed (didChange), then the request
//                            the client sends for it: completion after '<',
//                            onTypeFormatting and autoInsert for '>',
//                            signatureHelp and hover in a call; modules of
//                            200 and 20,000 lines
//   LspDiagnostics/20000     one character typed, then the module's
//                            diagnostics (pulled, computed at once)
//   DocCheckAlone/20000      tarnwick-doc check on the same module's file
//   LspWorkspace/55000       initialize, initialized and the reading of 50
//                            module files of 1,100 lines
//   DocCheckWorkspace/55000  tarnwick-doc check over the same folder
//   LspMemory/20000          the heap a 20,000-line document holds once open,
//                            read and hovered, per byte of its text (counter
//                            heap_per_source_byte)
// The report sets each pair side by side as a ratio of one run.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "lsp/server.h"
#include "lsp/uri.h"
#include "tools/doc/doc_command.h"

namespace tarnwick::bench {
namespace {

using lsp::Json;
namespace fs = std::filesystem;

// A module of about `lines` lines: documented procedures, and at its end the
// one the keystrokes are typed in.
std::string ModuleOf(int lines, const std::string& name) {
  std::ostringstream out;
  out << "Attribute VB_Name = \"" << name << "\"\r\nOption Explicit\r\n";
  int written = 2;
  for (int p = 0; written < lines - 12; ++p, written += 8) {
    out << "''' <summary>Adds <paramref name=\"a\"/>.</summary>\r\n"
        << "''' <param name=\"a\">The amount.</param>\r\n"
        << "''' <param name=\"b\">The scale.</param>\r\n"
        << "''' <returns>The total.</returns>\r\n"
        << "Public Function Add" << p << "(ByVal a As Double, ByVal b As Double) As Double\r\n"
        << "    Add" << p << " = a * b\r\n"
        << "End Function\r\n\r\n";
  }
  out << "''' <summary>Runs.</summary>\r\n"
      << "''' \r\n"  // the keystroke's line
      << "Public Sub Run()\r\n"
      << "    Add0 1, \r\n"
      << "End Sub\r\n";
  return out.str();
}

int LineCount(const std::string& text) {
  int count = 0;
  for (const char c : text) {
    count += c == '\n';
  }
  return count;
}

Json Message(const std::string& method, const Json& params, int id = 0) {
  Json message = {{"jsonrpc", "2.0"}, {"method", method}, {"params", params}};
  if (id != 0) {
    message["id"] = id;
  }
  return message;
}

Json Position(int line, int character) {
  return {{"line", line}, {"character", character}};
}

void LspKeystroke(benchmark::State& state, const std::string& kind) {
  const std::string text = ModuleOf(static_cast<int>(state.range(0)), "Bench");
  const int lines = LineCount(text);
  const int blockLine = lines - 4;  // "''' "
  const int callLine = lines - 2;   // "    Add0 1, "
  const std::string uri = "file:///bench/Bench.bas";
  lsp::Server server([](const Json&) {});
  lsp::Dispatcher& rpc = server.Rpc();
  rpc.Handle(Message(
      "initialize",
      {{"capabilities",
        {{"textDocument", {{"completion", {{"completionItem", {{"snippetSupport", true}}}}}}}}}},
      1));
  rpc.Handle(Message("initialized", Json::object()));
  rpc.Handle(Message(
      "textDocument/didOpen",
      {{"textDocument", {{"uri", uri}, {"languageId", "vba"}, {"version", 1}, {"text", text}}}}));
  // The text typed before the request: "<c" for completion, "<c>" for the
  // closing tag; a space in the call for signature help and hover.
  const bool inBlock = kind == "completion" || kind == "onTypeFormatting" || kind == "autoInsert";
  const std::string typed = kind == "completion" ? "<c" : inBlock ? "<c>" : " ";
  const int line = inBlock ? blockLine : callLine;
  const int column = inBlock ? 4 : 12;
  const int after = column + static_cast<int>(typed.size());
  const Json typeIt = {
      {"range", {{"start", Position(line, column)}, {"end", Position(line, column)}}},
      {"text", typed}};
  const Json takeBack = {
      {"range", {{"start", Position(line, column)}, {"end", Position(line, after)}}}, {"text", ""}};
  Json request = {{"textDocument", {{"uri", uri}}},
                  {"position", Position(line, kind == "hover" ? 6 : after)}};
  if (kind == "onTypeFormatting" || kind == "autoInsert") {
    request["ch"] = ">";
    request["options"] = {{"tabSize", 4}, {"insertSpaces", true}};
  }
  const std::string method = kind == "completion"         ? "textDocument/completion"
                             : kind == "onTypeFormatting" ? "textDocument/onTypeFormatting"
                             : kind == "autoInsert"       ? "tarnwick/autoInsert"
                             : kind == "signatureHelp"    ? "textDocument/signatureHelp"
                                                          : "textDocument/hover";
  int version = 1;
  int id = 1;
  for (auto _ : state) {
    rpc.Handle(
        Message("textDocument/didChange", {{"textDocument", {{"uri", uri}, {"version", ++version}}},
                                           {"contentChanges", Json::array({typeIt})}}));
    rpc.Handle(Message(method, request, ++id));
    state.PauseTiming();
    rpc.Handle(
        Message("textDocument/didChange", {{"textDocument", {{"uri", uri}, {"version", ++version}}},
                                           {"contentChanges", Json::array({takeBack})}}));
    state.ResumeTiming();
  }
  state.counters["lines"] = lines;
}

void LspDiagnostics(benchmark::State& state) {
  const std::string text = ModuleOf(static_cast<int>(state.range(0)), "Bench");
  const std::string uri = "file:///bench/Bench.bas";
  lsp::Server server([](const Json&) {});
  lsp::Dispatcher& rpc = server.Rpc();
  rpc.Handle(Message("initialize",
                     {{"capabilities", {{"textDocument", {{"diagnostic", Json::object()}}}}}}, 1));
  rpc.Handle(Message("initialized", Json::object()));
  rpc.Handle(Message(
      "textDocument/didOpen",
      {{"textDocument", {{"uri", uri}, {"languageId", "vba"}, {"version", 1}, {"text", text}}}}));
  int version = 1;
  int id = 1;
  for (auto _ : state) {
    rpc.Handle(Message(
        "textDocument/didChange",
        {{"textDocument", {{"uri", uri}, {"version", ++version}}},
         {"contentChanges",
          Json::array({{{"range", {{"start", Position(2, 0)}, {"end", Position(2, version % 2)}}},
                        {"text", version % 2 ? "" : "x"}}})}}));
    rpc.Handle(Message("textDocument/diagnostic", {{"textDocument", {{"uri", uri}}}}, ++id));
  }
  state.counters["lines"] = LineCount(text);
}

fs::path BenchFolder() {
  static const fs::path folder = [] {
    const fs::path path = fs::temp_directory_path() / "tarnwick-lsp-bench";
    fs::remove_all(path);
    fs::create_directories(path / "src");
    for (int m = 0; m < 50; ++m) {
      std::ofstream(path / "src" / ("Module" + std::to_string(m) + ".bas"), std::ios::binary)
          << ModuleOf(1100, "Module" + std::to_string(m));
    }
    std::ofstream(path / "Alone.bas", std::ios::binary) << ModuleOf(20000, "Alone");
    return path;
  }();
  return folder;
}

void DocCheckAlone(benchmark::State& state) {
  const std::string file = (BenchFolder() / "Alone.bas").generic_string();
  for (auto _ : state) {
    std::ostringstream out;
    std::ostringstream err;
    RunDocCommand({"check", file}, out, err);
  }
  state.counters["lines"] = 20000;
}

void LspWorkspace(benchmark::State& state) {
  const std::string root = lsp::UriFromPath((BenchFolder() / "src").generic_string());
  for (auto _ : state) {
    lsp::Server server([](const Json&) {});
    server.Rpc().Handle(Message(
        "initialize",
        {{"rootUri", root}, {"capabilities", {{"textDocument", {{"diagnostic", Json::object()}}}}}},
        1));
    server.Rpc().Handle(Message("initialized", Json::object()));
    server.WaitForWorkspace();
  }
  state.counters["lines"] = 55000;
}

void DocCheckWorkspace(benchmark::State& state) {
  const std::string folder = (BenchFolder() / "src").generic_string();
  for (auto _ : state) {
    std::ostringstream out;
    std::ostringstream err;
    RunDocCommand({"check", folder}, out, err);
  }
  state.counters["lines"] = 55000;
}

void LspMemory(benchmark::State& state) {
  const std::string text = ModuleOf(static_cast<int>(state.range(0)), "Bench");
  const std::string uri = "file:///bench/Bench.bas";
  double perByte = 0;
  for (auto _ : state) {
    const size_t before = mallinfo2().uordblks;
    {
      lsp::Server server([](const Json&) {});
      lsp::Dispatcher& rpc = server.Rpc();
      rpc.Handle(Message("initialize", {{"capabilities", Json::object()}}, 1));
      rpc.Handle(
          Message("textDocument/didOpen",
                  {{"textDocument",
                    {{"uri", uri}, {"languageId", "vba"}, {"version", 1}, {"text", text}}}}));
      rpc.Handle(Message("textDocument/hover",
                         {{"textDocument", {{"uri", uri}}}, {"position", Position(4, 20)}}, 2));
      const size_t held = mallinfo2().uordblks - before;
      perByte = static_cast<double>(held) / static_cast<double>(text.size());
    }
  }
  state.counters["heap_per_source_byte"] = perByte;
}

}  // namespace

BENCHMARK(LspMemory)->Arg(20000)->Iterations(1);
BENCHMARK_CAPTURE(LspKeystroke, completion, std::string("completion"))
    ->Arg(200)
    ->Arg(20000)
    ->UseRealTime();
BENCHMARK_CAPTURE(LspKeystroke, onTypeFormatting, std::string("onTypeFormatting"))
    ->Arg(200)
    ->Arg(20000)
    ->UseRealTime();
BENCHMARK_CAPTURE(LspKeystroke, autoInsert, std::string("autoInsert"))
    ->Arg(200)
    ->Arg(20000)
    ->UseRealTime();
BENCHMARK_CAPTURE(LspKeystroke, signatureHelp, std::string("signatureHelp"))
    ->Arg(200)
    ->Arg(20000)
    ->UseRealTime();
BENCHMARK_CAPTURE(LspKeystroke, hover, std::string("hover"))->Arg(200)->Arg(20000)->UseRealTime();
BENCHMARK(LspDiagnostics)->Arg(20000)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(DocCheckAlone)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(LspWorkspace)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(DocCheckWorkspace)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace tarnwick::bench
