// Caret-marked text: lines separated by '\n' with one '^' for the caret.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

struct CaretText {
  std::vector<std::wstring> lines;
  int32_t line = 1;
  int32_t column = 1;  // 1-based, in UTF-16 units
};

// Throws std::invalid_argument unless the text holds exactly one '^'.
CaretText ParseCaretText(std::string_view marked);
// The lines with '^' at the caret, tabs shown as "\t", one line per row.
std::string RenderCaretText(const std::vector<std::wstring>& lines, int32_t line, int32_t column);

}  // namespace tarnwick
