// One run of a command: its arguments, the modules its PATHs hold, loaded as
// far as the command needs, and the exit status it has come to.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "documentation/module.h"
#include "tools/doc/arguments.h"
#include "tools/doc/exit_codes.h"
#include "tools/doc/settings_files.h"

namespace tarnwick {

// What a command needs loaded before it runs.
enum class Stage {
  kOfficeText,  // every PATH an Office file, its modules' text as export writes it
  kParsed,      // every module of the PATHs, parsed
};

class Session {
 public:
  // Loads the PATHs as `stage` asks, and says on `err` what could not be read.
  Session(Arguments arguments, Stage stage, std::ostream& out, std::ostream& err);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // A file or folder that could not be read or written: exit status 2. The
  // path is shown safely whatever bytes it holds.
  void Bad(const std::string& path, int32_t line, const std::string& message);

  // Whether `path` is one of the files the PATHs named or held (read or not):
  // no command writes over its input, except sync --write on purpose.
  bool IsInput(const std::filesystem::path& path) const;

  // --project, else the VBA project's name when the first PATH is an Office
  // file, else the first PATH's name.
  std::wstring Project() const;

  const Arguments arguments;
  std::ostream& out;
  std::ostream& err;
  std::vector<DocModule> modules;  // each with where it came from
  // For each module, what it is checked and synced with: the command line's
  // flags over the nearest settings file of the module's file.
  std::vector<ModuleOptions> options;
  int status = kDocDone;

 private:
  std::optional<std::wstring> project;
  std::vector<std::filesystem::path> inputFiles;
};

// The commands, each over a session loaded for it.
void RunXml(Session& session);
void RunMarkdown(Session& session);
void RunCheck(Session& session);
void RunSync(Session& session);
void RunExport(Session& session);

}  // namespace tarnwick
