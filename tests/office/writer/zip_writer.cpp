#include "tests/office/writer/zip_writer.h"

#include <zlib.h>

#include <stdexcept>

#include "tests/office/writer/little_endian.h"

namespace tarnwick::office::testing {

std::string Deflate(const std::string& data) {
  z_stream stream{};
  if (deflateInit2(&stream, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    throw std::runtime_error("deflateInit2");
  }
  std::string out(deflateBound(&stream, data.size()), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  if (deflate(&stream, Z_FINISH) != Z_STREAM_END) {
    deflateEnd(&stream);
    throw std::runtime_error("deflate");
  }
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

std::string WriteZip(const std::vector<ZipItem>& items, ZipLayout* layout, bool zip64) {
  constexpr uint32_t kInZip64 = 0xFFFFFFFF;
  std::string out;
  std::string central;
  ZipLayout placed;
  for (const ZipItem& item : items) {
    const uint32_t crc = static_cast<uint32_t>(crc32(
        0, reinterpret_cast<const Bytef*>(item.data.data()), static_cast<uInt>(item.data.size())));
    const std::string data = item.deflate ? Deflate(item.data) : item.data;
    const uint16_t method = item.deflate ? 8 : 0;
    placed.localHeaders.push_back(out.size());
    // The zip64 extra field: the sizes, then (in the central header) the offset.
    std::string extra;
    if (zip64) {
      Append16(extra, 0x0001);
      Append16(extra, 24);
      Append64(extra, item.data.size());
      Append64(extra, data.size());
      Append64(extra, out.size());
    }
    // Version needed, flags, method, time, date, CRC, sizes, name length, extra length.
    std::string fields;
    Append16(fields, zip64 ? 45 : 20);
    Append16(fields, 0);
    Append16(fields, method);
    Append16(fields, 0);
    Append16(fields, 0x21);
    Append32(fields, crc);
    Append32(fields, zip64 ? kInZip64 : static_cast<uint32_t>(data.size()));
    Append32(fields, zip64 ? kInZip64 : static_cast<uint32_t>(item.data.size()));
    Append16(fields, static_cast<uint32_t>(item.name.size()));
    Append16(fields, static_cast<uint32_t>(extra.size()));

    Append32(central, 0x02014B50);
    Append16(central, 45);  // made by
    central += fields;
    Append16(central, 0);  // comment length
    Append16(central, 0);  // disk
    Append16(central, 0);  // internal attributes
    Append32(central, 0);  // external attributes
    Append32(central, zip64 ? kInZip64 : static_cast<uint32_t>(out.size()));
    central += item.name;
    central += extra;

    Append32(out, 0x04034B50);
    out += fields;
    out += item.name;
    out += extra;
    out += data;
  }
  placed.centralDirectory = out.size();
  out += central;
  if (zip64) {
    const size_t record = out.size();
    Append32(out, 0x06064B50);
    Append64(out, 44);
    Append16(out, 45);
    Append16(out, 45);
    Append32(out, 0);
    Append32(out, 0);
    Append64(out, items.size());
    Append64(out, items.size());
    Append64(out, central.size());
    Append64(out, placed.centralDirectory);
    Append32(out, 0x07064B50);
    Append32(out, 0);
    Append64(out, record);
    Append32(out, 1);
  }
  placed.end = out.size();
  Append32(out, 0x06054B50);
  Append16(out, 0);
  Append16(out, 0);
  Append16(out, zip64 ? 0xFFFF : static_cast<uint32_t>(items.size()));
  Append16(out, zip64 ? 0xFFFF : static_cast<uint32_t>(items.size()));
  Append32(out, zip64 ? kInZip64 : static_cast<uint32_t>(central.size()));
  Append32(out, zip64 ? kInZip64 : static_cast<uint32_t>(placed.centralDirectory));
  Append16(out, 0);
  if (layout != nullptr) {
    *layout = placed;
  }
  return out;
}

}  // namespace tarnwick::office::testing
