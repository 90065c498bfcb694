// The four things tarnwick-doc does with modules that have been read.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tools/doc/doc_model.h"

namespace tarnwick {

// "PATH:LINE: message" (the line left out when it is 0).
std::string Located(const std::string& path, const Finding& finding);
// The same about a line of the module: the one place where a line of a module
// read out of an Office file becomes the line the editor shows.
std::string Located(const DocModule& module, Finding finding);

// The XML documentation file, UTF-8. A block that is not well-formed XML goes
// escaped into <summary>, with a message in `warnings`.
std::string XmlDocumentation(const std::wstring& project, const std::vector<DocModule>& modules,
                             std::vector<std::string>& warnings);

// Markdown: "index.md" and one page per module, as (file name, UTF-8 text).
std::vector<std::pair<std::string, std::string>> MarkdownPages(
    const std::wstring& project, const std::vector<DocModule>& modules);

// The problems of the module's blocks, in line order.
std::vector<Finding> CheckModule(const DocModule& module);

// Sync's result: every line of the module after it, each either a line of the
// file kept byte for byte (`source`, 0-based) or a new line's text.
struct SyncedLine {
  int32_t source = -1;
  std::wstring text;
  int32_t endLike = -1;  // a new line ends as this line of the file does
};
struct SyncResult {
  std::vector<SyncedLine> lines;
  std::vector<Finding> notes;  // text kept where it no longer fits, blocks left alone
  bool changed = false;
};
struct SyncOptions {
  bool addDescriptions = false;  // a VB_Description for each documented procedure without one
};
// Also brings every description in line with its member's summary.
SyncResult SyncModule(const DocModule& module, SyncOptions options = {});
// The file's bytes after sync: kept lines as they were, new lines encoded as
// the file is, each ended like the block it joins.
std::string SyncedBytes(const SourceText& source, const SyncResult& result);
// A unified diff of the change, in UTF-8, empty when nothing changed.
std::string UnifiedDiff(const std::string& path, const SourceText& source,
                        const SyncResult& result);

}  // namespace tarnwick
