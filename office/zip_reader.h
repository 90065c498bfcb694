// A bounded reader of zip archives (PKWARE's APPNOTE), as Office Open XML
// packages use them: the central directory is read once, an entry's data on
// request, stored or deflated. Zip64 records are understood; encryption,
// spanning and other methods are not.
//
// Every failure throws OfficeError(kDamaged) with a message starting
// "damaged zip package: ": truncated archives, a central directory outside
// the file, bad local headers, sizes or checksums that do not match the data,
// more entries than kMaxZipEntries, an entry larger than the caller's cap.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::office {

inline constexpr size_t kMaxZipEntries = 100000;

struct ZipEntry {
  std::string name;  // as stored: UTF-8 or code page 437, '/' between folders
  uint16_t flags = 0;
  uint16_t method = 0;  // 0 stored, 8 deflated
  uint32_t crc32 = 0;
  uint64_t compressedSize = 0;
  uint64_t size = 0;
  uint64_t localHeaderOffset = 0;
};

// True when the bytes end like a zip archive (an end of central directory
// record within the last 64 KiB) or start with a local file header.
bool LooksLikeZip(std::string_view bytes);

class ZipArchive {
 public:
  explicit ZipArchive(std::string bytes);

  const std::vector<ZipEntry>& entries() const { return entries_; }

  // The entry's data, inflated and checked against its size and CRC-32.
  // Throws for an entry larger than `maxSize` before inflating anything.
  std::string Read(const ZipEntry& entry, uint64_t maxSize) const;

 private:
  std::string bytes_;
  std::vector<ZipEntry> entries_;
};

}  // namespace tarnwick::office
