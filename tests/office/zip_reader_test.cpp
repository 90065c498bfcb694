// The zip reader: entries stored and deflated, and archives that are cut
// short or whose headers and sizes lie.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "office/office_error.h"
#include "office/zip_reader.h"
#include "tests/office/writer/compound_file_writer.h"
#include "tests/office/writer/zip_writer.h"

namespace tarnwick::office {
namespace {

using testing::Put16;
using testing::Put32;
using testing::ZipItem;
using testing::ZipLayout;

const std::string kText = [] {
  std::string text;
  for (int i = 0; i < 400; ++i) {
    text += "<row r=\"" + std::to_string(i) + "\"><c t=\"s\"><v>1</v></c></row>\r\n";
  }
  return text;
}();

std::string Archive(ZipLayout* layout = nullptr, bool zip64 = false) {
  return testing::WriteZip({{"[Content_Types].xml", "<Types/>", false},
                            {"xl/sheet.xml", kText, true},
                            {"xl/vbaProject.bin", "stored bytes", false}},
                           layout, zip64);
}

TEST(ZipReader, ReadsStoredAndDeflatedEntriesOfZipAndZip64Archives) {
  for (const bool zip64 : {false, true}) {
    const ZipArchive zip(Archive(nullptr, zip64));
    ASSERT_EQ(zip.entries().size(), 3u) << zip64;
    EXPECT_EQ(zip.entries()[1].name, "xl/sheet.xml") << zip64;
    EXPECT_EQ(zip.entries()[1].method, 8) << zip64;
    EXPECT_EQ(zip.Read(zip.entries()[0], 100), "<Types/>") << zip64;
    EXPECT_EQ(zip.Read(zip.entries()[1], kText.size()), kText) << zip64;
    EXPECT_EQ(zip.Read(zip.entries()[2], 100), "stored bytes") << zip64;
  }
}

// Each case breaks one thing of a good archive; the error names it.
TEST(ZipReader, DamagedArchivesAreRefused) {
  ZipLayout at;
  const std::string good = Archive(&at);
  const size_t sheet = at.localHeaders[1];
  const size_t sheetCentral = at.centralDirectory + 46 + std::string("[Content_Types].xml").size();
  const struct {
    const char* name;
    std::function<void(std::string&)> damage;
    int entry;  // the entry read, or -1 when opening fails
    const char* message;
    uint64_t cap = 1 << 20;
  } cases[] = {
      {"cut short", [](std::string& z) { z.resize(z.size() / 2); }, -1,
       "no end of central directory record"},
      {"central directory outside the file",
       [&](std::string& z) { Put32(z, at.end + 16, static_cast<uint32_t>(z.size())); }, -1,
       "the central directory lies outside the file"},
      {"more entries than the directory holds", [&](std::string& z) { Put16(z, at.end + 10, 900); },
       -1, "too small for its 900 entries"},
      {"central header without its signature",
       [&](std::string& z) { Put32(z, sheetCentral, 0x12345678); }, -1,
       "central directory entry 2 is not a central header"},
      {"bad local header", [&](std::string& z) { Put32(z, sheet, 0x04034B51); }, 1,
       "the local header of xl/sheet.xml is missing or bad"},
      {"local header names another entry", [&](std::string& z) { z[sheet + 30] = 'X'; }, 1,
       "names another entry"},
      {"local header with another method", [&](std::string& z) { Put16(z, sheet + 8, 0); }, 1,
       "gives another method"},
      {"size larger than the data inflates to",
       [&](std::string& z) {
         Put32(z, sheetCentral + 24, static_cast<uint32_t>(kText.size() + 5));
       },
       1, "not its size of"},
      {"size smaller than the data inflates to",
       [&](std::string& z) { Put32(z, sheetCentral + 24, 100); }, 1,
       "inflates to more than its size of 100 bytes"},
      {"compressed size past the end of the file",
       [&](std::string& z) { Put32(z, sheetCentral + 20, 0x7FFFFFFF); }, 1,
       "runs past the end of the file"},
      {"deflated data broken",
       [&](std::string& z) {
         for (size_t i = 0; i < 40; ++i) {
           z[sheet + 30 + 12 + i] = '\xFF';
         }
       },
       1, "xl/sheet.xml"},
      {"checksum that does not match", [&](std::string& z) { Put32(z, sheetCentral + 16, 1); }, 1,
       "the CRC-32 of xl/sheet.xml does not match"},
      {"unknown method",
       [&](std::string& z) {
         Put16(z, sheetCentral + 10, 12);
         Put16(z, sheet + 8, 12);
       },
       1, "uses compression method 12"},
      {"encrypted entry", [&](std::string& z) { Put16(z, sheetCentral + 8, 1); }, 1,
       "xl/sheet.xml is encrypted"},
      {"larger than the caller allows", [](std::string&) {}, 1, "more than the 1000 allowed", 1000},
  };
  for (const auto& c : cases) {
    std::string bytes = good;
    c.damage(bytes);
    try {
      const ZipArchive zip(bytes);
      ASSERT_GE(c.entry, 0) << c.name << ": opened";
      (void)zip.Read(zip.entries().at(c.entry), c.cap);
      ADD_FAILURE() << c.name << ": no error";
    } catch (const OfficeError& error) {
      EXPECT_EQ(error.failure, OfficeFailure::kDamaged) << c.name;
      EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos)
          << c.name << ": " << error.what();
      EXPECT_EQ(std::string(error.what()).rfind("damaged zip package: ", 0), 0u) << c.name;
    }
  }
}

}  // namespace
}  // namespace tarnwick::office
