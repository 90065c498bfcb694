// tarnwick-lsp: the language server, speaking over standard input and output.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "lsp/rules_document.h"
#include "lsp/server.h"
#include "tarnwick_version.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace {

constexpr const char kUsage[] =
    "usage: tarnwick-lsp [--stdio]\n"
    "       tarnwick-lsp --version | --help\n"
    "\n"
    "The language server for VBA module files (.bas, .cls, .frm): the\n"
    "documentation comment template, continuation and closing tags as you type,\n"
    "tag completion, hover, signature help, diagnostics and code actions. It\n"
    "speaks the Language Server Protocol over standard input and output.\n";

// This program's own file; empty when the system does not say.
std::filesystem::path ExecutablePath() {
#ifdef _WIN32
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD size = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (size == 0) {
      return {};
    }
    if (size < path.size()) {
      path.resize(size);
      return path;
    }
    if (path.size() >= 32768) {
      return {};
    }
    path.resize(path.size() * 2);
  }
#else
  std::error_code error;
  std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : path;
#endif
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) {
      std::cout << "tarnwick-lsp " << TARNWICK_VERSION_TEXT << "\n";
      return 0;
    }
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::cout << kUsage;
      return 0;
    }
    if (std::strcmp(argv[i], "--stdio") != 0) {
      std::cerr << "tarnwick-lsp: error: unknown option " << argv[i] << "\n" << kUsage;
      return 2;
    }
  }
#ifdef _WIN32
  // The framing counts bytes: no CR may be added or taken away.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  std::ios::sync_with_stdio(false);
  // Reading standard input would flush standard output from the reader's
  // thread, while the handlers' thread writes to it.
  std::cin.tie(nullptr);
  tarnwick::lsp::ServerOptions options;
  options.inputMayBlock = true;
  options.rulesDocument = tarnwick::lsp::RulesDocumentUri(ExecutablePath());
  const int code = tarnwick::lsp::RunServer(std::cin, std::cout, options);
  std::cout.flush();
  // The reader thread may still wait on standard input: end without unwinding.
  std::_Exit(code);
}
