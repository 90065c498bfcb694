// The XML documentation file, laid out as .NET compilers write theirs, with
// member IDs such as "M:Project.Module.Add(System.Int32,System.Int32)".
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "documentation/module.h"

namespace tarnwick {

// One module's part of the file: its documented blocks in line order, each
// with a <member> element per ID, and a warning when the block is not
// well-formed XML (its text then goes escaped into <summary>).
struct XmlBlock {
  std::vector<std::pair<std::wstring, std::string>> members;  // ID, element
  std::string warning;                                        // "PATH:LINE: warning: ..."
};
std::vector<XmlBlock> XmlBlocks(const std::wstring& project, const DocModule& module);

// The file, UTF-8, from the parts of the modules in order. The first block of
// an ID documents it; a block none of whose IDs is new is left out, warning
// and all. The warnings of the blocks written go into `warnings`.
std::string XmlDocumentation(const std::wstring& project,
                             const std::vector<std::vector<XmlBlock>>& modules,
                             std::vector<std::string>& warnings);
// The same, each module's part made in turn.
std::string XmlDocumentation(const std::wstring& project, const std::vector<DocModule>& modules,
                             std::vector<std::string>& warnings);

}  // namespace tarnwick
