// tarnwick-host --open FILE.bas [--open FILE.bas ...]
//               [--script KEYS [--out FILE] [--screenshot FILE.png]]
//
// The editor host: a frame with one code window per module, and the add-ins
// that the registry names under HKCU\Software\Microsoft\VBA\VBE\6.0\Addins64
// (Addins in the x86 build) loaded and connected as the editor does it.
//
// Without --script the host is interactive: a person types into the windows
// until the frame is closed. With --script it plays KEYS (the keystroke
// notation of simulator/keys.h) into the active code window, the last one
// opened, printing one transcript line per keystroke; then it writes the
// active module to --out, or prints it after the transcript, and with
// --screenshot saves a picture of the frame as PNG.
//
// An add-in that cannot be loaded is reported on stderr and the host goes on.
// Exit status: 0 done, 1 a failure while running, 2 bad arguments or input.
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <ole2.h>
#include <shellapi.h>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "files/read_file.h"
#include "simulator/host/editor_host.h"
#include "simulator/host/screenshot.h"
#include "simulator/keys.h"
#include "text/utf.h"

namespace tarnwick {
namespace {

constexpr int kBadInput = 2;
constexpr const char kUsage[] =
    "usage: tarnwick-host --open FILE.bas [--open FILE.bas ...] "
    "[--script KEYS [--out FILE] [--screenshot FILE.png]]";

struct Arguments {
  std::vector<std::string> modules;
  std::string keys;
  bool haveScript = false;
  std::string out;
  std::string screenshot;
};

std::vector<std::string> CommandLine() {
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; words != nullptr && i < count; ++i) {
    arguments.push_back(WideToUtf8(words[i]));
  }
  LocalFree(words);
  return arguments;
}

Arguments ParseArguments(const std::vector<std::string>& words) {
  Arguments arguments;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= words.size()) {
        throw InputError(word + " needs a value\n" + kUsage);
      }
      return words[++i];
    };
    if (word == "--open") {
      arguments.modules.push_back(value());
    } else if (word == "--script") {
      arguments.keys = value();
      arguments.haveScript = true;
    } else if (word == "--out") {
      arguments.out = value();
    } else if (word == "--screenshot") {
      arguments.screenshot = value();
    } else {
      throw InputError("unknown argument '" + word + "'\n" + kUsage);
    }
  }
  if (arguments.modules.empty()) {
    throw InputError(std::string("no module given\n") + kUsage);
  }
  if (!arguments.haveScript && (!arguments.out.empty() || !arguments.screenshot.empty())) {
    throw InputError(std::string("--out and --screenshot need --script\n") + kUsage);
  }
  return arguments;
}

// The module's name: the file name without folders and extension.
std::wstring ModuleName(const std::string& path) {
  std::wstring name = Utf8ToWide(path);
  if (const size_t slash = name.find_last_of(L"/\\"); slash != std::wstring::npos) {
    name.erase(0, slash + 1);
  }
  if (const size_t dot = name.rfind(L'.'); dot != std::wstring::npos && dot > 0) {
    name.erase(dot);
  }
  return name;
}

void Print(FILE* stream, const std::string& text) {
  fwrite(text.data(), 1, text.size(), stream);
  fflush(stream);
}

std::string Position(int32_t line, int32_t column) {
  return std::to_string(line) + ":" + std::to_string(column);
}

std::string TranscriptLine(const ScriptStep& step) {
  std::string selection = Position(step.selection.startLine, step.selection.startColumn);
  if (!step.selection.IsCaret()) {
    selection += "-" + Position(step.selection.endLine, step.selection.endColumn);
  }
  std::string key = step.key;
  if (key.size() < 24) {
    key.resize(24, ' ');
  }
  return key + " caret " + selection + (step.textChanged ? "  text changed" : "") + "\n";
}

void WriteFile(const std::string& path, const std::string& text) {
  FILE* file = _wfopen(Utf8ToWide(path).c_str(), L"wb");
  if (file == nullptr) {
    throw std::runtime_error("cannot write '" + path + "'");
  }
  const size_t written = fwrite(text.data(), 1, text.size(), file);
  const bool closed = fclose(file) == 0;
  if (written != text.size() || !closed) {
    throw std::runtime_error("cannot write '" + path + "'");
  }
}

int Run(const Arguments& arguments) {
  std::vector<OpenModule> modules;
  for (const std::string& path : arguments.modules) {
    modules.push_back({ModuleName(path), ReadModuleFile(path)});
  }
  const std::vector<Keystroke> keys =
      arguments.haveScript ? ParseKeys(arguments.keys) : std::vector<Keystroke>{};

  EditorHost host([](const std::wstring& message) { Print(stderr, WideToUtf8(message) + "\n"); });
  host.Start(modules, arguments.haveScript ? SW_SHOWNOACTIVATE : SW_SHOWDEFAULT);
  for (const std::wstring& name : host.ConnectedAddIns()) {
    Print(stdout, "add-in connected: " + WideToUtf8(name) + "\n");
  }
  if (!arguments.haveScript) {
    const int status = host.RunInteractive();
    host.Shutdown();
    return status;
  }

  for (const Keystroke& key : keys) {
    Print(stdout, TranscriptLine(host.Play(key)));
  }
  HostCodeWindow* focused = host.Focused();
  if (focused == nullptr) {
    throw std::runtime_error("no code window is active");
  }
  const std::string result = ModuleText(focused->GetModule().Lines());
  if (!arguments.screenshot.empty()) {
    const Picture picture = CaptureFrame(host.Frame().Handle(), host.Frame().MdiClient());
    WritePng(picture, Utf8ToWide(arguments.screenshot));
  }
  host.Shutdown();
  if (arguments.out.empty()) {
    Print(stdout, "\n" + result);
  } else {
    WriteFile(arguments.out, result);
  }
  return 0;
}

// Initialises COM as a single-threaded apartment with OLE for the thread's
// lifetime.
class OleScope {
 public:
  OleScope() : result(OleInitialize(nullptr)) {}
  ~OleScope() {
    if (SUCCEEDED(result)) {
      OleUninitialize();
    }
  }
  OleScope(const OleScope&) = delete;
  OleScope& operator=(const OleScope&) = delete;
  bool Ok() const { return SUCCEEDED(result); }

 private:
  HRESULT result;
};

}  // namespace
}  // namespace tarnwick

int main() {
  using namespace tarnwick;
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  Arguments arguments;
  try {
    arguments = ParseArguments(CommandLine());
  } catch (const std::exception& error) {
    Print(stderr, std::string("tarnwick-host: ") + error.what() + "\n");
    return kBadInput;
  }
  OleScope ole;
  if (!ole.Ok()) {
    Print(stderr, "tarnwick-host: cannot initialise OLE\n");
    return 1;
  }
  try {
    return Run(arguments);
  } catch (const InputError& error) {
    Print(stderr, std::string("tarnwick-host: ") + error.what() + "\n");
    return kBadInput;
  } catch (const KeysError& error) {
    Print(stderr, std::string("tarnwick-host: ") + error.what() + "\n");
    return kBadInput;
  } catch (const std::exception& error) {
    Print(stderr, std::string("tarnwick-host: ") + error.what() + "\n");
    return 1;
  }
}
