// A writer of zip archives for fixtures: entries stored or deflated (zlib,
// raw deflate), their local headers, the central directory and its end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick::office::testing {

struct ZipItem {
  std::string name;
  std::string data;
  bool deflate = true;
};

struct ZipLayout {
  std::vector<size_t> localHeaders;  // each item's local header, in order
  size_t centralDirectory = 0;
  size_t end = 0;  // the end of central directory record
};

// With `zip64` every size and offset is written in zip64 records instead.
std::string WriteZip(const std::vector<ZipItem>& items, ZipLayout* layout = nullptr,
                     bool zip64 = false);

std::string Deflate(const std::string& data);

}  // namespace tarnwick::office::testing
