// Reading an input file, bounded: only a regular file is read (a folder, a
// pipe or a device is refused after opening it without blocking), and never
// more than a cap. Module files, Office files and scripts come from anywhere.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "text/source_text.h"

namespace tarnwick {

// The largest file read: no module or Office file comes near it.
inline constexpr std::uintmax_t kLargestFileRead = std::uintmax_t{1} << 30;  // 1 GiB

// The whole file. Throws InputError (without the path) "cannot read the file:
// REASON" with the system's reason, "... it is a folder", "... it is not a
// regular file", and for a file larger than `largest`, before reading any of it.
std::string ReadFileBytes(const std::filesystem::path& path,
                          std::uintmax_t largest = kLargestFileRead);

// The same with the cap chosen by the file's first kFileHeadBytes bytes (all
// of a shorter file): `largestFor(head)`, itself at most `largest`. A file
// whose first bytes say it is text can so be refused at a text's cap before
// more than a block of it is read.
inline constexpr size_t kFileHeadBytes = 32;
std::string ReadFileBytes(const std::filesystem::path& path, std::uintmax_t largest,
                          const std::function<std::uintmax_t(std::string_view head)>& largestFor);

// Reads a module file (UTF-8 with LF or CR LF line ends and an optional BOM).
// Throws InputError naming the file and the problem.
std::vector<std::wstring> ReadModuleFile(const std::string& path);

}  // namespace tarnwick
