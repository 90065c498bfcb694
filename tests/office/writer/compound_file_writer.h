// A writer of compound files ([MS-CFB]) for fixtures: a tree of storages and
// streams laid out as version 3 or 4, small streams in the mini stream, the
// FAT listed in the header and, past its 109 entries, in DIFAT sectors.
// The layout it returns lets a test break a chosen sector, FAT entry or
// directory entry afterwards.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick::office::testing {

struct CfbNode {
  std::wstring name;
  bool storage = false;
  std::string data;  // a stream's bytes
  std::vector<CfbNode> children;

  static CfbNode Stream(std::wstring name, std::string data) {
    return {std::move(name), false, std::move(data), {}};
  }
  static CfbNode Storage(std::wstring name, std::vector<CfbNode> children) {
    return {std::move(name), true, {}, std::move(children)};
  }
};

struct CfbOptions {
  int version = 3;
};

struct CfbLayout {
  uint32_t sectorSize = 512;
  std::vector<uint32_t> fatSectors;
  std::vector<uint32_t> difatSectors;
  uint32_t directoryStart = 0;
  struct Placed {
    std::wstring name;
    uint32_t id = 0;     // directory entry
    uint32_t start = 0;  // first sector, or mini sector when `mini`
    bool mini = false;
  };
  std::vector<Placed> entries;  // every entry but the root, in id order

  const Placed& Entry(const std::wstring& name) const;  // the first of that name
  size_t SectorOffset(uint32_t sector) const { return (size_t{sector} + 1) * sectorSize; }
  size_t FatEntryOffset(uint32_t sector) const;
  size_t DirectoryEntryOffset(uint32_t id) const;  // the directory's sectors lie in one run
};

std::string WriteCompoundFile(const CfbNode& root, const CfbOptions& options = {},
                              CfbLayout* layout = nullptr);

// Little-endian patches of a built file.
void Put16(std::string& bytes, size_t at, uint16_t value);
void Put32(std::string& bytes, size_t at, uint32_t value);

}  // namespace tarnwick::office::testing
