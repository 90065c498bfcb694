// export: each module of Office files written as a module file, as the
// editor's File > Export writes it, so that it can be kept under version
// control, documented like any module file, and imported again. Every module
// of every file that was read and whose modules can all be written is
// written; when a file to write exists already and --force is not given, or
// two modules would be one file on Windows, nothing at all is.
#include <filesystem>
#include <map>

#include "documentation/exported_module.h"
#include "text/file_name_case.h"
#include "text/utf.h"
#include "text/code_page.h"
#include "text/encoding.h"
#include "files/read_file.h"
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
    if (collided) {
      return;  // two modules would be one file: which one the user wants is theirs to say
    }
    bool refused = false;
    for (const Target& target : targets) {
      std::error_code error;
      if (session.IsInput(target.path)) {
        session.Bad(Shown(target.path), 0, "it is one of the files read; nothing was written");
        refused = true;
      } else if (!session.arguments.force && fs::exists(fs::symlink_status(target.path, error))) {
        session.Bad(Shown(target.path), 0,
                    "the file exists; --force replaces it, and nothing was written");
        refused = true;
      }
    }
    if (refused) {
      return;
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
      // Windows' disks fold case beyond ASCII: "Übersicht.bas" and
      // "übersicht.bas" are one file there.
      const std::string key = WindowsFileNameKey(origin.exportName);
      const auto other = taken.find(key);
      const auto sibling = names.find(key);
      if (other != taken.end() || sibling != names.end()) {
        collided = true;
        const std::string shownName = ShownText(WideToUtf8(origin.name));
        return session.Bad(file, 0,
                           sibling != names.end()
                               ? "its modules " + sibling->second + " and " + shownName +
                                     " would be written to one file on Windows (" +
                                     ShownText(origin.exportName) + "); nothing was exported"
                               : "its module " + shownName + " would be written to the file that " +
                                     other->second + " is written to (" +
                                     ShownText(origin.exportName) + "); nothing was exported");
      }
      names.emplace(key, ShownText(WideToUtf8(origin.name)));
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
    for (const auto& [key, name] : names) {
      taken.emplace(key, file + "'s module " + name);
    }
    for (Target& target : planned) {
      targets.push_back(std::move(target));
    }
  }

  Session& session;
  const fs::path folder;
  std::vector<Target> targets;
  std::map<std::string, std::string> taken;  // file names written, folded, and whose
  bool collided = false;
};

}  // namespace

void RunExport(Session& session) {
  Exporter(session).Go();
}

}  // namespace tarnwick
