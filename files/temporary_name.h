// Names for temporary files beside a target: hidden, unique with high
// probability, and short enough for any file system.
#pragma once

#include <filesystem>

namespace tarnwick::files {

// "FOLDER/.NAME.0123456789abcdef.tmp" for "FOLDER/NAME", NAME cut short
// enough to keep the whole name under 255 units.
std::filesystem::path TemporaryBeside(const std::filesystem::path& target);

}  // namespace tarnwick::files
