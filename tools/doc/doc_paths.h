// Paths as tarnwick-doc takes and shows them, and the one way it writes a file.
#pragma once

#include <filesystem>
#include <string>

namespace tarnwick {

// A path from a UTF-8 argument, and a path as messages show it: UTF-8 with '/'.
std::filesystem::path PathOf(const std::string& utf8);
std::string Shown(const std::filesystem::path& path);

// Writes through a temporary file beside `path` and a rename, so that the file
// is either as it was or complete (files/safe_write.h). With `replace` false an
// existing file is kept and the write fails, even when the file appeared a
// moment ago. Throws InputError (without the path).
void WriteAtomically(const std::filesystem::path& path, const std::string& bytes,
                     bool replace = true);

}  // namespace tarnwick
