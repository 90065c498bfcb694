#include "tests/office/writer/compound_file_writer.h"

#include <algorithm>
#include <stdexcept>

#include "tests/office/writer/little_endian.h"

namespace tarnwick::office::testing {

namespace {

constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kFree = 0xFFFFFFFF;
constexpr uint32_t kFatSector = 0xFFFFFFFD;
constexpr uint32_t kDifatSector = 0xFFFFFFFC;
constexpr uint32_t kNoStream = 0xFFFFFFFF;
constexpr uint32_t kMiniCutoff = 4096;

struct FlatEntry {
  const CfbNode* node = nullptr;
  uint32_t left = kNoStream;
  uint32_t right = kNoStream;
  uint32_t child = kNoStream;
  uint32_t start = kEndOfChain;
  uint64_t size = 0;
  bool mini = false;
};

wchar_t Upper(wchar_t c) {
  return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - 0x20) : c;
}

// [MS-CFB] 2.6.4: shorter names first, then by upper-case code units.
bool Before(const CfbNode* a, const CfbNode* b) {
  if (a->name.size() != b->name.size()) {
    return a->name.size() < b->name.size();
  }
  for (size_t i = 0; i < a->name.size(); ++i) {
    if (Upper(a->name[i]) != Upper(b->name[i])) {
      return Upper(a->name[i]) < Upper(b->name[i]);
    }
  }
  return false;
}

void Flatten(const CfbNode& storage, uint32_t storageId, std::vector<FlatEntry>& entries) {
  std::vector<const CfbNode*> sorted;
  for (const CfbNode& child : storage.children) {
    sorted.push_back(&child);
  }
  std::sort(sorted.begin(), sorted.end(), Before);
  const uint32_t first = static_cast<uint32_t>(entries.size());
  for (const CfbNode* child : sorted) {
    entries.push_back({child});
  }
  // A balanced tree over the sorted run: all black, which readers accept.
  struct Builder {
    std::vector<FlatEntry>& entries;
    uint32_t Build(uint32_t lo, uint32_t hi) {  // [lo, hi)
      if (lo >= hi) {
        return kNoStream;
      }
      const uint32_t mid = lo + (hi - lo) / 2;
      entries[mid].left = Build(lo, mid);
      entries[mid].right = Build(mid + 1, hi);
      return mid;
    }
  };
  entries[storageId].child =
      Builder{entries}.Build(first, first + static_cast<uint32_t>(sorted.size()));
  for (uint32_t id = first; id < first + sorted.size(); ++id) {
    if (entries[id].node->storage) {
      Flatten(*entries[id].node, id, entries);
    }
  }
}

uint32_t SectorsFor(uint64_t bytes, uint32_t sectorSize) {
  return static_cast<uint32_t>((bytes + sectorSize - 1) / sectorSize);
}

}  // namespace

const CfbLayout::Placed& CfbLayout::Entry(const std::wstring& name) const {
  for (const Placed& placed : entries) {
    if (placed.name == name) {
      return placed;
    }
  }
  throw std::invalid_argument("no entry of that name");
}

size_t CfbLayout::FatEntryOffset(uint32_t sector) const {
  const uint32_t perSector = sectorSize / 4;
  return SectorOffset(fatSectors.at(sector / perSector)) + 4 * (sector % perSector);
}

size_t CfbLayout::DirectoryEntryOffset(uint32_t id) const {
  return SectorOffset(directoryStart) + 128 * size_t{id};
}

void Put16(std::string& bytes, size_t at, uint16_t value) {
  bytes.at(at) = static_cast<char>(value & 0xFF);
  bytes.at(at + 1) = static_cast<char>(value >> 8);
}

void Put32(std::string& bytes, size_t at, uint32_t value) {
  Put16(bytes, at, static_cast<uint16_t>(value & 0xFFFF));
  Put16(bytes, at + 2, static_cast<uint16_t>(value >> 16));
}

