#include "lsp/rules_document.h"

#include <filesystem>
#include <system_error>

#include "lsp/uri.h"
#include "text/ascii.h"
#include "text/utf.h"

namespace tarnwick::lsp {

namespace {

std::string Utf8Of(const std::filesystem::path& path) {
#ifdef _WIN32
  return WideToUtf8(path.generic_wstring());
#else
  return path.generic_string();
#endif
}

}  // namespace

std::string RulesDocumentUri(const std::filesystem::path& executable) {
  if (executable.empty()) {
    return {};
  }
  try {
    const std::filesystem::path folder = executable.parent_path();
    // The program's own path has its links resolved, so ".." is taken lexically.
    for (const std::filesystem::path& candidate :
         {folder / "rules.md", folder.parent_path() / "share" / "tarnwick" / "rules.md"}) {
      std::error_code error;
      if (std::filesystem::is_regular_file(candidate, error)) {
        return UriFromPath(Utf8Of(candidate.lexically_normal()));
      }
    }
  } catch (const std::exception&) {
    // A name that cannot be converted: no link.
  }
  return {};
}

std::string RuleHref(const std::string& rulesUri, std::string_view code) {
  if (rulesUri.empty() || code.empty()) {
    return {};
  }
  return rulesUri + "#" + ToAsciiLower(code);
}

}  // namespace tarnwick::lsp
