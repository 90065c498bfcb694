// Whether two paths name one file: the same device and inode on POSIX, the
// same volume and file ID on Windows, whatever links, case or dots lead there.
#pragma once

#include <filesystem>

namespace tarnwick {

// False where either path names nothing (a file not yet written is no other
// file) or cannot be looked at.
bool IsSameFile(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace tarnwick
