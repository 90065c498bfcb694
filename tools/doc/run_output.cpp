// xml and markdown: the documentation rendered from every module, then
// written to standard output or to files.
#include <filesystem>
#include <string>
#include <vector>

#include "documentation/markdown.h"
#include "documentation/xml_file.h"
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
  try {
    WriteAtomically(PathOf(*session.arguments.out), xml);
  } catch (const InputError& error) {
    session.Bad(*session.arguments.out, 0, error.what());
  }
}

void RunMarkdown(Session& session) {
  const std::filesystem::path folder = PathOf(*session.arguments.out);
  for (const auto& [name, text] : MarkdownSite(session.Project(), session.modules)) {
    const std::filesystem::path path = folder / PathOf(name);
    try {
      std::error_code error;
      std::filesystem::create_directories(path.parent_path(), error);
      WriteAtomically(path, text);
    } catch (const InputError& failure) {
      session.Bad(Shown(path), 0, failure.what());
    }
  }
}

}  // namespace tarnwick
