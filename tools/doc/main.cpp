// tarnwick-doc: documentation, checks and signature sync from the ''' comments
// of exported VBA modules. See doc_command.cpp for the command line.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include "text/utf.h"
#endif

#include "tools/doc/doc_command.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments;
#ifdef _WIN32
  // The arguments as UTF-8 from the wide command line; output as bytes.
  (void)argv;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  for (int i = 1; wide != nullptr && i < count; ++i) {
    arguments.push_back(tarnwick::WideToUtf8(wide[i]));
  }
  LocalFree(wide);
  _setmode(_fileno(stdout), _O_BINARY);
#else
  arguments.assign(argv + 1, argv + argc);
#endif
  (void)argc;
  try {
    return tarnwick::RunDocCommand(arguments, std::cout, std::cerr);
  } catch (const std::exception& error) {
    std::cerr << "tarnwick-doc: " << error.what() << "\n";
    return tarnwick::kDocBadInput;
  }
}
