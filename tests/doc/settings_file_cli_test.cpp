// tarnwick-doc with a project's settings file: its values stand where no flag
// was given, its patterns leave folders out, and its warnings are shown.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tools/doc/doc_command.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

TEST(SettingsFileCli, TheFileGivesDefaultsAndFlagsWin) {
  const fs::path root = fs::temp_directory_path() / "tarnwick-doc-settings-file";
  fs::remove_all(root);
  fs::create_directories(root / "src/build");
  std::ofstream(root / ".tarnwick") << "missing = none\nexclude = src/build/**\nshade = dark\n";
  std::ofstream(root / "src/A.bas") << "Attribute VB_Name = \"A\"\nPublic Sub Run()\nEnd Sub\n";
  std::ofstream(root / "src/build/B.bas") << "''' <summary>Orphan.</summary>\n";
  const std::string folder = (root / "src").generic_string();

  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(RunDocCommand({"check", folder}, out, err), 0) << out.str() << err.str();
  EXPECT_EQ(out.str(), "");  // no TWD001 (missing = none), B.bas not read (excluded)
  EXPECT_NE(err.str().find(".tarnwick:3: warning: unknown key 'shade'"), std::string::npos)
      << err.str();

  std::ostringstream flagged;
  RunDocCommand({"check", "--missing", "all", folder}, flagged, err);
  EXPECT_NE(flagged.str().find("TWD001"), std::string::npos) << flagged.str();
  EXPECT_EQ(flagged.str().find("B.bas"), std::string::npos) << flagged.str();
  fs::remove_all(root);
}

}  // namespace
}  // namespace tarnwick
