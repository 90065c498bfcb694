#include "office/compound_file.h"

#include <algorithm>

#include "office/bytes.h"
#include "office/office_error.h"
#include "text/utf.h"

namespace tarnwick::office {

namespace {

constexpr uint32_t kMaxRegularSector = 0xFFFFFFFA;
constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kFreeSector = 0xFFFFFFFF;
constexpr uint32_t kNoStream = 0xFFFFFFFF;
constexpr size_t kHeaderSize = 512;
constexpr size_t kEntrySize = 128;
constexpr uint32_t kMiniSectorSize = 64;
constexpr size_t kHeaderDifatEntries = 109;

[[noreturn]] void Damaged(const std::string& what) {
  throw OfficeError(OfficeFailure::kDamaged, "damaged compound file: " + what);
}

wchar_t FoldCase(wchar_t c) {
  if ((c >= L'a' && c <= L'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) {
    return static_cast<wchar_t>(c - 0x20);
  }
  return c;
}

// Orders names as Find compares them: folded, unit by unit, then by length.
bool FoldedLess(std::wstring_view a, std::wstring_view b) {
  return std::lexicographical_compare(
      a.begin(), a.end(), b.begin(), b.end(),
      [](wchar_t x, wchar_t y) { return FoldCase(x) < FoldCase(y); });
}

std::string Quoted(std::wstring_view name) {
  return "'" + WideToUtf8(name) + "'";
}

std::string ChainName(const std::string& what) {
  return "the sector chain of " + what;
}

}  // namespace

bool LooksLikeCompoundFile(std::string_view bytes) {
  return bytes.substr(0, 8) == std::string_view(kCompoundFileSignature, 8);
}

CompoundFile::CompoundFile(std::string bytes) : bytes_(std::move(bytes)) {
  ReadHeader();
  ReadDirectory(Le32(bytes_, 48));
  WalkTrees();
  const Entry& root = entries_[0];
  if (root.size > 0) {
    if (root.size > bytes_.size()) {
      Damaged("the mini stream claims more bytes than the file holds");
    }
    miniStream_ = ReadChain(root.start, root.size, "the mini stream");
  }
}

void CompoundFile::ReadHeader() {
  const std::string_view all = bytes_;
  if (all.size() < kHeaderSize) {
    Damaged("the file is shorter than its 512-byte header");
  }
  if (!LooksLikeCompoundFile(all)) {
    Damaged("no compound file signature");
  }
  if (Le16(all, 28) != 0xFFFE) {
    Damaged("the byte order mark is not 0xFFFE");
  }
  const uint16_t major = Le16(all, 26);
  const uint16_t shift = Le16(all, 30);
  if (!((major == 3 && shift == 9) || (major == 4 && shift == 12))) {
    Damaged("version " + std::to_string(major) + " with sector shift " + std::to_string(shift) +
            " (expected 3 with 9, or 4 with 12)");
  }
  if (Le16(all, 32) != 6) {
    Damaged("the mini sector shift is not 6");
  }
  sectorShift_ = shift;
  sectorSize_ = 1u << shift;
  const uint64_t body = all.size() > sectorSize_ ? all.size() - sectorSize_ : 0;
  if (body / sectorSize_ >= kMaxRegularSector) {
    Damaged("the file is too large");
  }
  sectorCount_ = static_cast<uint32_t>((body + sectorSize_ - 1) / sectorSize_);
  miniCutoff_ = Le32(all, 56);
  if (miniCutoff_ != 4096) {
    Damaged("the mini stream cutoff is " + std::to_string(miniCutoff_) + ", not 4096");
  }

  // The FAT's sectors: 109 in the header, the others in the chain of DIFAT sectors.
  const uint32_t fatSectors = Le32(all, 44);
  if (fatSectors > sectorCount_) {
    Damaged("the header claims " + std::to_string(fatSectors) + " FAT sectors in a file of " +
            std::to_string(sectorCount_) + " sectors");
  }
  std::vector<uint32_t> fatList;
  fatList.reserve(fatSectors);
  for (size_t i = 0; i < kHeaderDifatEntries && fatList.size() < fatSectors; ++i) {
    fatList.push_back(Le32(all, 76 + 4 * i));
  }
  const uint32_t perSector = sectorSize_ / 4;
  std::vector<bool> seen(sectorCount_, false);
  uint32_t difat = Le32(all, 68);
  while (fatList.size() < fatSectors) {
    if (difat >= sectorCount_) {
      Damaged("the DIFAT chain ends or leaves the file before listing every FAT sector");
    }
    if (seen[difat]) {
      Damaged("the DIFAT chain loops");
    }
    seen[difat] = true;
    const uint64_t at = (static_cast<uint64_t>(difat) + 1) << sectorShift_;
    if (!Fits(all, at, sectorSize_)) {
      Damaged("a DIFAT sector runs past the end of the file");
    }
    for (uint32_t i = 0; i + 1 < perSector && fatList.size() < fatSectors; ++i) {
      fatList.push_back(Le32(all, at + 4 * i));
    }
    difat = Le32(all, at + 4 * (perSector - 1));
  }

  fat_.reserve(static_cast<size_t>(fatSectors) * perSector);
  for (const uint32_t sector : fatList) {
    const uint64_t at = (static_cast<uint64_t>(sector) + 1) << sectorShift_;
    if (sector >= sectorCount_ || !Fits(all, at, sectorSize_)) {
      Damaged("a FAT sector lies outside the file");
    }
    for (uint32_t i = 0; i < perSector; ++i) {
      fat_.push_back(Le32(all, at + 4 * i));
    }
  }

  const uint32_t miniFatStart = Le32(all, 60);
  if (Le32(all, 64) > 0 && miniFatStart != kEndOfChain) {
    const std::string table = ReadChain(miniFatStart, 0, "the mini FAT");
    miniFat_.resize(table.size() / 4);
    for (size_t i = 0; i < miniFat_.size(); ++i) {
      miniFat_[i] = Le32(table, 4 * i);
    }
  }
}

// With `size` 0 the chain is read to its end, whole sectors; otherwise `size`
// bytes, and the chain must hold them.
std::string CompoundFile::ReadChain(uint32_t start, uint64_t size, const std::string& what) const {
  const std::string_view all = bytes_;
  const bool toEnd = size == 0;
  if (!toEnd && (size + sectorSize_ - 1) / sectorSize_ > sectorCount_) {
    Damaged(what + " claims " + std::to_string(size) + " bytes, more than the file holds");
  }
  std::string out;
  if (!toEnd) {
    out.reserve(size);
  }
  std::vector<bool> seen(sectorCount_, false);
  uint32_t sector = start;
  while (toEnd || out.size() < size) {
    if (toEnd && sector == kEndOfChain) {
      break;
    }
    if (sector == kEndOfChain || sector == kFreeSector) {
      Damaged(ChainName(what) + " ends before its " + std::to_string(size) + " bytes");
    }
    if (sector >= sectorCount_ || sector >= fat_.size()) {
      Damaged(ChainName(what) + " leaves the file");
    }
    if (seen[sector]) {
      Damaged(ChainName(what) + " loops");
    }
    seen[sector] = true;
    const uint64_t at = (static_cast<uint64_t>(sector) + 1) << sectorShift_;
    const uint64_t wanted =
        toEnd ? sectorSize_ : std::min<uint64_t>(sectorSize_, size - out.size());
    if (!Fits(all, at, wanted)) {
      Damaged(what + " runs past the end of the file");
    }
    out.append(all.substr(at, wanted));
    sector = fat_[sector];
  }
  return out;
}

std::string CompoundFile::ReadMiniChain(uint32_t start, uint64_t size,
                                        const std::string& what) const {
  const uint64_t miniSectors = (miniStream_.size() + kMiniSectorSize - 1) / kMiniSectorSize;
  if ((size + kMiniSectorSize - 1) / kMiniSectorSize > miniSectors) {
    Damaged(what + " claims " + std::to_string(size) + " bytes, more than the mini stream holds");
  }
  std::string out;
  out.reserve(size);
  std::vector<bool> seen(miniSectors, false);
  uint32_t sector = start;
  while (out.size() < size) {
    if (sector == kEndOfChain || sector == kFreeSector) {
      Damaged("the mini sector chain of " + what + " ends before its " + std::to_string(size) +
              " bytes");
    }
    if (sector >= miniSectors || sector >= miniFat_.size()) {
      Damaged("the mini sector chain of " + what + " leaves the mini stream");
    }
    if (seen[sector]) {
      Damaged("the mini sector chain of " + what + " loops");
    }
    seen[sector] = true;
    const uint64_t at = static_cast<uint64_t>(sector) * kMiniSectorSize;
    const uint64_t wanted = std::min<uint64_t>(kMiniSectorSize, size - out.size());
    if (!Fits(miniStream_, at, wanted)) {
      Damaged(what + " runs past the end of the mini stream");
    }
    out.append(std::string_view(miniStream_).substr(at, wanted));
    sector = miniFat_[sector];
  }
  return out;
}

void CompoundFile::ReadDirectory(uint32_t start) {
  const std::string directory = ReadChain(start, 0, "the directory");
  const size_t count = directory.size() / kEntrySize;
  if (count == 0) {
    Damaged("the directory is empty");
  }
  if (count > kMaxDirectoryEntries) {
    Damaged("the directory holds more than " + std::to_string(kMaxDirectoryEntries) + " entries");
  }
  entries_.resize(count);
  const bool version3 = sectorShift_ == 9;
  for (size_t i = 0; i < count; ++i) {
    const std::string_view raw = std::string_view(directory).substr(i * kEntrySize, kEntrySize);
    Entry& entry = entries_[i];
    const uint8_t type = static_cast<uint8_t>(raw[66]);
    if (type != 0 && type != 1 && type != 2 && type != 5) {
      Damaged("directory entry " + std::to_string(i) + " has the unknown type " +
              std::to_string(type));
    }
    entry.type = static_cast<Type>(type);
    if (entry.type == Type::kEmpty) {
      continue;
    }
    const uint16_t nameBytes = Le16(raw, 64);
    if (nameBytes > 64 || nameBytes % 2 != 0) {
      Damaged("directory entry " + std::to_string(i) + " has a name length of " +
              std::to_string(nameBytes));
    }
    for (size_t unit = 0; unit + 1 < nameBytes / 2u; ++unit) {
      entry.name.push_back(static_cast<wchar_t>(Le16(raw, 2 * unit)));
    }
    entry.left = Le32(raw, 68);
    entry.right = Le32(raw, 72);
    entry.child = Le32(raw, 76);
    entry.start = Le32(raw, 116);
    // Version 3 files of old writers leave the size's high half uninitialised.
    entry.size = version3 ? Le32(raw, 120) : Le64(raw, 120);
  }
  if (entries_[0].type != Type::kRoot) {
    Damaged("the first directory entry is not the root");
  }
}

// Every storage's children, in order, each entry reached at most once.
void CompoundFile::WalkTrees() {
  const uint32_t count = static_cast<uint32_t>(entries_.size());
  std::vector<bool> reached(count, false);
  reached[0] = true;
  std::vector<uint32_t> storages{0};
  std::vector<uint32_t> pending;
  while (!storages.empty()) {
    const uint32_t storage = storages.back();
    storages.pop_back();
    std::vector<uint32_t> children;
    uint32_t at = entries_[storage].child;
    while (at != kNoStream || !pending.empty()) {
      while (at != kNoStream) {
        if (at >= count) {
          Damaged("the directory tree points past the directory's " + std::to_string(count) +
                  " entries");
        }
        if (reached[at]) {
          Damaged("the directory tree loops (entry " + std::to_string(at) + " is reached twice)");
        }
        if (entries_[at].type == Type::kEmpty || entries_[at].type == Type::kRoot) {
          Damaged("the directory tree reaches entry " + std::to_string(at) +
                  ", which is no stream or storage");
        }
        reached[at] = true;
        pending.push_back(at);
        at = entries_[at].left;
      }
      at = pending.back();
      pending.pop_back();
      children.push_back(at);
      if (entries_[at].type == Type::kStorage) {
        storages.push_back(at);
      }
      at = entries_[at].right;
    }
    std::vector<uint32_t> byName = children;
    std::stable_sort(byName.begin(), byName.end(), [this](uint32_t a, uint32_t b) {
      return FoldedLess(entries_[a].name, entries_[b].name);
    });
    entries_[storage].children = std::move(children);
    entries_[storage].byName = std::move(byName);
  }
}

std::optional<uint32_t> CompoundFile::Find(uint32_t storage, std::wstring_view name) const {
  const std::vector<uint32_t>& byName = entries_[storage].byName;
  const auto found = std::lower_bound(
      byName.begin(), byName.end(), name,
      [this](uint32_t child, auto wanted) { return FoldedLess(entries_[child].name, wanted); });
  if (found == byName.end() || FoldedLess(name, entries_[*found].name)) {
    return std::nullopt;
  }
  return *found;
}

std::optional<uint32_t> CompoundFile::Find(uint32_t storage,
                                           std::initializer_list<std::wstring_view> path) const {
  std::optional<uint32_t> at = storage;
  for (const std::wstring_view name : path) {
    at = Find(*at, name);
    if (!at) {
      return std::nullopt;
    }
  }
  return at;
}

std::string CompoundFile::Read(uint32_t stream, uint64_t maxSize) const {
  const Entry& entry = entries_[stream];
  const std::string what = "stream " + Quoted(entry.name);
  if (entry.type != Type::kStream) {
    Damaged(Quoted(entry.name) + " is no stream");
  }
  if (entry.size > maxSize) {
    Damaged(what + " claims " + std::to_string(entry.size) + " bytes, more than the " +
            std::to_string(maxSize) + " allowed");
  }
  if (entry.size == 0) {
    return std::string();
  }
  if (entry.size < miniCutoff_) {
    return ReadMiniChain(entry.start, entry.size, what);
  }
  return ReadChain(entry.start, entry.size, what);
}

}  // namespace tarnwick::office
