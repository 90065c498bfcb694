// The compound-file reader: both versions, the mini stream, the DIFAT, and
// files whose chains, trees and sizes lie.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "office/bytes.h"
#include "office/compound_file.h"
#include "office/office_error.h"
#include "tests/office/writer/compound_file_writer.h"

namespace tarnwick::office {
namespace {

using testing::CfbLayout;
using testing::CfbNode;
using testing::Put32;

std::string Filled(size_t size, char seed) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<char>(seed + i * 7 + i / 251);
  }
  return bytes;
}

CfbNode Tree(size_t hugeSize = 0) {
  std::vector<CfbNode> root{
      CfbNode::Stream(L"Small", Filled(100, 'a')),
      CfbNode::Stream(L"Large", Filled(10000, 'b')),
      CfbNode::Storage(L"Sub",
                       {CfbNode::Stream(L"Inner", Filled(5000, 'c')),
                        CfbNode::Stream(L"Tiny", Filled(10, 'd')), CfbNode::Stream(L"Empty", "")}),
  };
  if (hugeSize > 0) {
    root.push_back(CfbNode::Stream(L"Huge", Filled(hugeSize, 'e')));
  }
  return CfbNode::Storage(L"Root Entry", std::move(root));
}

// A version 3 file of 7.5 MB needs more than the header's 109 FAT sectors.
constexpr size_t kPastHeaderFat = 7500000;

TEST(CompoundFile, ReadsStreamsOfEitherVersionThroughFatDifatAndMiniStream) {
  const struct {
    const char* name;
    int version;
    size_t hugeSize;
    size_t difatSectors;
  } cases[] = {
      {"version 3", 3, 0, 0},
      {"version 4", 4, 0, 0},
      {"version 3, FAT listed in a DIFAT sector", 3, kPastHeaderFat, 1},
  };
  for (const auto& c : cases) {
    CfbLayout layout;
    const CompoundFile file(testing::WriteCompoundFile(Tree(c.hugeSize), {c.version}, &layout));
    EXPECT_EQ(layout.difatSectors.size(), c.difatSectors) << c.name;
    const auto small = file.Find(file.root(), L"small");  // names compare without case
    const auto large = file.Find(file.root(), L"Large");
    const auto inner = file.Find(file.root(), {L"Sub", L"Inner"});
    const auto tiny = file.Find(file.root(), {L"SUB", L"Tiny"});
    const auto empty = file.Find(file.root(), {L"Sub", L"Empty"});
    ASSERT_TRUE(small && large && inner && tiny && empty) << c.name;
    EXPECT_EQ(file.Read(*small, 1 << 20), Filled(100, 'a')) << c.name;
    EXPECT_EQ(file.Read(*large, 1 << 20), Filled(10000, 'b')) << c.name;
    EXPECT_EQ(file.Read(*inner, 1 << 20), Filled(5000, 'c')) << c.name;
    EXPECT_EQ(file.Read(*tiny, 1 << 20), Filled(10, 'd')) << c.name;
    EXPECT_EQ(file.Read(*empty, 1 << 20), "") << c.name;
    if (c.hugeSize > 0) {
      EXPECT_EQ(file.Read(*file.Find(file.root(), L"Huge"), 1 << 23), Filled(c.hugeSize, 'e'));
    }
    EXPECT_FALSE(file.Find(file.root(), L"Inner")) << c.name << ": found outside its storage";
  }
}

TEST(CompoundFile, DifatChainsThatLoopOrLeaveTheFileAreRefused) {
  CfbLayout at;
  const std::string good = testing::WriteCompoundFile(Tree(kPastHeaderFat), {}, &at);
  ASSERT_EQ(at.difatSectors.size(), 1u);
  const uint32_t difat = at.difatSectors[0];
  const struct {
    const char* name;
    std::function<void(std::string&)> damage;
    const char* message;
  } cases[] = {
      {"loops",
       [&](std::string& f) {
         Put32(f, 44, 109 + 127 + 1);  // one FAT sector more than the one DIFAT sector lists
         Put32(f, at.SectorOffset(difat) + 508, difat);
       },
       "the DIFAT chain loops"},
      {"leaves the file", [](std::string& f) { Put32(f, 68, 0x00FFFFFF); },
       "the DIFAT chain ends or leaves the file"},
  };
  for (const auto& c : cases) {
    std::string bytes = good;
    c.damage(bytes);
    try {
      const CompoundFile file(bytes);
      ADD_FAILURE() << c.name << ": no error";
    } catch (const OfficeError& error) {
      EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos)
          << c.name << ": " << error.what();
    }
  }
}

