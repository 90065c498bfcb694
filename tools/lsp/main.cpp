// tarnwick-lsp: the language server, speaking over standard input and output.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "lsp/server.h"
#include "tarnwick_version.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
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
  tarnwick::lsp::ServerOptions options;
  options.inputMayBlock = true;
  const int code = tarnwick::lsp::RunServer(std::cin, std::cout, options);
  std::cout.flush();
  // The reader thread may still wait on standard input: end without unwinding.
  std::_Exit(code);
}
