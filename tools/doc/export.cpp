#include "tools/doc/export.h"

#include <filesystem>
#include <map>

#include "office/vba_project.h"
#include "text/ascii.h"
#include "text/code_page.h"
#include "text/encoding.h"
#include "files/read_file.h"
#include "text/source_text.h"
#include "tools/doc/doc_command.h"
#include "tools/doc/doc_paths.h"
#include "tools/doc/doc_tasks.h"
#include "tools/doc/exported_module.h"

namespace tarnwick {

namespace {

namespace fs = std::filesystem;

struct Target {
  fs::path path;
  std::string bytes;
  std::string note;  // said on stderr once written
};

std::string Folded(std::string name) {
  for (char& c : name) {
    c = AsciiUpper(c);
  }
  return name;
}

class Exporter {
 public:
  Exporter(const ExportOptions& options, std::ostream& err)
      : options(options), err(err), folder(PathOf(options.out.value_or("."))) {}

  int Go() {
    for (const std::string& file : options.files) {
      Plan(file);
    }
    if (!options.force) {
      bool exists = false;
      for (const Target& target : targets) {
        std::error_code error;
        if (fs::exists(fs::symlink_status(target.path, error))) {
          Bad(Shown(target.path), "the file exists; --force replaces it, and nothing was written");
          exists = true;
        }
      }
      if (exists) {
        return status;
      }
    }
    std::error_code error;
    if (!targets.empty()) {
      fs::create_directories(folder, error);
    }
    for (const Target& target : targets) {
      try {
        WriteAtomically(target.path, target.bytes, options.force);
        if (!target.note.empty()) {
          err << target.note << "\n";
        }
      } catch (const InputError& failure) {
        Bad(Shown(target.path), failure.what());
      }
    }
    return status;
  }

 private:
  void Bad(const std::string& path, const std::string& message) {
    err << Located(path, {0, {}, "error: " + message}) << "\n";
    status = kDocBadInput;
  }

  // The file's modules as targets, all of them or, when one cannot be
  // written, none.
  void Plan(const std::string& file) {
    office::VbaProject project;
    try {
      project = office::ReadVbaProject(ReadFileBytes(PathOf(file)));
    } catch (const InputError& error) {
      return Bad(file, error.what());
    } catch (const office::OfficeError& error) {
      return Bad(file, error.what());
    }
    std::vector<Target> planned;
    std::map<std::string, std::string> names;  // this file's, folded
    for (const office::VbaModule& module : project.modules) {
      const std::string problem = ModuleNameProblem(module.name);
      if (!problem.empty()) {
        return Bad(file, problem + "; nothing of it was exported");
      }
      const ExportedModule exported = ExportOf(module);
      const std::string key = Folded(exported.fileName);
      if (const auto other = taken.find(key); other != taken.end() || names.contains(key)) {
        return Bad(file, "its " + exported.fileName + " would be written twice (" +
                             (other != taken.end() ? "also by " + other->second : "two modules") +
                             "); nothing of it was exported");
      }
      names.emplace(key, file);
      Target target;
      target.path = folder / PathOf(exported.fileName);
      try {
        target.bytes = EncodeCodePage(exported.text, project.codePage);
      } catch (const EncodingError& error) {
        return Bad(file + "/" + exported.shownName,
                   std::string("cannot write its text: ") + error.what());
      }
      if (exported.kind == office::ModuleKind::kForm) {
        target.note =
            Located(file + "/" + exported.shownName,
                    {0,
                     {},
                     "note: its code only went to " + Shown(target.path) +
                         ": a form's layout lives in the designer storage of the Office file, "
                         "which no export of code holds; the editor imports this file as a "
                         "standard module"});
      }
      planned.push_back(std::move(target));
    }
    taken.merge(names);
    for (Target& target : planned) {
      targets.push_back(std::move(target));
    }
  }

  const ExportOptions& options;
  std::ostream& err;
  const fs::path folder;
  std::vector<Target> targets;
  std::map<std::string, std::string> taken;  // file names written, folded, and whose
  int status = kDocDone;
};

}  // namespace

int RunExport(const ExportOptions& options, std::ostream& out, std::ostream& err) {
  (void)out;
  return Exporter(options, err).Go();
}

}  // namespace tarnwick
