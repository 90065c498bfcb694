// Where the page on check's rules (rules.md, shipped beside the programs) is,
// so that each diagnostic can link to its rule.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tarnwick::lsp {

// The file: URI of rules.md for the program at `executable`: beside it, or
// else in ../share/tarnwick/ as a Unix install lays it out; the first that
// exists. Empty when there is none.
std::string RulesDocumentUri(const std::filesystem::path& executable);

// The link to one rule's heading: "URI#twd001" for code TWD001. Empty when
// `rulesUri` or `code` is.
std::string RuleHref(const std::string& rulesUri, std::string_view code);

}  // namespace tarnwick::lsp
