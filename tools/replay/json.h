// Just enough JSON output for the replay report.
#pragma once

#include <string>
#include <string_view>

namespace tarnwick {

// A JSON string literal, quotes included, for UTF-16 text (written as UTF-8).
std::string JsonString(std::wstring_view text);
// The same for text that is already UTF-8.
std::string JsonString(std::string_view utf8);

}  // namespace tarnwick
