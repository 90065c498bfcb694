// sync: the edits planned for every module at once, then a diff printed or
// the module files replaced, in the order of the command line. Tarnwick never
// writes into an Office file.
#include <string>
#include <utility>
#include <vector>

#include "documentation/sync.h"
#include "text/shown_text.h"
#include "tools/doc/doc_paths.h"
#include "tools/doc/each_module.h"
#include "tools/doc/session.h"

namespace tarnwick {

namespace {

// The one line of an Office file that sync --write leaves alone.
std::string OfficeWriteRefusal(const std::string& officePath) {
  return Located(ShownText(officePath),
                 {0,
                  {},
                  "error: Tarnwick never writes into an Office file; export its modules "
                  "(tarnwick-doc export), sync the exported files with --write, and "
                  "import them again in the editor"});
}

// What sync makes of a module: its notes, and the new bytes and the diff when
// it changed.
struct Synced {
  std::vector<Finding> notes;
  bool changed = false;
  std::string bytes;
  std::string diff;
  std::string error;  // a new line that the file's encoding cannot hold
};

}  // namespace

void RunSync(Session& session) {
  const bool write = session.arguments.write;
  std::vector<Synced> synced(session.modules.size());
  ForEachIndex(synced.size(), [&](size_t i) {
    const DocModule& doc = session.modules[i];
    if (write && doc.origin.InOfficeFile()) {
      return;  // refused below
    }
    SyncResult result = SyncModule(doc, {session.options[i].descriptions});
    Synced& each = synced[i];
    each.notes = std::move(result.notes);
    each.changed = result.changed;
    if (!result.changed) {
      return;
    }
    try {
      each.bytes = SyncedBytes(doc.source, result);
      if (!write) {
        each.diff = UnifiedDiff(doc.path, doc.source, result);
      }
    } catch (const EncodingError& error) {
      each.error = std::string("cannot write the new lines: ") + error.what();
    }
  });
  for (size_t i = 0; i < synced.size(); ++i) {
    const DocModule& doc = session.modules[i];
    if (write && doc.origin.InOfficeFile()) {
      // Once for each Office file, whose modules follow one another.
      if (i == 0 || session.modules[i - 1].origin.file != doc.origin.file) {
        session.err << OfficeWriteRefusal(doc.origin.file) << "\n";
        session.status = kDocBadInput;
      }
      continue;
    }
    for (const Finding& note : synced[i].notes) {
      session.err << Located(doc, note) << "\n";
    }
    if (!synced[i].error.empty()) {
      session.Bad(doc.path, 0, synced[i].error);
    } else if (synced[i].changed && !write) {
      session.out << synced[i].diff;
    } else if (synced[i].changed) {
      try {
        WriteAtomically(PathOf(doc.origin.file), synced[i].bytes);
      } catch (const InputError& error) {
        session.Bad(doc.path, 0, error.what());
      }
    }
  }
}

}  // namespace tarnwick
