// A bounded reader of compound files ([MS-CFB]): version 3 (512-byte sectors)
// and version 4 (4096-byte sectors), the FAT with its DIFAT, the mini stream
// and the directory. The directory's red-black trees are walked once, each
// entry at most once, so a tree that loops is found; every sector chain is
// followed with a mark per sector, so a chain that loops or leaves the file is
// found; a stream is read only as far as its chain reaches.
//
// Every failure throws OfficeError(kDamaged) with a message starting
// "damaged compound file: ".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::office {

// Far more storages and streams than any Office file holds.
inline constexpr size_t kMaxDirectoryEntries = 1u << 18;

inline constexpr char kCompoundFileSignature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";

bool LooksLikeCompoundFile(std::string_view bytes);

class CompoundFile {
 public:
  enum class Type : uint8_t { kEmpty = 0, kStorage = 1, kStream = 2, kRoot = 5 };

  struct Entry {
    std::wstring name;
    Type type = Type::kEmpty;
    uint32_t left = 0;
    uint32_t right = 0;
    uint32_t child = 0;
    uint32_t start = 0;
    uint64_t size = 0;
    std::vector<uint32_t> children;  // storages and the root: their entries, in tree order
    std::vector<uint32_t> byName;    // the same, ordered by folded name (tree order among equals)
  };

  explicit CompoundFile(std::string bytes);

  uint32_t root() const { return 0; }
  const Entry& entry(uint32_t id) const { return entries_[id]; }

  // The child of a storage by name, compared without regard to ASCII case (and
  // the case of Latin-1's letters), found through the storage's index by name;
  // of two children with one name, the first in tree order.
  std::optional<uint32_t> Find(uint32_t storage, std::wstring_view name) const;
  // The path of names from `storage`; nullopt when any is missing.
  std::optional<uint32_t> Find(uint32_t storage,
                               std::initializer_list<std::wstring_view> path) const;

  // A stream's data; throws for a chain shorter than its size or a size over `maxSize`.
  std::string Read(uint32_t stream, uint64_t maxSize) const;

 private:
  std::string ReadChain(uint32_t start, uint64_t size, const std::string& what) const;
  std::string ReadMiniChain(uint32_t start, uint64_t size, const std::string& what) const;
  std::vector<uint32_t> ReadTable(uint32_t start, const std::string& what) const;
  void ReadHeader();
  void ReadDirectory(uint32_t start);
  void WalkTrees();

  std::string bytes_;
  uint32_t sectorShift_ = 9;
  uint32_t sectorSize_ = 512;
  uint32_t sectorCount_ = 0;  // sectors that begin inside the file
  uint32_t miniCutoff_ = 4096;
  std::vector<uint32_t> fat_;
  std::vector<uint32_t> miniFat_;
  std::string miniStream_;
  std::vector<Entry> entries_;
};

}  // namespace tarnwick::office
