// Markdown pages for mkdocs: an index, and one page per module with each
// public member's declaration, summary, parameters, returns, remarks and
// example, <see cref> made links between the pages.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "documentation/module.h"

namespace tarnwick {

// The site as (path in the site's folder, UTF-8 text): "mkdocs.yml" with the
// site's name and nav, then "docs/index.md" and one page per module,
// "docs/MODULE.md" (or "docs/module-N.md" where the module's name cannot name
// a file).
std::vector<std::pair<std::string, std::string>> MarkdownSite(
    const std::wstring& project, const std::vector<DocModule>& modules);

}  // namespace tarnwick
