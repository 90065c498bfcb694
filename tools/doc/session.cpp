#include "tools/doc/session.h"

#include <algorithm>
#include <filesystem>
#include <utility>

#include "files/same_file.h"
#include "text/shown_text.h"
#include "text/utf.h"
#include "tools/doc/doc_paths.h"
#include "tools/doc/inputs.h"
#include "tools/doc/settings_files.h"

namespace tarnwick {

namespace {

namespace fs = std::filesystem;

// The project's default name: the first PATH's, without its extension.
std::wstring DefaultProject(const std::string& first) {
  fs::path path = PathOf(first).lexically_normal();
  if (!path.has_filename()) {
    path = path.parent_path();
  }
  if (path.empty() || path.filename() == "." || path.filename() == "..") {
    std::error_code error;
    path = fs::absolute(path.empty() ? fs::path(".") : path, error).lexically_normal();
    if (!path.has_filename()) {
      path = path.parent_path();
    }
  }
  return Utf8ToWide(ShownText(Shown(path.stem())));
}

}  // namespace

Session::Session(Arguments given, Stage stage, std::ostream& out, std::ostream& err)
    : arguments(std::move(given)), out(out), err(err) {
  SettingsFiles settingsFiles(err);
  Inputs inputs =
      LoadInputs(arguments.paths,
                 {arguments.encoding,
                  [this](const SettingsFile* file) { return OptionsFor(arguments, file).encoding; },
                  stage == Stage::kOfficeText, &settingsFiles});
  for (const std::string& error : inputs.errors) {
    err << error << "\n";
    status = kDocBadInput;
  }
  modules = std::move(inputs.modules);
  for (const SettingsFile* file : inputs.settings) {
    options.push_back(OptionsFor(arguments, file));
  }
  project = std::move(inputs.project);
  inputFiles = std::move(inputs.files);
}

bool Session::IsInput(const fs::path& path) const {
  return std::any_of(inputFiles.begin(), inputFiles.end(),
                     [&](const fs::path& input) { return IsSameFile(path, input); });
}

void Session::Bad(const std::string& path, int32_t line, const std::string& message) {
  err << Located(ShownText(path), {line, {}, "error: " + ShownText(message)}) << "\n";
  status = kDocBadInput;
}

std::wstring Session::Project() const {
  return arguments.project ? Utf8ToWide(ShownText(*arguments.project))
         : project         ? *project
                           : DefaultProject(arguments.paths[0]);
}

}  // namespace tarnwick
