#include <gtest/gtest.h>

#include <string>

#include "files/read_file.h"
#include "tests/files/scratch.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace tarnwick {
namespace {

std::string FailureOf(const std::filesystem::path& path,
                      std::uintmax_t largest = kLargestFileRead) {
  try {
    (void)ReadFileBytes(path, largest);
  } catch (const InputError& error) {
    return error.what();
  }
  return "(read)";
}

TEST(ReadFile, ReadsARegularFileWholeAndRefusesWhatIsNot) {
  const test::Scratch scratch;
  const std::string bytes("a\0b\r\n", 5);
  EXPECT_EQ(ReadFileBytes(scratch.Write("M.bas", bytes)), bytes);
  EXPECT_EQ(FailureOf(scratch / ""), "cannot read the file: it is a folder");
  EXPECT_EQ(FailureOf(scratch.Write("Big.bas", "12345"), 4),
            "the file is larger than 4 bytes: no module or Office file is");
  // The system's own reason.
  EXPECT_NE(FailureOf(scratch / "Missing.bas").find("cannot read the file: "), std::string::npos);
  EXPECT_GT(FailureOf(scratch / "Missing.bas").size(),
            std::string("cannot read the file: ").size());
#ifndef _WIN32
  // A pipe without a writer would block an open; a device has no end.
  ASSERT_EQ(mkfifo((scratch / "Pipe.bas").c_str(), 0600), 0);
  EXPECT_EQ(FailureOf(scratch / "Pipe.bas"),
            "cannot read the file: it is not a regular file (a device, a pipe or a socket)");
  EXPECT_EQ(FailureOf("/dev/zero"),
            "cannot read the file: it is not a regular file (a device, a pipe or a socket)");
#endif
}

// The cap a file's first bytes choose: text is refused at its own, smaller
// cap, a short file's whole bytes choose, and the chosen cap never exceeds
// the outer one.
TEST(ReadFile, TheFirstBytesChooseTheCap) {
  const test::Scratch scratch;
  const auto capFor = [](std::string_view head) -> std::uintmax_t {
    return head.starts_with("PK") ? 100000 : 64;
  };
  const auto read = [&](const std::string& name, const std::string& bytes) -> std::string {
    try {
      return ReadFileBytes(scratch.Write(name, bytes), 1000, capFor);
    } catch (const InputError& error) {
      return error.what();
    }
  };
  EXPECT_EQ(read("Text.bas", std::string(65, 'x')),
            "the file is larger than 64 bytes: no module or Office file is");
  EXPECT_EQ(read("Short.bas", "PK"), "PK");
  EXPECT_EQ(read("Zip.xlsm", "PK" + std::string(998, 'z')).size(), 1000u);
  EXPECT_EQ(read("Huge.xlsm", "PK" + std::string(999, 'z')),
            "the file is larger than 1000 bytes: no module or Office file is");
}

}  // namespace
}  // namespace tarnwick
