// check reads and checks its modules on several threads against one scope of
// crefs; under ThreadSanitizer (make tsan-test) a race between them fails here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/doc/doc_test_support.h"

namespace tarnwick {
namespace {

TEST(DocCheckThreads, ModulesWithCrefsAreCheckedAtOnceAgainstOneScope) {
  ScratchFolder folder;
  std::vector<std::string> arguments = {"check"};
  for (int i = 1; i <= 16; ++i) {
    const std::string name = "M" + std::to_string(i);
    arguments.push_back(
        folder.Write(name + ".bas", "Attribute VB_Name = \"" + name +
                                        "\"\r\n''' <summary>See <see cref=\"M1.A\"/> and <see "
                                        "cref=\"M2.Gone\"/>.</summary>\r\n"
                                        "Public Sub A()\r\nEnd Sub\r\n"));
  }
  const DocRun run = RunDoc(arguments);
  EXPECT_EQ(run.err, "");
  // Each module's cref to a member M2 lacks, once.
  size_t found = 0;
  for (size_t at = run.out.find("Gone"); at != std::string::npos;
       at = run.out.find("Gone", at + 1)) {
    ++found;
  }
  EXPECT_EQ(found, 16u) << run.out;
}

}  // namespace
}  // namespace tarnwick