// Each case breaks one thing of a good version 3 file; opening it or reading
// the named stream fails with the message.
TEST(CompoundFile, DamagedFilesAreRefused) {
  CfbLayout at;
  const std::string good = testing::WriteCompoundFile(Tree(), {}, &at);
  const CfbLayout::Placed large = at.Entry(L"Large");
  const CfbLayout::Placed small = at.Entry(L"Small");
  const size_t largeEntry = at.DirectoryEntryOffset(large.id);
  const auto miniFatEntry = [&](const std::string& file, uint32_t sector) {
    return at.SectorOffset(Le32(file, 60)) + 4 * sector;
  };
  const struct {
    const char* name;
    std::function<void(std::string&)> damage;
    const wchar_t* stream;  // read after opening, or nullptr
    const char* message;
  } cases[] = {
      {"sector chain that loops",
       [&](std::string& f) { Put32(f, at.FatEntryOffset(large.start + 1), large.start); }, L"Large",
       "the sector chain of stream 'Large' loops"},
      {"sector chain that leaves the file",
       [&](std::string& f) { Put32(f, at.FatEntryOffset(large.start), 0x00FFFFFF); }, L"Large",
       "the sector chain of stream 'Large' leaves the file"},
      {"sector chain shorter than its size",
       [&](std::string& f) { Put32(f, at.FatEntryOffset(large.start + 3), 0xFFFFFFFE); }, L"Large",
       "ends before its 10000 bytes"},
      {"size larger than the file", [&](std::string& f) { Put32(f, largeEntry + 120, 0x7FFFFFFF); },
       L"Large", "claims 2147483647 bytes, more than the file holds"},
      {"mini chain that loops",
       [&](std::string& f) { Put32(f, miniFatEntry(f, small.start), small.start); }, L"Small",
       "the mini sector chain of stream 'Small' loops"},
      {"mini size larger than the mini stream",
       [&](std::string& f) { Put32(f, at.DirectoryEntryOffset(small.id) + 120, 4000); }, L"Small",
       "more than the mini stream holds"},
      {"directory tree that loops", [&](std::string& f) { Put32(f, largeEntry + 68, large.id); },
       nullptr, "the directory tree loops"},
      {"directory tree pointing past the directory",
       [&](std::string& f) { Put32(f, largeEntry + 72, 5000); }, nullptr,
       "points past the directory"},
      {"directory chain that loops",
       [&](std::string& f) { Put32(f, at.FatEntryOffset(at.directoryStart), at.directoryStart); },
       nullptr, "the sector chain of the directory loops"},
      {"entry of an unknown type", [&](std::string& f) { f[largeEntry + 66] = 7; }, nullptr,
       "unknown type 7"},
      {"root that is no root", [&](std::string& f) { f[at.DirectoryEntryOffset(0) + 66] = 1; },
       nullptr, "the first directory entry is not the root"},
      {"bad signature", [](std::string& f) { f[0] = 'X'; }, nullptr, "no compound file signature"},
      {"unknown version", [](std::string& f) { f[26] = 5; }, nullptr,
       "version 5 with sector shift 9"},
      {"more FAT sectors than the file has", [](std::string& f) { Put32(f, 44, 100000); }, nullptr,
       "claims 100000 FAT sectors"},
      {"cut short", [](std::string& f) { f.resize(300); }, nullptr,
       "shorter than its 512-byte header"},
      {"cut in the middle", [](std::string& f) { f.resize(f.size() / 2); }, nullptr,
       "a FAT sector lies outside the file"},
  };
  for (const auto& c : cases) {
    std::string bytes = good;
    c.damage(bytes);
    try {
      const CompoundFile file(bytes);
      ASSERT_NE(c.stream, nullptr) << c.name << ": opened";
      const auto stream = file.Find(file.root(), c.stream);
      ASSERT_TRUE(stream) << c.name;
      (void)file.Read(*stream, 1ull << 32);
      ADD_FAILURE() << c.name << ": no error";
    } catch (const OfficeError& error) {
      EXPECT_EQ(error.failure, OfficeFailure::kDamaged) << c.name;
      EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos)
          << c.name << ": " << error.what();
      EXPECT_EQ(std::string(error.what()).rfind("damaged compound file: ", 0), 0u) << c.name;
    }
  }
}

// Among many children each is found by its name, folded as the format folds
// names (ASCII and Latin-1 letters), and a name that only begins like one is not.
TEST(CompoundFile, FindsEachOfManyChildrenByItsFoldedName) {
  std::vector<CfbNode> children;
  for (int i = 0; i < 3000; ++i) {
    children.push_back(CfbNode::Stream(L"Module" + std::to_wstring(i), std::to_string(i)));
  }
  children.push_back(CfbNode::Stream(L"\u00C9t\u00E9", "summer"));
  const CompoundFile file(testing::WriteCompoundFile(CfbNode::Storage(L"Root Entry", children)));
  for (int i = 0; i < 3000; i += 7) {
    const auto found = file.Find(file.root(), L"MODULE" + std::to_wstring(i));
    ASSERT_TRUE(found) << i;
    EXPECT_EQ(file.Read(*found, 100), std::to_string(i));
  }
  const auto accented = file.Find(file.root(), L"\u00E9T\u00C9");
  ASSERT_TRUE(accented);
  EXPECT_EQ(file.Read(*accented, 100), "summer");
  EXPECT_FALSE(file.Find(file.root(), L"Module"));
  EXPECT_FALSE(file.Find(file.root(), L"Module30000"));
}

}  // namespace
}  // namespace tarnwick::office
