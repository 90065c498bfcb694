// tarnwick-replay MODULE_FILE --caret L:C --keys KEYS [--json]
//
// Loads a module into the simulated editor, puts the caret at L:C, plays KEYS
// (the keystroke notation of simulator/keys.h) and prints the resulting module,
// or with --json a report of the lines, caret, selection and each keystroke.
// Bad input prints one message on stderr and exits with status 2.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "text/source_text.h"
#include "simulator/keys.h"
#include "simulator/simulated_code_window.h"
#include "text/utf.h"

namespace tarnwick {
namespace {

constexpr int kBadInput = 2;
constexpr const char kUsage[] =
    "usage: tarnwick-replay MODULE_FILE --caret L:C --keys KEYS [--json]";

struct Arguments {
  std::string modulePath;
  std::string caret;
  std::string keys;
  bool json = false;
  bool haveCaret = false;
  bool haveKeys = false;
};

Arguments ParseArguments(int argc, char** argv) {
  Arguments arguments;
  bool havePath = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    auto value = [&](const char* option) -> std::string {
      if (i + 1 >= argc) {
        throw InputError(std::string(option) + " needs a value\n" + kUsage);
      }
      return argv[++i];
    };
    if (arg == "--caret") {
      arguments.caret = value("--caret");
      arguments.haveCaret = true;
    } else if (arg == "--keys") {
      arguments.keys = value("--keys");
      arguments.haveKeys = true;
    } else if (arg == "--json") {
      arguments.json = true;
    } else if (arg.starts_with("--")) {
      throw InputError("unknown option '" + std::string(arg) + "'\n" + kUsage);
    } else if (havePath) {
      throw InputError("more than one module file given\n" + std::string(kUsage));
    } else {
      arguments.modulePath = arg;
      havePath = true;
    }
  }
  if (!havePath) {
    throw InputError(std::string("no module file given\n") + kUsage);
  }
  if (!arguments.haveCaret) {
    throw InputError(std::string("--caret L:C is required\n") + kUsage);
  }
  if (!arguments.haveKeys) {
    throw InputError(std::string("--keys KEYS is required\n") + kUsage);
  }
  return arguments;
}

// "L:C", both positive, inside the module (column up to the line's length + 1).
Selection ParseCaret(const std::string& text, const Module& module) {
  const size_t colon = text.find(':');
  auto number = [&](std::string_view digits) -> int32_t {
    if (digits.empty() || digits.size() > 9 ||
        digits.find_first_not_of("0123456789") != std::string_view::npos) {
      throw InputError("--caret '" + text + "' is not of the form L:C");
    }
    return std::stoi(std::string(digits));
  };
  if (colon == std::string::npos) {
    throw InputError("--caret '" + text + "' is not of the form L:C");
  }
  const int32_t line = number(std::string_view(text).substr(0, colon));
  const int32_t column = number(std::string_view(text).substr(colon + 1));
  const int32_t lastLine = std::max(1, module.LineCount());
  if (line < 1 || line > lastLine) {
    throw InputError("--caret " + text + ": line " + std::to_string(line) +
                     " is outside the module (lines 1 to " + std::to_string(lastLine) + ")");
  }
  const auto lastColumn = static_cast<int32_t>(module.Line(line).size()) + 1;
  if (column < 1 || column > lastColumn) {
    throw InputError("--caret " + text + ": column " + std::to_string(column) +
                     " is outside line " + std::to_string(line) + " (columns 1 to " +
                     std::to_string(lastColumn) + ")");
  }
  return {line, column, line, column};
}

std::string JsonReport(const SimulatedCodeWindow& window, const std::vector<Keystroke>& keys,
                       const std::vector<KeystrokeReport>& reports) {
  nlohmann::ordered_json report;
  nlohmann::ordered_json& lines = report["lines"] = nlohmann::ordered_json::array();
  for (const std::wstring& line : window.GetModule().Lines()) {
    lines.push_back(WideToUtf8(line));
  }
  const Selection& s = window.CurrentSelection();
  report["caret"] = {s.startLine, s.startColumn};
  report["selection"] = {s.startLine, s.startColumn, s.endLine, s.endColumn};
  nlohmann::ordered_json& played = report["keys"] = nlohmann::ordered_json::array();
  for (size_t i = 0; i < keys.size(); ++i) {
    played.push_back({{"key", keys[i].notation},
                      {"consumed", reports[i].consumed},
                      {"editorCalls", reports[i].editorCalls}});
  }
  // The texts are UTF-8 (the keys were decoded when parsed); should a byte
  // that is not slip through, it is written as U+FFFD, never a failure.
  return report.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

int Run(int argc, char** argv) {
  std::string output;
  try {
    const Arguments arguments = ParseArguments(argc, argv);
    SimulatedCodeWindow window(ReadModuleFile(arguments.modulePath));
    window.Select(ParseCaret(arguments.caret, window.GetModule()));
    const std::vector<Keystroke> keys = ParseKeys(arguments.keys);
    const std::vector<KeystrokeReport> reports = window.Play(keys);
    output =
        arguments.json ? JsonReport(window, keys, reports) : ModuleText(window.GetModule().Lines());
  } catch (const InputError& error) {
    std::cerr << "tarnwick-replay: " << error.what() << '\n';
    return kBadInput;
  } catch (const KeysError& error) {
    std::cerr << "tarnwick-replay: " << error.what() << '\n';
    return kBadInput;
  }
  std::fwrite(output.data(), 1, output.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace
}  // namespace tarnwick

int main(int argc, char** argv) {
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  try {
    return tarnwick::Run(argc, argv);
  } catch (const std::exception& error) {
    std::cerr << "tarnwick-replay: internal error: " << error.what() << '\n';
  } catch (...) {
    std::cerr << "tarnwick-replay: internal error\n";
  }
  return 1;
}
