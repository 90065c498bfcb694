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

// A project whose legacy folder has a settings file of its own: each module
// is read and checked by the nearest one above it, whichever PATH named it,
// and a flag still wins over both.
TEST(SettingsFileCli, EachModuleTakesTheNearestFile) {
  const fs::path root = fs::temp_directory_path() / "tarnwick-doc-nested-settings";
  fs::remove_all(root);
  fs::create_directories(root / "legacy/generated");
  std::ofstream(root / ".tarnwick") << "missing = all\nexclude = legacy/old/**\n";
  std::ofstream(root / "legacy/.tarnwick")
      << "encoding = cp932\nmissing = none\nignore = TWD014\nexclude = generated/**\n";
  const std::string undocumented = "Attribute VB_Name = \"M\"\nPublic Sub Run()\nEnd Sub\n";
  std::ofstream(root / "New.bas") << undocumented;
  std::ofstream(root / "legacy/generated/Gen.bas") << undocumented;
  // Shift-JIS text, which is not UTF-8: "\x83\x65" is a katakana in cp932.
  std::ofstream(root / "legacy/Old.bas", std::ios::binary)
      << "Attribute VB_Name = \"Old\"\n''' <summary></summary>\n''' <remarks>\x83\x65</remarks>\n"
         "Public Sub Run()\nEnd Sub\nPublic Sub Bare()\nEnd Sub\n";

  for (const std::vector<std::string>& paths :
       {std::vector<std::string>{root.generic_string()},
        std::vector<std::string>{(root / "New.bas").generic_string(),
                                 (root / "legacy/Old.bas").generic_string()}}) {
    std::vector<std::string> command{"check"};
    command.insert(command.end(), paths.begin(), paths.end());
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunDocCommand(command, out, err), 1) << err.str();
    // New.bas under the root's file (missing = all); Old.bas under legacy's:
    // no TWD001 for Bare, its empty summary ignored; Gen.bas left out.
    EXPECT_NE(out.str().find("New.bas:2: TWD001"), std::string::npos) << out.str();
    EXPECT_EQ(out.str().find("Old.bas"), std::string::npos) << out.str();
    EXPECT_EQ(out.str().find("Gen.bas"), std::string::npos) << out.str();
    EXPECT_EQ(err.str(), "");
  }

  std::ostringstream out;
  std::ostringstream err;
  RunDocCommand({"check", "--missing", "public", root.generic_string()}, out, err);
  EXPECT_NE(out.str().find("Old.bas:6: TWD001 Sub Bare"), std::string::npos) << out.str();

  // Read as cp932, the remark is the katakana, not two windows-1252 letters.
  std::ostringstream xml;
  EXPECT_EQ(RunDocCommand({"xml", (root / "legacy/Old.bas").generic_string()}, xml, err), 0);
  EXPECT_NE(xml.str().find("\xE3\x83\x86"), std::string::npos) << xml.str();
  fs::remove_all(root);
}

}  // namespace
}  // namespace tarnwick
