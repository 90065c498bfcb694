// The project's compression: Microsoft's worked examples of [MS-OVBA] 3.2,
// the fixtures' compressor read back, and containers that lie.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "office/office_error.h"
#include "office/vba_compression.h"
#include "tests/office/writer/vba_compressor.h"

namespace tarnwick::office {
namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (const int value : values) {
    bytes.push_back(static_cast<char>(value));
  }
  return bytes;
}

struct Example {
  const char* section;
  std::string compressed;
  std::string text;
};

TEST(VbaCompression, MicrosoftExamplesDecompressToTheirText) {
  const Example examples[] = {
      {"3.2.1 No Compression Example",
       Bytes({0x01, 0x19, 0xB0, 0x00, 0x61, 0x62, 0x63, 0x64, 0x65, 0x66,
              0x67, 0x68, 0x00, 0x69, 0x6A, 0x6B, 0x6C, 0x6D, 0x6E, 0x6F,
              0x70, 0x00, 0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x2E}),
       "abcdefghijklmnopqrstuv."},
      {"3.2.2 Normal Compression Example",
       Bytes({0x01, 0x2F, 0xB0, 0x00, 0x23, 0x61, 0x61, 0x61, 0x62, 0x63, 0x64, 0x65, 0x82,
              0x66, 0x00, 0x70, 0x61, 0x67, 0x68, 0x69, 0x6A, 0x01, 0x38, 0x08, 0x61, 0x6B,
              0x6C, 0x00, 0x20, 0x6D, 0x6E, 0x6F, 0x70, 0x06, 0x71, 0x02, 0x70, 0x04, 0x00,
              0x72, 0x73, 0x74, 0x75, 0x76, 0x10, 0x77, 0x78, 0x79, 0x7A, 0x00, 0x2C}),
       "#aaabcdefaaaaghijaaaaaklaaamnopqaaaaaaaaaaaarstuvwxyzaaa"},
      {"3.2.3 Maximum Compression Example", Bytes({0x01, 0x03, 0xB0, 0x02, 0x61, 0x45, 0x00}),
       std::string(73, 'a')},
  };
  for (const Example& example : examples) {
    EXPECT_EQ(DecompressVba(example.compressed), example.text) << example.section;
  }
}

std::string Random(size_t size, unsigned seed) {
  std::mt19937 generator(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) {
    c = static_cast<char>(generator() & 0xFF);
  }
  return bytes;
}

std::string Repeated(const std::string& line, size_t times) {
  std::string text;
  for (size_t i = 0; i < times; ++i) {
    text += line + std::to_string(i % 97) + "\r\n";
  }
  return text;
}

// The compressor of the fixtures must produce what the reader takes back, at
// every chunk boundary and offset width.
TEST(VbaCompression, FixtureCompressorRoundTrips) {
  const struct {
    const char* name;
    std::string text;
  } cases[] = {
      {"empty", ""},
      {"one byte", "x"},
      {"one run", std::string(5000, 'a')},
      {"exactly one chunk", Repeated("    Debug.Print ", 4096).substr(0, 4096)},
      {"many chunks of code", Repeated("    total = total + Cells(i, 1).Value ' ", 3000)},
      {"raw chunks then a short one", Random(2 * 4096, 7) + "End Sub\r\n"},
  };
  for (const auto& c : cases) {
    const std::string compressed = testing::CompressVba(c.text);
    EXPECT_EQ(DecompressVba(compressed), c.text) << c.name;
  }
}

TEST(VbaCompression, DamagedContainersAreRefused) {
  const std::string good = testing::CompressVba("Attribute VB_Name = \"Module1\"\r\nSub A()\r\n");
  std::string badChunkSignature = good;
  badChunkSignature[2] = static_cast<char>(badChunkSignature[2] & 0x8F);
  const struct {
    const char* name;
    std::string container;
    uint64_t cap;
    const char* message;
  } cases[] = {
      {"empty", "", kMaxDecompressedSize, "the compressed container is empty"},
      {"bad signature byte", "\x02" + good.substr(1), kMaxDecompressedSize,
       "the signature byte is 2, not 1"},
      {"chunk header without its signature", badChunkSignature, kMaxDecompressedSize,
       "lacks its signature"},
      {"chunk header cut short", good.substr(0, 2), kMaxDecompressedSize, "is cut short"},
      {"chunk runs past the end", good.substr(0, good.size() - 3), kMaxDecompressedSize,
       "runs past the end of the data"},
      {"raw chunk of another size", Bytes({0x01, 0x10, 0x30, 'a', 'b'}), kMaxDecompressedSize,
       "is not 4096 bytes"},
      {"copy token before the chunk", Bytes({0x01, 0x02, 0xB0, 0x01, 0x00, 0x00}),
       kMaxDecompressedSize, "refers before the start of the chunk"},
      {"copy token past 4096 bytes",
       Bytes({0x01, 0x03, 0xB0, 0x02, 0x61, 0xFF, 0x0F}) /* 1 + 4098 bytes */, kMaxDecompressedSize,
       "runs past the 4096 bytes"},
      {"copy token cut short", Bytes({0x01, 0x02, 0xB0, 0x02, 0x61, 0x45}), kMaxDecompressedSize,
       "copy token is cut short"},
      {"more than the cap", testing::CompressVba(std::string(10000, 'z')), 9000,
       "decompresses to more than 9000 bytes"},
  };
  for (const auto& c : cases) {
    try {
      (void)DecompressVba(c.container, c.cap);
      ADD_FAILURE() << c.name << ": no error";
    } catch (const OfficeError& error) {
      EXPECT_EQ(error.failure, OfficeFailure::kDamaged) << c.name;
      EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos)
          << c.name << ": " << error.what();
      EXPECT_EQ(std::string(error.what()).rfind("damaged compressed data: ", 0), 0u) << c.name;
    }
  }
}

}  // namespace
}  // namespace tarnwick::office
