// The four things tarnwick-doc does with modules that have been read.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tools/doc/doc_model.h"

namespace tarnwick {

// "PATH:LINE: CODE message" (the line left out when it is 0, the code when empty).
std::string Located(const std::string& path, const Finding& finding);
// The same about a line of the module: the one place where a line of a module
// read out of an Office file becomes the line the editor shows.
std::string Located(const DocModule& module, Finding finding);

// The XML documentation file, UTF-8. A block that is not well-formed XML goes
// escaped into <summary>, with a message in `warnings`.
std::string XmlDocumentation(const std::wstring& project, const std::vector<DocModule>& modules,
                             std::vector<std::string>& warnings);

// A Markdown site for mkdocs, as (path in the site's folder, UTF-8 text):
// "mkdocs.yml" with the site's name and nav, then "docs/index.md" and one page
// per module, "docs/MODULE.md".
std::vector<std::pair<std::string, std::string>> MarkdownSite(
    const std::wstring& project, const std::vector<DocModule>& modules);

// Which members must have a block: public ones (those of the module that are
// not Private), every one (Enum members and Type fields too), or none.
enum class MissingBlocks { kPublic, kAll, kNone };

struct CheckOptions {
  std::vector<std::string> ignored;  // codes of rules left out
  MissingBlocks missing = MissingBlocks::kPublic;
};

// The modules a cref may name, and the names of their members, ASCII case
// ignored: the modules of one run of `check`.
class CrefScope {
 public:
  explicit CrefScope(const std::vector<const DocModule*>& modules);
  // The name of the module that `cref` names when that module has no member of
  // the name; nullopt when the member is there or the cref names no module of
  // the scope (Excel.Range).
  std::optional<std::wstring> Missing(const std::wstring& cref) const;

 private:
  struct Module {
    std::wstring name;
    std::set<std::wstring> members;  // "member", and "enum.member" for Enum members, Type fields
  };
  void Index() const;

  std::vector<const DocModule*> docs;
  // By lower-case name; made at the first cref, as most runs meet none, once
  // for all the threads that check modules against the one scope.
  mutable std::once_flag indexed;
  mutable std::optional<std::map<std::wstring, Module>> modules;
};

// The problems of the module's blocks, in line order, each with its rule's code.
std::vector<Finding> CheckModule(const DocModule& module, const CheckOptions& options,
                                 const CrefScope& scope);
// The same with the default options, the module alone in scope.
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
