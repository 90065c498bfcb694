// xml and markdown: the documentation rendered from every module, then
// written to standard output or to files, never over a file read.
#include <filesystem>
#include <string>
#include <vector>

#include "documentation/markdown.h"
#include "documentation/xml_file.h"
#include "files/read_file.h"
#include "tools/doc/doc_paths.h"
#include "tools/doc/each_module.h"
#include "tools/doc/session.h"

namespace tarnwick {

void RunXml(Session& session) {
  const std::wstring project = session.Project();
  std::vector<std::vector<XmlBlock>> blocks(session.modules.size());
  ForEachIndex(blocks.size(),
               [&](size_t i) { blocks[i] = XmlBlocks(project, session.modules[i]); });
  std::vector<std::string> warnings;
  const std::string xml = XmlDocumentation(project, blocks, warnings);
  for (const std::string& warning : warnings) {
    session.err << warning << "\n";
  }
  if (!session.arguments.out) {
    session.out << xml;
    return;
  }
  const std::filesystem::path path = PathOf(*session.arguments.out);
  if (session.IsInput(path)) {
    return session.Bad(*session.arguments.out, 0,
                       "it is one of the files read; nothing was written over it");
  }
  try {
    WriteAtomically(path, xml);
  } catch (const InputError& error) {
    session.Bad(*session.arguments.out, 0, error.what());
  }
}

// The site's files replace earlier ones that carry its mark; a file without it
// was written by hand and is replaced only with --force, and an input never.
// When one may not be replaced, nothing is written; a file that was not there
// is not replaced either should one appear meanwhile.
void RunMarkdown(Session& session) {
  const std::filesystem::path folder = PathOf(*session.arguments.out);
  const std::vector<std::pair<std::string, std::string>> site =
      MarkdownSite(session.Project(), session.modules);
  std::vector<bool> existed(site.size(), false);
  bool refused = false;
  for (size_t i = 0; i < site.size(); ++i) {
    const std::filesystem::path path = folder / PathOf(site[i].first);
    std::error_code error;
    existed[i] = std::filesystem::exists(std::filesystem::symlink_status(path, error));
    if (!existed[i]) {
      continue;
    }
    if (session.IsInput(path)) {
      session.Bad(Shown(path), 0, "it is one of the files read; nothing was written");
      refused = true;
      continue;
    }
    if (session.arguments.force) {
      continue;
    }
    try {
      if (!IsSiteFile(ReadFileBytes(path))) {
        session.Bad(Shown(path), 0,
                    "the file was not written by markdown; --force replaces it, and nothing "
                    "was written");
        refused = true;
      }
    } catch (const InputError& failure) {
      session.Bad(Shown(path), 0, std::string(failure.what()) + "; nothing was written");
      refused = true;
    }
  }
  if (refused) {
    return;
  }
  for (size_t i = 0; i < site.size(); ++i) {
    const std::filesystem::path path = folder / PathOf(site[i].first);
    try {
      std::error_code error;
      std::filesystem::create_directories(path.parent_path(), error);
      WriteAtomically(path, site[i].second, existed[i]);
    } catch (const InputError& failure) {
      session.Bad(Shown(path), 0, failure.what());
    }
  }
}

}  // namespace tarnwick
