// file: URIs as clients send them, and the paths they stand for. Paths are
// UTF-8 with '/' between folders; on Windows a drive letter comes first
// ("C:/src/Calc.bas"). Other schemes have no path.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarnwick::lsp {

std::optional<std::string> PathFromUri(std::string_view uri);
std::string UriFromPath(std::string_view path);

}  // namespace tarnwick::lsp
