// File names as Windows' file systems compare them: case is ignored beyond
// ASCII, each UTF-16 unit folded by the simple upper-case mapping (one
// character to one character) that NTFS, FAT and exFAT keep in their tables.
// Two names with the same key are one file on such a disk, so whatever
// chooses names for files to be written (module files, pages) compares keys.
#pragma once

#include <string>
#include <string_view>

namespace tarnwick {

// The character's simple upper case; a character without one stands as it is
// (so 'ß' and characters outside the Basic Multilingual Plane do).
char32_t WindowsFileNameUpper(char32_t c);

// The name as a Windows file system folds it: every character through
// WindowsFileNameUpper. A UTF-8 name that is not valid UTF-8 keeps its bytes
// that are not.
std::wstring WindowsFileNameKey(std::wstring_view name);
std::string WindowsFileNameKey(std::string_view utf8);

}  // namespace tarnwick