std::string WriteCompoundFile(const CfbNode& root, const CfbOptions& options, CfbLayout* layout) {
  const uint32_t sectorSize = options.version == 4 ? 4096 : 512;
  const uint32_t perSector = sectorSize / 4;
  std::vector<FlatEntry> entries{{&root}};
  Flatten(root, 0, entries);

  // The mini stream and the regular streams' data, in sector-sized pieces.
  std::string miniStream;
  std::vector<uint32_t> miniFat;
  std::vector<std::string> regular;  // each regular stream's data, in entry order
  std::vector<uint32_t> regularOwner;
  for (uint32_t id = 1; id < entries.size(); ++id) {
    FlatEntry& entry = entries[id];
    if (entry.node->storage) {
      entry.start = 0;
      continue;
    }
    entry.size = entry.node->data.size();
    if (entry.size == 0) {
      continue;
    }
    if (entry.size < kMiniCutoff) {
      entry.mini = true;
      entry.start = static_cast<uint32_t>(miniFat.size());
      const uint32_t count = SectorsFor(entry.size, 64);
      for (uint32_t i = 0; i < count; ++i) {
        miniFat.push_back(i + 1 < count ? entry.start + i + 1 : kEndOfChain);
      }
      miniStream += entry.node->data;
      miniStream.resize(miniFat.size() * 64, '\0');
    } else {
      regular.push_back(entry.node->data);
      regularOwner.push_back(id);
    }
  }

  // Sector runs: directory, mini FAT, mini stream, each regular stream; then FAT and DIFAT.
  const uint32_t directorySectors = SectorsFor(entries.size() * 128, sectorSize);
  const uint32_t miniFatSectors = SectorsFor(miniFat.size() * 4, sectorSize);
  const uint32_t miniStreamSectors = SectorsFor(miniStream.size(), sectorSize);
  std::vector<std::pair<uint32_t, uint32_t>> runs;  // start, count
  uint32_t next = 0;
  const auto run = [&](uint32_t count) {
    runs.emplace_back(next, count);
    next += count;
    return runs.back().first;
  };
  const uint32_t directoryStart = run(directorySectors);
  const uint32_t miniFatStart = run(miniFatSectors);
  const uint32_t miniStreamStart = run(miniStreamSectors);
  for (size_t i = 0; i < regular.size(); ++i) {
    entries[regularOwner[i]].start = run(SectorsFor(regular[i].size(), sectorSize));
  }
  uint32_t fatCount = 1;
  uint32_t difatCount = 0;
  for (;;) {
    const uint32_t listed = std::min<uint32_t>(fatCount, 109);
    difatCount = SectorsFor((fatCount - listed) * 4ull, sectorSize - 4);
    if (next + fatCount + difatCount <= fatCount * perSector) {
      break;
    }
    ++fatCount;
  }
  std::vector<uint32_t> fatSectors;
  std::vector<uint32_t> difatSectors;
  for (uint32_t i = 0; i < fatCount; ++i) {
    fatSectors.push_back(next++);
  }
  for (uint32_t i = 0; i < difatCount; ++i) {
    difatSectors.push_back(next++);
  }

  std::vector<uint32_t> fat(fatCount * perSector, kFree);
  for (const auto& [start, count] : runs) {
    for (uint32_t i = 0; i < count; ++i) {
      fat[start + i] = i + 1 < count ? start + i + 1 : kEndOfChain;
    }
  }
  for (const uint32_t sector : fatSectors) {
    fat[sector] = kFatSector;
  }
  for (const uint32_t sector : difatSectors) {
    fat[sector] = kDifatSector;
  }

  std::string file(size_t{sectorSize} * (next + 1), '\0');
  const auto sectorAt = [&](uint32_t sector) { return size_t{sector + 1} * sectorSize; };

  // The header.
  std::string header = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
  header.append(16, '\0');
  Append16(header, 0x003E);
  Append16(header, static_cast<uint16_t>(options.version));
  Append16(header, 0xFFFE);
  Append16(header, options.version == 4 ? 12 : 9);
  Append16(header, 6);
  header.append(6, '\0');
  Append32(header, options.version == 4 ? directorySectors : 0);
  Append32(header, fatCount);
  Append32(header, directoryStart);
  Append32(header, 0);
  Append32(header, kMiniCutoff);
  Append32(header, miniFatSectors ? miniFatStart : kEndOfChain);
  Append32(header, miniFatSectors);
  Append32(header, difatCount ? difatSectors[0] : kEndOfChain);
  Append32(header, difatCount);
  for (uint32_t i = 0; i < 109; ++i) {
    Append32(header, i < fatCount ? fatSectors[i] : kFree);
  }
  file.replace(0, header.size(), header);

  // DIFAT sectors: the FAT sectors past the header's, then the next DIFAT sector.
  size_t listed = std::min<uint32_t>(fatCount, 109);
  for (uint32_t d = 0; d < difatCount; ++d) {
    std::string sector;
    for (uint32_t i = 0; i + 1 < perSector; ++i) {
      Append32(sector, listed < fatCount ? fatSectors[listed++] : kFree);
    }
    Append32(sector, d + 1 < difatCount ? difatSectors[d + 1] : kEndOfChain);
    file.replace(sectorAt(difatSectors[d]), sector.size(), sector);
  }
  for (uint32_t f = 0; f < fatCount; ++f) {
    std::string sector;
    for (uint32_t i = 0; i < perSector; ++i) {
      Append32(sector, fat[f * perSector + i]);
    }
    file.replace(sectorAt(fatSectors[f]), sector.size(), sector);
  }

  // The directory.
  entries[0].start = miniStreamSectors ? miniStreamStart : kEndOfChain;
  entries[0].size = miniStream.size();
  std::string directory;
  for (const FlatEntry& entry : entries) {
    std::string raw;
    for (const wchar_t c : entry.node->name) {
      Append16(raw, static_cast<uint16_t>(c));
    }
    raw.resize(64, '\0');
    Append16(raw, static_cast<uint16_t>(2 * (entry.node->name.size() + 1)));
    raw.push_back(static_cast<char>(&entry == &entries[0] ? 5 : entry.node->storage ? 1 : 2));
    raw.push_back('\1');  // black
    Append32(raw, entry.left);
    Append32(raw, entry.right);
    Append32(raw, entry.child);
    raw.append(16 + 4 + 16, '\0');
    Append32(raw, entry.start);
    Append32(raw, static_cast<uint32_t>(entry.size));
    Append32(raw, static_cast<uint32_t>(entry.size >> 32));
    directory += raw;
  }
  while (directory.size() % sectorSize != 0) {
    std::string unused(64 + 2 + 2, '\0');
    Append32(unused, kNoStream);
    Append32(unused, kNoStream);
    Append32(unused, kNoStream);
    unused.resize(128, '\0');
    directory += unused;
  }
  file.replace(sectorAt(directoryStart), directory.size(), directory);

  std::string miniFatBytes;
  for (const uint32_t value : miniFat) {
    Append32(miniFatBytes, value);
  }
  while (miniFatBytes.size() % sectorSize != 0) {
    Append32(miniFatBytes, kFree);
  }
  if (!miniFatBytes.empty()) {
    file.replace(sectorAt(miniFatStart), miniFatBytes.size(), miniFatBytes);
  }
  if (!miniStream.empty()) {
    file.replace(sectorAt(miniStreamStart), miniStream.size(), miniStream);
  }
  for (size_t i = 0; i < regular.size(); ++i) {
    file.replace(sectorAt(entries[regularOwner[i]].start), regular[i].size(), regular[i]);
  }

  if (layout != nullptr) {
    layout->sectorSize = sectorSize;
    layout->fatSectors = fatSectors;
    layout->difatSectors = difatSectors;
    layout->directoryStart = directoryStart;
    layout->entries.clear();
    for (uint32_t id = 1; id < entries.size(); ++id) {
      layout->entries.push_back({entries[id].node->name, id, entries[id].start, entries[id].mini});
    }
  }
  return file;
}

}  // namespace tarnwick::office::testing
