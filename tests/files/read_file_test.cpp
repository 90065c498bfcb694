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

}  // namespace
}  // namespace tarnwick
