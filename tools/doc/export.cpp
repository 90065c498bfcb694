// export: each module of Office files written as a module file, as the
// editor's File > Export writes it, so that it can be kept under version
// control, documented like any module file, and imported again. Every module
// of every file that was read and whose modules can all be written is
// written; when a file to write exists already and --force is not given,
// nothing at all is.
#include <filesystem>
#include <map>

#include "documentation/exported_module.h"
#include "text/ascii.h"
#include "text/code_page.h"
#include "text/encoding.h"
#include "text/shown_text.h"
#include "text/source_text.h"
#include "tools/doc/doc_paths.h"
#include "tools/doc/session.h"

namespace tarnwick {

namespace {

namespace fs = std::filesystem;

struct Target {
  fs::path path;
  std::string bytes;
  std::string note;  // said on stderr once written
};

class Exporter {
 public:
  explicit Exporter(Session& session)
      : session(session), folder(PathOf(session.arguments.out.value_or("."))) {}

  void Go() {
    // The modules of one Office file follow one another.
    const std::vector<DocModule>& modules = session.modules;
    for (size_t begin = 0, end = 0; begin < modules.size(); begin = end) {
      while (end < modules.size() && modules[end].origin.file == modules[begin].origin.file) {
        ++end;
      }
      Plan(begin, end);
    }
    if (!session.arguments.force) {
      bool exists = false;
      for (const Target& target : targets) {
        std::error_code error;
        if (fs::exists(fs::symlink_status(target.path, error))) {
          session.Bad(Shown(target.path), 0,
                      "the file exists; --force replaces it, and nothing was written");
          exists = true;
        }
      }
      if (exists) {
        return;
      }
    }
    std::error_code error;
    if (!targets.empty()) {
      fs::create_directories(folder, error);
    }
    for (const Target& target : targets) {
      try {
        WriteAtomically(target.path, target.bytes, session.arguments.force);
        if (!target.note.empty()) {
          session.err << target.note << "\n";
        }
      } catch (const InputError& failure) {
        session.Bad(Shown(target.path), 0, failure.what());
      }
    }
  }

 private:
  // The modules [begin, end) of one Office file as targets, all of them or,
  // when one cannot be written, none.
  void Plan(size_t begin, size_t end) {
    const std::string& file = session.modules[begin].origin.file;
    std::vector<Target> planned;
    std::map<std::string, std::string> names;  // this file's, folded
    for (size_t i = begin; i < end; ++i) {
      const DocModule& module = session.modules[i];
      const ModuleOrigin& origin = module.origin;
      const std::string problem = ModuleNameProblem(origin.name);
      if (!problem.empty()) {
        return session.Bad(file, 0, problem + "; nothing of it was exported");
      }
      const std::string key = ToAsciiUpper(origin.exportName);
      if (const auto other = taken.find(key); other != taken.end() || names.contains(key)) {
        return session.Bad(file, 0,
                           "its " + origin.exportName + " would be written twice (" +
                               (other != taken.end() ? "also by " + other->second : "two modules") +
                               "); nothing of it was exported");
      }
      names.emplace(key, file);
      Target target;
      target.path = folder / PathOf(origin.exportName);
      try {
        target.bytes = EncodeCodePage(ExportText(module), origin.codePage);
      } catch (const EncodingError& error) {
        return session.Bad(module.path, 0, std::string("cannot write its text: ") + error.what());
      }
      if (origin.kind == ModuleKind::kForm) {
        target.note = Located(
            module.path, {0,
                          {},
                          "note: its code only went to " + ShownText(Shown(target.path)) +
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

  Session& session;
  const fs::path folder;
  std::vector<Target> targets;
  std::map<std::string, std::string> taken;  // file names written, folded, and whose
};

}  // namespace

void RunExport(Session& session) {
  Exporter(session).Go();
}

}  // namespace tarnwick
