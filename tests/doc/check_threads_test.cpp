// check reads and checks its modules on several threads against one scope of
// crefs; under ThreadSanitizer (make tsan-test) a race between them fails here.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/doc/doc_test_support.h"
#include "tools/doc/each_module.h"

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

// The bytes under way at once stay within the budget, whatever the cores; a
// call larger than the budget still runs, alone.
TEST(DocCheckThreads, WorkAtOnceStaysWithinItsBytes) {
  const std::vector<size_t> costs = {6, 6, 3, 3, 3, 25, 1, 1, 6, 4, 4, 2};
  std::mutex mutex;
  size_t now = 0;
  size_t most = 0;
  bool alone = true;  // nothing beside the call over the budget, nor beyond it
  std::vector<int> done(costs.size(), 0);
  ForEachIndex(
      costs.size(),
      [&](size_t i) {
        {
          const std::lock_guard<std::mutex> lock(mutex);
          alone = alone && (costs[i] <= 10 ? now <= 10 - costs[i] : now == 0);
          now += costs[i];
          most = std::max(most, now);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const std::lock_guard<std::mutex> lock(mutex);
        now -= costs[i];
        ++done[i];
      },
      [&](size_t i) { return costs[i]; }, 10);
  EXPECT_TRUE(alone);
  EXPECT_EQ(most, 25u);
  EXPECT_EQ(done, std::vector<int>(costs.size(), 1));
}

}  // namespace
}  // namespace tarnwick
