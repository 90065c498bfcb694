// The content types that tell which part of a package is the VBA project.
#include <gtest/gtest.h>

#include <string>

#include "office/content_types.h"

namespace tarnwick::office {
namespace {

std::string Utf16Le(const std::string& ascii) {
  std::string bytes = "\xFF\xFE";
  for (const char c : ascii) {
    bytes += c;
    bytes += '\0';
  }
  return bytes;
}

TEST(ContentTypes, OverridesBeatDefaultsAndNamesIgnoreCase) {
  const std::string types =
      "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/"
      "content-types\"><Default Extension=\"BIN\" ContentType=\"application/x-default\"/>"
      "<!-- <Override PartName=\"/xl/vbaProject.bin\" ContentType=\"commented/out\"/> -->"
      "<Override PartName=\"/XL/vbaProject.bin\" ContentType=\"application/vnd.ms-office."
      "vbaProject\"/><ct:Override xmlns:ct=\"x\" PartName='/word/a&amp;b.bin' "
      "ContentType='single/quoted'/></Types>";
  const struct {
    const char* name;
    std::string xml;
    const char* entry;
    const char* type;
  } cases[] = {
      {"Override, part name in another case", types, "xl/vbaproject.bin",
       "application/vnd.ms-office.vbaProject"},
      {"Default by extension, in another case", types, "xl/other.bin", "application/x-default"},
      {"prefixed element, single quotes, an entity", types, "word/a&b.bin", "single/quoted"},
      {"neither", types, "xl/workbook.xml", ""},
      {"a dot in a folder is no extension", types, "xl.bin/workbook", ""},
      {"UTF-16 with its byte-order mark", Utf16Le(types), "xl/vbaProject.bin",
       "application/vnd.ms-office.vbaProject"},
      {"markup cut short keeps what was read", types.substr(0, types.find("<Override")),
       "xl/vbaProject.bin", "application/x-default"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ContentTypes(c.xml).TypeOf(c.entry), c.type) << c.name;
  }
}

}  // namespace
}  // namespace tarnwick::office
