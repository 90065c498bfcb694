// Markdown pages for mkdocs: an index, and one page per module with each
// public member's declaration, summary, parameters, returns, remarks and
// example, <see cref> made links between the pages.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "documentation/members.h"
#include "documentation/module.h"

namespace tarnwick {

// The site as (path in the site's folder, UTF-8 text): "mkdocs.yml" with the
// site's name and nav, then "docs/index.md" and one page per module,
// "docs/MODULE.md" (or "docs/module-N.md" where the module's name cannot name
// a file). Each file's first line is the site's mark (IsSiteFile), a YAML
// comment in mkdocs.yml and an HTML comment in each page.
std::vector<std::pair<std::string, std::string>> MarkdownSite(
    const std::wstring& project, const std::vector<DocModule>& modules);

// Whether `bytes`, a file's first bytes, begin with the mark MarkdownSite puts
// on the files it makes: a file without it was written by hand.
bool IsSiteFile(std::string_view bytes);

// One member as its page shows it, for a hover or a tooltip: its name as a
// heading, the declaration of every part (Private ones too) in a vb code
// block, then summary, parameters, returns, remarks, example and, for an Enum
// or a Type, its members. A cref is shown as its text, not as a link.
std::string MemberMarkdown(const DocModule& module, const DocumentedMember& member);
// The same, each cref found in `links` made a link to its address. A cref is
// looked up as written, without a "X:" prefix and a parameter list, in ASCII
// lower case ("bank.deposit").
std::string MemberMarkdown(const DocModule& module, const DocumentedMember& member,
                           const std::map<std::string, std::string>& links);

}  // namespace tarnwick
