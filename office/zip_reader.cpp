#include "office/zip_reader.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

#include "office/bytes.h"
#include "office/office_error.h"

namespace tarnwick::office {

namespace {

constexpr uint32_t kLocalHeader = 0x04034B50;
constexpr uint32_t kCentralHeader = 0x02014B50;
constexpr uint32_t kEndOfCentralDirectory = 0x06054B50;
constexpr uint32_t kZip64End = 0x06064B50;
constexpr uint32_t kZip64Locator = 0x07064B50;
constexpr size_t kEndSize = 22;
constexpr size_t kCentralSize = 46;
constexpr size_t kLocalSize = 30;
constexpr size_t kZip64EndSize = 56;
constexpr size_t kZip64LocatorSize = 20;

[[noreturn]] void Damaged(const std::string& what) {
  throw OfficeError(OfficeFailure::kDamaged, "damaged zip package: " + what);
}

// The end of central directory record: the last one whose comment reaches
// exactly to the end of the file, or failing that the last signature found.
size_t FindEnd(std::string_view bytes) {
  if (bytes.size() < kEndSize) {
    return std::string_view::npos;
  }
  const size_t lowest = bytes.size() > 0xFFFF + kEndSize ? bytes.size() - 0xFFFF - kEndSize : 0;
  size_t found = std::string_view::npos;
  for (size_t at = bytes.size() - kEndSize + 1; at-- > lowest;) {
    if (Le32(bytes, at) != kEndOfCentralDirectory) {
      continue;
    }
    if (at + kEndSize + Le16(bytes, at + 20) == bytes.size()) {
      return at;
    }
    if (found == std::string_view::npos) {
      found = at;
    }
  }
  return found;
}

struct CentralDirectory {
  uint64_t entries = 0;
  uint64_t size = 0;
  uint64_t offset = 0;
};

CentralDirectory ReadEnd(std::string_view bytes, size_t end) {
  if (Le16(bytes, end + 4) != 0 || Le16(bytes, end + 6) != 0) {
    Damaged("the archive spans several disks");
  }
  CentralDirectory directory{Le16(bytes, end + 10), Le32(bytes, end + 12), Le32(bytes, end + 16)};
  const bool zip64 =
      directory.entries == 0xFFFF || directory.size == 0xFFFFFFFF || directory.offset == 0xFFFFFFFF;
  if (!zip64 || end < kZip64LocatorSize || Le32(bytes, end - kZip64LocatorSize) != kZip64Locator) {
    return directory;
  }
  const uint64_t at = Le64(bytes, end - kZip64LocatorSize + 8);
  if (!Fits(bytes, at, kZip64EndSize) || Le32(bytes, at) != kZip64End) {
    Damaged("the zip64 end of central directory record is missing");
  }
  return {Le64(bytes, at + 32), Le64(bytes, at + 40), Le64(bytes, at + 48)};
}

// Replaces the 32-bit fields that say 0xFFFFFFFF by the zip64 extra field's.
void ReadZip64Extra(std::string_view extra, ZipEntry& entry) {
  for (size_t at = 0; at + 4 <= extra.size();) {
    const uint16_t id = Le16(extra, at);
    const uint16_t size = Le16(extra, at + 2);
    if (!Fits(extra, at + 4, size)) {
      Damaged("the extra field of " + entry.name + " runs past its end");
    }
    if (id == 0x0001) {
      std::string_view field = extra.substr(at + 4, size);
      size_t next = 0;
      for (uint64_t* value : {&entry.size, &entry.compressedSize, &entry.localHeaderOffset}) {
        if (*value != 0xFFFFFFFF) {
          continue;
        }
        if (next + 8 > field.size()) {
          Damaged("the zip64 field of " + entry.name + " is too short");
        }
        *value = Le64(field, next);
        next += 8;
      }
    }
    at += 4 + size;
  }
}

// Sizes are capped well below 4 GiB by the callers, so one call inflates all.
std::string Inflate(std::string_view data, uint64_t size, const std::string& name) {
  if (data.size() > std::numeric_limits<uInt>::max() || size >= std::numeric_limits<uInt>::max()) {
    Damaged(name + " is too large to inflate");
  }
  std::string out(size + 1, '\0');  // one byte more, to catch a size that lies
  z_stream stream{};
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) {
    Damaged("cannot start inflating " + name);
  }
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(size + 1);
  const int status = inflate(&stream, Z_FINISH);
  const uint64_t produced = stream.total_out;
  inflateEnd(&stream);
  if (produced > size) {
    Damaged(name + " inflates to more than its size of " + std::to_string(size) + " bytes");
  }
  if (status != Z_STREAM_END) {
    Damaged("the deflated data of " + name + " is broken or cut short");
  }
  if (produced != size) {
    Damaged(name + " inflates to " + std::to_string(produced) + " bytes, not its size of " +
            std::to_string(size));
  }
  out.resize(size);
  return out;
}

}  // namespace

