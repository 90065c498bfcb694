#include <gtest/gtest.h>

#include <set>
#include <string>

#include "files/safe_write.h"
#include "files/temporary_name.h"
#include "tests/files/scratch.h"
#include "text/source_text.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files/rename_no_replace.h"
#endif

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

std::string FailureOf(const fs::path& path, const std::string& bytes, bool replace = true) {
  try {
    WriteFileSafely(path, bytes, replace);
  } catch (const InputError& error) {
    return error.what();
  }
  return "(written)";
}

// The temporary file has a name of its own, created beside the target: a file
// of the user's with the name an older writer used is never touched, and
// nothing is left behind.
TEST(SafeWrite, WritesThroughATemporaryFileOfItsOwnAndLeavesNothingBehind) {
  const test::Scratch scratch;
  scratch.Write("M.bas.tarnwick-doc.tmp", "the user's own");
  WriteFileSafely(scratch / "M.bas", "new");
  WriteFileSafely(scratch / "M.bas", "newer");
  EXPECT_EQ(scratch.Read("M.bas"), "newer");
  EXPECT_EQ(scratch.Read("M.bas.tarnwick-doc.tmp"), "the user's own");
  EXPECT_EQ(scratch.Names(), (Names{"M.bas", "M.bas.tarnwick-doc.tmp"}));

  std::set<fs::path> names;
  for (int i = 0; i < 100; ++i) {
    const fs::path name = files::TemporaryBeside(scratch / std::string(300, 'x'));
    EXPECT_EQ(name.parent_path(), (scratch / "x").parent_path());
    EXPECT_LT(name.filename().native().size(), 255u);
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 100u);
}

TEST(SafeWrite, WithoutReplaceAFileThatExistsIsKept) {
  const test::Scratch scratch;
  scratch.Write("M.bas", "mine");
  EXPECT_EQ(FailureOf(scratch / "M.bas", "theirs", false).rfind("cannot create the file: ", 0), 0u);
  EXPECT_EQ(scratch.Read("M.bas"), "mine");
  WriteFileSafely(scratch / "New.bas", "new", false);
  EXPECT_EQ(scratch.Read("New.bas"), "new");
  EXPECT_EQ(scratch.Names(), (Names{"M.bas", "New.bas"}));
}

TEST(SafeWrite, AReadOnlyFileIsRefusedAndLeftAsItWas) {
  const test::Scratch scratch;
  const fs::path path = scratch.Write("M.bas", "mine");
  fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  EXPECT_EQ(FailureOf(path, "theirs"), "the file is read-only; it was left as it was");
  EXPECT_EQ(scratch.Read("M.bas"), "mine");
  EXPECT_EQ(scratch.Names(), Names{"M.bas"});
}

// Every failure gives the system's reason.
TEST(SafeWrite, AFailureGivesTheSystemsReasonAndLeavesNoTemporaryFile) {
  const test::Scratch scratch;
  const std::string failure = FailureOf(scratch / "missing" / "M.bas", "x");
  const size_t colon = failure.find(": ");
  ASSERT_NE(colon, std::string::npos) << failure;
  EXPECT_GT(failure.size(), colon + 4) << failure;
  fs::create_directory(scratch / "Folder.bas");
  EXPECT_EQ(FailureOf(scratch / "Folder.bas", "x"), "cannot replace it: it is not a regular file");
  EXPECT_EQ(scratch.Names(), Names{"Folder.bas"});
}

#ifndef _WIN32
mode_t ModeOf(const fs::path& path) {
  struct stat status {};
  EXPECT_EQ(lstat(path.c_str(), &status), 0);
  return status.st_mode;
}

TEST(SafeWrite, TheFilesPermissionBitsAreKept) {
  const test::Scratch scratch;
  const fs::path path = scratch.Write("M.bas", "mine");
  ASSERT_EQ(chmod(path.c_str(), 0600), 0);
  WriteFileSafely(path, "new");
  EXPECT_EQ(ModeOf(path) & 07777, 0600u);
  ASSERT_EQ(chmod(path.c_str(), 0755), 0);
  WriteFileSafely(path, "newer");
  EXPECT_EQ(ModeOf(path) & 07777, 0755u);
}

// The link stays a link, and the file it names gets the change; a link
// planted at a temporary name is never followed (the name is created with
// O_EXCL | O_NOFOLLOW, so a planted name is skipped for another).
TEST(SafeWrite, ALinkedTargetIsWrittenThrough) {
  const test::Scratch scratch;
  fs::create_directory(scratch / "real");
  scratch.Write("real/M.bas", "old");
  fs::create_symlink("real/M.bas", scratch / "M.bas");
  WriteFileSafely(scratch / "M.bas", "new");
  EXPECT_TRUE(S_ISLNK(ModeOf(scratch / "M.bas")));
  EXPECT_EQ(scratch.Read("real/M.bas"), "new");
  EXPECT_EQ(scratch.Names(), (Names{"M.bas", "real"}));
  // Without replace a link is a name that exists.
  EXPECT_EQ(FailureOf(scratch / "M.bas", "x", false).rfind("cannot create the file: ", 0), 0u);
  EXPECT_EQ(scratch.Read("real/M.bas"), "new");
}

// Where the file system lacks RENAME_NOREPLACE, a hard link; where it lacks
// both (FAT, some shares), a look before the rename. Each refuses a name taken.
TEST(SafeWrite, EachWayOfRenamingWithoutReplacingKeepsAFileThatExists) {
  for (const files::NoReplaceMethod method :
       {files::NoReplaceMethod::kBest, files::NoReplaceMethod::kLink,
        files::NoReplaceMethod::kCheckThenRename}) {
    SCOPED_TRACE(static_cast<int>(method));
    const test::Scratch scratch;
    scratch.Write("a", "a");
    scratch.Write("b", "b");
    const int folder = open((scratch / "").c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(folder, 0);
    EXPECT_EQ(files::RenameWithoutReplacing(folder, "a", "b", method), EEXIST);
    EXPECT_EQ(scratch.Read("b"), "b");
    EXPECT_EQ(files::RenameWithoutReplacing(folder, "a", "c", method), 0);
    close(folder);
    EXPECT_EQ(scratch.Names(), (Names{"b", "c"}));
    EXPECT_EQ(scratch.Read("c"), "a");
  }
}
#endif

}  // namespace
}  // namespace tarnwick
