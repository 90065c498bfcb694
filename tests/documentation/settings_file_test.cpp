// The project's settings file: its lines, its patterns, and where it is found.
#include <gtest/gtest.h>

#include <map>

#include "documentation/settings_file.h"

namespace tarnwick {
namespace {

TEST(SettingsFile, ReadsEveryKeyAndWarnsOfTheRest) {
  const SettingsFile file = ParseSettingsFile(
      "/p/.tarnwick",
      "\xEF\xBB\xBF# comment\r\n; another\r\n\r\nencoding = CP932\r\nmissing=all\r\n"
      "ignore = twd003, TWD015, TWD999\r\nexclude = build/**, vendor/*.bas\r\n"
      "descriptions = true\r\ncolour = blue\r\nmissing = some\r\nno equals sign\r\n");
  EXPECT_EQ(file.folder, "/p");
  const ProjectSettings& s = file.settings;
  EXPECT_EQ(s.encoding, Encoding::kCp932);
  EXPECT_EQ(s.missing, MissingBlocks::kAll);  // the bad second value leaves the first
  EXPECT_EQ(s.ignore, (std::vector<std::string>{"TWD003", "TWD015"}));
  EXPECT_EQ(s.exclude, (std::vector<std::string>{"build/**", "vendor/*.bas"}));
  EXPECT_EQ(s.descriptions, true);
  ASSERT_EQ(file.warnings.size(), 4u);
  EXPECT_EQ(file.warnings[0].line, 6);  // TWD999
  EXPECT_EQ(file.warnings[1].message, "warning: unknown key 'colour'; left out");
  EXPECT_EQ(file.warnings[3].line, 11);
}

struct GlobCase {
  const char* pattern;
  const char* path;
  bool matches;
};

TEST(SettingsFile, PatternsMatchWithinAndAcrossFolders) {
  const GlobCase cases[] = {
      {"build/**", "build/a.bas", true},
      {"build/**", "build/x/y/a.bas", true},
      {"build/**", "src/build/a.bas", false},
      {"**/build/**", "src/build/a.bas", true},
      {"vendor/*.bas", "vendor/a.bas", true},
      {"vendor/*.bas", "vendor/x/a.bas", false},
      {"*.cls", "a.cls", true},
      {"*.cls", "src/a.cls", false},
      {"**/*.cls", "src/a.cls", true},
      {"a?.bas", "ab.bas", true},
  };
  for (const GlobCase& c : cases) {
    EXPECT_EQ(GlobMatches(c.pattern, c.path), c.matches) << c.pattern << " " << c.path;
  }
  const SettingsFile file = ParseSettingsFile("/p/.tarnwick", "exclude = build/**");
  EXPECT_TRUE(IsExcluded(file, "/p/build", true));
  EXPECT_FALSE(IsExcluded(file, "/p/src", true));
  EXPECT_FALSE(IsExcluded(file, "/q/build/a.bas", false));  // not below the file's folder
}

TEST(SettingsFile, TheNearestFileAboveTheModuleHolds) {
  const std::map<std::string, std::string> files = {{"/w/.tarnwick", "missing = none"},
                                                    {"/w/a/.tarnwick", "missing = all"}};
  auto read = [&](const std::string& path) -> std::optional<std::string> {
    const auto found = files.find(path);
    return found == files.end() ? std::nullopt : std::optional<std::string>(found->second);
  };
  EXPECT_EQ(FindSettingsFile("/w/a/b/M.bas", false, read)->path, "/w/a/.tarnwick");
  EXPECT_EQ(FindSettingsFile("/w/c/M.bas", false, read)->path, "/w/.tarnwick");
  EXPECT_EQ(FindSettingsFile("/w/a", true, read)->path, "/w/a/.tarnwick");
  EXPECT_FALSE(FindSettingsFile("/x/M.bas", false, read).has_value());
  EXPECT_EQ(FindSettingsFile("C:/w/a/M.bas", false, read), std::nullopt);
}

}  // namespace
}  // namespace tarnwick