bool LooksLikeZip(std::string_view bytes) {
  return (bytes.size() >= 4 && Le32(bytes, 0) == kLocalHeader) ||
         FindEnd(bytes) != std::string_view::npos;
}

ZipArchive::ZipArchive(std::string bytes) : bytes_(std::move(bytes)) {
  const std::string_view all = bytes_;
  const size_t end = FindEnd(all);
  if (end == std::string_view::npos) {
    Damaged("no end of central directory record; the file is cut short or no zip");
  }
  const CentralDirectory directory = ReadEnd(all, end);
  if (!Fits(all, directory.offset, directory.size)) {
    Damaged("the central directory lies outside the file");
  }
  if (directory.entries > kMaxZipEntries) {
    Damaged("more than " + std::to_string(kMaxZipEntries) + " entries");
  }
  // Every central header takes at least 46 bytes, so the count cannot lie by much.
  if (directory.entries > directory.size / kCentralSize) {
    Damaged("the central directory is too small for its " + std::to_string(directory.entries) +
            " entries");
  }
  const std::string_view central = all.substr(directory.offset, directory.size);
  size_t at = 0;
  entries_.reserve(directory.entries);
  for (uint64_t i = 0; i < directory.entries; ++i) {
    if (!Fits(central, at, kCentralSize) || Le32(central, at) != kCentralHeader) {
      Damaged("central directory entry " + std::to_string(i + 1) + " is not a central header");
    }
    const size_t nameSize = Le16(central, at + 28);
    const size_t extraSize = Le16(central, at + 30);
    const size_t commentSize = Le16(central, at + 32);
    if (!Fits(central, at + kCentralSize, nameSize + extraSize + commentSize)) {
      Damaged("central directory entry " + std::to_string(i + 1) + " runs past its end");
    }
    ZipEntry entry;
    entry.flags = Le16(central, at + 8);
    entry.method = Le16(central, at + 10);
    entry.crc32 = Le32(central, at + 16);
    entry.compressedSize = Le32(central, at + 20);
    entry.size = Le32(central, at + 24);
    entry.localHeaderOffset = Le32(central, at + 42);
    entry.name = std::string(central.substr(at + kCentralSize, nameSize));
    ReadZip64Extra(central.substr(at + kCentralSize + nameSize, extraSize), entry);
    entries_.push_back(std::move(entry));
    at += kCentralSize + nameSize + extraSize + commentSize;
  }
}

std::string ZipArchive::Read(const ZipEntry& entry, uint64_t maxSize) const {
  const std::string_view all = bytes_;
  const std::string& name = entry.name;
  if (entry.flags & 0x0001) {
    Damaged(name + " is encrypted");
  }
  if (entry.size > maxSize) {
    Damaged(name + " claims " + std::to_string(entry.size) + " bytes, more than the " +
            std::to_string(maxSize) + " allowed");
  }
  const uint64_t local = entry.localHeaderOffset;
  if (!Fits(all, local, kLocalSize) || Le32(all, local) != kLocalHeader) {
    Damaged("the local header of " + name + " is missing or bad");
  }
  const size_t nameSize = Le16(all, local + 26);
  const size_t extraSize = Le16(all, local + 28);
  if (!Fits(all, local + kLocalSize, nameSize) ||
      all.substr(local + kLocalSize, nameSize) != name) {
    Damaged("the local header of " + name + " names another entry");
  }
  if (Le16(all, local + 8) != entry.method) {
    Damaged("the local header of " + name + " gives another method");
  }
  const uint64_t dataAt = local + kLocalSize + nameSize + extraSize;
  if (!Fits(all, dataAt, entry.compressedSize)) {
    Damaged("the data of " + name + " runs past the end of the file");
  }
  const std::string_view data = all.substr(dataAt, entry.compressedSize);
  std::string out;
  if (entry.method == 0) {
    if (entry.compressedSize != entry.size) {
      Damaged("the stored entry " + name + " has two different sizes");
    }
    out = std::string(data);
  } else if (entry.method == 8) {
    out = Inflate(data, entry.size, name);
  } else {
    Damaged(name + " uses compression method " + std::to_string(entry.method) +
            ", not stored or deflate");
  }
  uLong crc = crc32(0L, Z_NULL, 0);
  for (size_t done = 0; done < out.size();) {
    const uInt step = static_cast<uInt>(std::min<size_t>(out.size() - done, 1u << 30));
    crc = crc32(crc, reinterpret_cast<const Bytef*>(out.data() + done), step);
    done += step;
  }
  if (static_cast<uint32_t>(crc) != entry.crc32) {
    Damaged("the CRC-32 of " + name + " does not match its data");
  }
  return out;
}

}  // namespace tarnwick::office
