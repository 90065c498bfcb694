// `sync`: the edits that bring each ''' block in line with its declaration and
// each description in line with its summary, as a plan over the module's
// lines. Every word already written is kept, and every line not changed is
// kept byte for byte.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "documentation/module.h"

namespace tarnwick {

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
// Also brings every description in line with its member's summary. The module
// must have been parsed.
SyncResult SyncModule(const DocModule& module, SyncOptions options = {});

// The file's bytes after sync: kept lines as they were, new lines encoded as
// the file is, each ended like the block it joins. Throws EncodingError for a
// new line the file's encoding cannot hold.
std::string SyncedBytes(const SourceText& source, const SyncResult& result);

// The change as edits of the module's text, for an editor to apply: each
// replaces `count` lines from the 0-based line `first` of the source (none:
// an insertion before it) with `lines`. In line order, apart from one
// another, each against the source as it was; empty when nothing changed.
struct LineEdit {
  int32_t first = 0;
  int32_t count = 0;
  std::vector<std::wstring> lines;
};
std::vector<LineEdit> SyncEdits(const SourceText& source, const SyncResult& result);

// A unified diff of the change, in UTF-8, empty when nothing changed.
std::string UnifiedDiff(const std::string& path, const SourceText& source,
                        const SyncResult& result);

}  // namespace tarnwick
