// Whole projects out of every kind of container, the files that hold none or
// that we do not read, and projects whose streams are damaged.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "office/vba_project.h"
#include "text/utf.h"
#include "tests/office/writer/bench_workbook.h"
#include "tests/office/writer/project_writer.h"
#include "tests/office/writer/vba_compressor.h"
#include "tests/office/writer/zip_writer.h"

namespace tarnwick::office {
namespace {

using testing::CfbNode;
using testing::CfbOptions;
using testing::Container;
using testing::ModuleFixture;
using testing::ModuleSource;
using testing::ProjectFixture;

ModuleFixture Module(const std::wstring& name, ModuleKind kind, const std::wstring& code) {
  ModuleFixture module;
  module.name = name;
  module.kind = kind;
  module.source = ModuleSource(name, kind, code);
  return module;
}

ProjectFixture Workbook() {
  ProjectFixture project;
  project.modules = {
      Module(L"ThisWorkbook", ModuleKind::kDocument,
             L"Option Explicit\r\n\r\nPrivate Sub Workbook_Open()\r\n    Calc.Run\r\nEnd Sub\r\n"),
      Module(L"Sheet1", ModuleKind::kDocument, L""),
      Module(L"Calc", ModuleKind::kStandard,
             L"''' <summary>Adds two numbers.</summary>\r\n"
             L"Public Function Add(ByVal a As Double, ByVal b As Double) As Double\r\n"
             L"    Add = a + b ' caf\u00E9 \u20AC\r\nEnd Function\r\n"),
      Module(L"Account", ModuleKind::kClass,
             L"Private m_balance As Currency\r\n\r\nPublic Property Get Balance() As Currency\r\n"
             L"    Balance = m_balance\r\nEnd Property\r\n"),
      Module(L"EntryForm", ModuleKind::kForm,
             L"Private Sub OkButton_Click()\r\n    Me.Hide\r\nEnd Sub\r\n"),
  };
  return project;
}

void ExpectProject(const VbaProject& read, const ProjectFixture& expected, const std::string& row) {
  EXPECT_EQ(read.name, expected.name) << row;
  EXPECT_EQ(read.codePage, expected.codePage) << row;
  ASSERT_EQ(read.modules.size(), expected.modules.size()) << row;
  for (size_t i = 0; i < expected.modules.size(); ++i) {
    const ModuleFixture& want = expected.modules[i];
    const VbaModule& got = read.modules[i];
    const std::string where = row + ", " + WideToUtf8(want.name);
    EXPECT_EQ(got.name, want.name) << where;
    EXPECT_EQ(got.streamName, WideToUtf8(want.streamName.empty() ? want.name : want.streamName))
        << where;
    EXPECT_EQ(ModuleKindName(got.kind), std::string(ModuleKindName(want.kind))) << where;
    EXPECT_EQ(got.source, want.source) << where;
  }
}

TEST(VbaProject, ReadsEveryModuleKindFromEveryContainer) {
  const ProjectFixture project = Workbook();
  for (const Container container :
       {Container::kBin, Container::kXls, Container::kDoc, Container::kXlsm, Container::kDocm}) {
    ExpectProject(ReadVbaProject(testing::OfficeFile(container, project)), project,
                  testing::ContainerName(container));
  }
}

ProjectFixture Japanese(bool unicodeNames) {
  ProjectFixture project;
  project.name = L"\u30D7\u30ED\u30B8\u30A7\u30AF\u30C8";  // プロジェクト
  project.codePage = 932;
  project.unicodeNames = unicodeNames;
  project.modules = {
      Module(L"\u96C6\u8A08", ModuleKind::kStandard,                             // 集計
             L"''' <summary>\u5408\u8A08\u3092\u8FD4\u3059\u3002</summary>\r\n"  // 合計を返す。
             L"Public Function \u5408\u8A08(ByVal \u5024 As Long) As Long\r\n"
             L"    \u5408\u8A08 = \u5024 ' \uFF71\uFF72\uFF73 \u8868\u793A\r\nEnd Function\r\n"),
      Module(L"\u9867\u5BA2", ModuleKind::kClass, L"Public \u540D\u524D As String\r\n"),  // 顧客
  };
  return project;
}

// Variations real projects show, each read back whole.
TEST(VbaProject, ReadsTheVariantsOfRealProjects) {
  ProjectFixture noCompat = Workbook();
  noCompat.compatVersion = false;
  ProjectFixture noUnicode = Workbook();
  noUnicode.unicodeNames = false;
  ProjectFixture locked = Workbook();
  locked.lockedForViewing = true;
  ProjectFixture renamedStream = Workbook();
  renamedStream.modules[2].streamName = L"CalcStream";
  ProjectFixture longSource = Workbook();
  for (int i = 0; i < 600; ++i) {
    longSource.modules[2].source += L"Public Sub Step" + std::to_wstring(i) +
                                    L"()\r\n    Debug.Print " + std::to_wstring(i) +
                                    L"\r\nEnd Sub\r\n";
  }
  ProjectFixture cyrillic;
  cyrillic.codePage = 1251;
  cyrillic.modules = {Module(L"Report", ModuleKind::kStandard, L"")};
  cyrillic.modules[0].rawText = "Attribute VB_Name = \"Report\"\r\n' \xCF\xF0\xE8\xE2\xE5\xF2\r\n";
  cyrillic.modules[0].source =
      L"Attribute VB_Name = \"Report\"\r\n' \u041F\u0440\u0438\u0432\u0435\u0442\r\n";
  ProjectFixture japaneseStreams = Japanese(false);
  japaneseStreams.unicodeStreamNames = false;
  japaneseStreams.modules[1].streamName = L"\u30AF\u30E9\u30B9";  // クラス
  ProjectFixture noCompiledCode = Workbook();
  noCompiledCode.modules[2].compiledBytes = 0;

  const struct {
    const char* name;
    ProjectFixture project;
    std::function<std::string(const ProjectFixture&)> file;
  } cases[] = {
      {"without PROJECTCOMPATVERSION", noCompat,
       [](const ProjectFixture& p) { return testing::OfficeFile(Container::kXlsm, p); }},
      {"without MODULENAMEUNICODE", noUnicode,
       [](const ProjectFixture& p) { return testing::OfficeFile(Container::kXls, p); }},
      {"locked for viewing", locked,
       [](const ProjectFixture& p) { return testing::OfficeFile(Container::kXlsm, p); }},
      {"a stream named otherwise than its module", renamedStream,
       [](const ProjectFixture& p) { return testing::OfficeFile(Container::kBin, p); }},
      {"source over many chunks", longSource,
       [](const ProjectFixture& p) { return testing::OfficeFile(Container::kXlsm, p); }},
      {"source at offset 0", noCompiledCode,
       [](const ProjectFixture& p) { return testing::OfficeFile(Container::kDoc, p); }},
      {"version 4 compound file", Workbook(),
       [](const ProjectFixture& p) {
         return testing::OfficeFile(Container::kXls, p, CfbOptions{4});
       }},
      {"content type by Override of an unusual part name", Workbook(),
       [](const ProjectFixture& p) {
         return testing::PackageWith("xl/macros/code.dat", testing::OfficeFile(Container::kBin, p),
                                     true);
       }},
      {"cp932 names and text", Japanese(true),
       [](const ProjectFixture& p) { return testing::OfficeFile(Container::kXlsm, p); }},
      {"cp1251 text through the platform's converter", cyrillic,
       [](const ProjectFixture& p) { return testing::OfficeFile(Container::kXlsm, p); }},
      {"cp932 stream names without their Unicode form", japaneseStreams,
       [](const ProjectFixture& p) { return testing::OfficeFile(Container::kDoc, p); }},
      {"cp932 names without MODULENAMEUNICODE", Japanese(false),
       [](const ProjectFixture& p) { return testing::OfficeFile(Container::kXls, p); }},
  };
  for (const auto& c : cases) {
    ExpectProject(ReadVbaProject(c.file(c.project)), c.project, c.name);
  }
}

std::string Compound(std::vector<CfbNode> root) {
  return testing::WriteCompoundFile(CfbNode::Storage(L"Root Entry", std::move(root)));
}

struct Refusal {
  const char* name;
  std::string file;
  OfficeFailure failure;
  const char* message;
};

void ExpectRefusals(const std::vector<Refusal>& cases) {
  for (const Refusal& c : cases) {
    try {
      (void)ReadVbaProject(c.file);
      ADD_FAILURE() << c.name << ": no error";
    } catch (const OfficeError& error) {
      EXPECT_EQ(static_cast<int>(error.failure), static_cast<int>(c.failure))
          << c.name << ": " << error.what();
      EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos)
          << c.name << ": " << error.what();
      EXPECT_EQ(std::string(error.what()).find('\n'), std::string::npos) << c.name;
    }
  }
}

TEST(VbaProject, FilesItCannotReadSaySo) {
  const std::string bin = testing::OfficeFile(Container::kBin, Workbook());
  const std::string xlsxTypes =
      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
      "<Default Extension=\"xml\" ContentType=\"application/xml\"/></Types>";
  std::string jet("\x00\x01\x00\x00Standard Jet DB\x00", 20);
  std::string ace("\x00\x01\x00\x00Standard ACE DB\x00", 20);
  jet.resize(4096, '\0');
  ace.resize(4096, '\0');
  ExpectRefusals({
      {"encrypted with a password to open",
       Compound({CfbNode::Stream(L"EncryptionInfo", std::string(200, '\x04')),
                 CfbNode::Stream(L"EncryptedPackage", std::string(9000, '\x5C')),
                 CfbNode::Storage(L"\x06"
                                  L"DataSpaces",
                                  {})}),
       OfficeFailure::kEncrypted,
       "encrypted with a password to open; save it without that password"},
      {"xlsx", testing::WriteZip({{"[Content_Types].xml", xlsxTypes}, {"xl/workbook.xml", "<w/>"}}),
       OfficeFailure::kNoProject, "the package holds no VBA project"},
      {"a vbaProject.bin part without its content type",
       testing::WriteZip({{"[Content_Types].xml", xlsxTypes}, {"xl/vbaProject.bin", bin, false}}),
       OfficeFailure::kNoProject, "the package holds no VBA project"},
      {"xls without macros", Compound({CfbNode::Stream(L"Workbook", std::string(5000, '\x09'))}),
       OfficeFailure::kNoProject, "the workbook holds no VBA project"},
      {"doc without macros", Compound({CfbNode::Stream(L"WordDocument", std::string(5000, 'w'))}),
       OfficeFailure::kNoProject, "the document holds no VBA project"},
      {"Access database (Jet)", jet, OfficeFailure::kUnsupported,
       "Access databases are not supported: their VBA project lives in the database"},
      {"Access database (ACE)", ace, OfficeFailure::kUnsupported,
       "Access databases are not supported"},
      {"PowerPoint 97-2003",
       Compound({CfbNode::Stream(L"PowerPoint Document", std::string(6000, 'p')),
                 CfbNode::Stream(L"Current User", std::string(60, 'u'))}),
       OfficeFailure::kUnsupported,
       "PowerPoint 97-2003 files are not supported: their VBA project is kept compressed inside "
       "the presentation stream"},
      {"a module file", "Attribute VB_Name = \"Module1\"\r\nSub A()\r\nEnd Sub\r\n",
       OfficeFailure::kUnsupported, "not an Office file or vbaProject.bin"},
      {"an empty file", "", OfficeFailure::kUnsupported, "not an Office file"},
      {"a zip that is no package", testing::WriteZip({{"readme.txt", "hello"}}),
       OfficeFailure::kUnsupported, "it has no [Content_Types].xml"},
  });
}

// A project whose VBA storage is `vba` beside a PROJECT stream, in an .xls.
std::string XlsWith(std::function<void(std::vector<CfbNode>& project)> change) {
  std::vector<CfbNode> nodes = testing::ProjectNodes(Workbook());
  change(nodes);
  return Compound({CfbNode::Stream(L"Workbook", std::string(600, '\x09')),
                   CfbNode::Storage(L"_VBA_PROJECT_CUR", std::move(nodes))});
}

CfbNode& Child(std::vector<CfbNode>& nodes, const std::wstring& name) {
  for (CfbNode& node : nodes) {
    if (node.name == name) {
      return node;
    }
  }
  throw std::invalid_argument("no such node");
}

void Remove(std::vector<CfbNode>& nodes, const std::wstring& name) {
  std::erase_if(nodes, [&](const CfbNode& node) { return node.name == name; });
}

std::string WithDir(std::function<void(std::string& dir)> change) {
  return XlsWith([&](std::vector<CfbNode>& nodes) {
    std::string dir = testing::DirStream(Workbook());
    change(dir);
    Child(Child(nodes, L"VBA").children, L"dir").data = testing::CompressVba(dir);
  });
}

TEST(VbaProject, DamagedProjectsAreRefusedWithWhatIsWrong) {
  ProjectFixture pastEnd = Workbook();
  pastEnd.modules[2].offsetSkew = 100000;
  ProjectFixture intoCompiledCode = Workbook();
  intoCompiledCode.modules[2].offsetSkew = -1;
  ProjectFixture badByte = Workbook();
  badByte.modules[2].rawText =
      testing::Encoded(L"Attribute VB_Name = \"Calc\"\r\nSub A()\r\n", 1252) + "  x = \"\x81\"\r\n";
  const std::string xlsm = testing::OfficeFile(Container::kXlsm, Workbook());
  ExpectRefusals({
      {"source offset past the stream's end", testing::OfficeFile(Container::kXls, pastEnd),
       OfficeFailure::kDamaged, "module Calc's source offset 100024 lies past the end of its"},
      {"source offset into the compiled code",
       testing::OfficeFile(Container::kXls, intoCompiledCode), OfficeFailure::kDamaged,
       "module Calc's source: damaged compressed data: the signature byte is 204"},
      {"a byte the code page has no character for", testing::OfficeFile(Container::kBin, badByte),
       OfficeFailure::kDamaged,
       "module Calc, line 3: byte 0x81 at column 8 is no character in windows-1252"},
      {"module stream missing",
       XlsWith([](std::vector<CfbNode>& p) { Remove(Child(p, L"VBA").children, L"Account"); }),
       OfficeFailure::kDamaged, "module Account's stream 'Account' is missing"},
      {"PROJECT stream missing", XlsWith([](std::vector<CfbNode>& p) { Remove(p, L"PROJECT"); }),
       OfficeFailure::kDamaged, "the PROJECT stream is missing"},
      {"dir stream missing",
       XlsWith([](std::vector<CfbNode>& p) { Remove(Child(p, L"VBA").children, L"dir"); }),
       OfficeFailure::kDamaged, "the dir stream is missing"},
      {"dir stream not compressed", XlsWith([](std::vector<CfbNode>& p) {
         Child(Child(p, L"VBA").children, L"dir").data = testing::DirStream(Workbook());
       }),
       OfficeFailure::kDamaged,
       "the dir stream: damaged compressed data: the chunk header at byte 1"},
      {"dir stream cut inside a module's records",
       WithDir([](std::string& dir) { dir.resize(dir.size() - 40); }), OfficeFailure::kDamaged,
       "damaged VBA project: "},
      {"dir stream counting more modules than it holds", WithDir([](std::string& dir) {
         const size_t at = dir.find(std::string("\x0F\x00\x02\x00\x00\x00", 6));
         dir[at + 6] = 9;
       }),
       OfficeFailure::kDamaged, "declares 9 modules but holds 5"},
      {"dir record longer than the stream", WithDir([](std::string& dir) {
         const size_t at = dir.find(std::string("\x04\x00\x0A\x00\x00\x00", 6));  // PROJECTNAME
         dir[at + 4] = 0x7F;
       }),
       OfficeFailure::kDamaged, "dir record 0x0004 runs past the end of the stream"},
      {"project part that is no compound file",
       testing::PackageWith("xl/vbaProject.bin", "not a compound file", false),
       OfficeFailure::kDamaged, "the part xl/vbaProject.bin is no compound file"},
      {"package cut short", xlsm.substr(0, xlsm.size() - 30), OfficeFailure::kDamaged,
       "damaged zip package: "},
      {"compound file cut short", testing::OfficeFile(Container::kXls, Workbook()).substr(0, 3000),
       OfficeFailure::kDamaged, "damaged compound file: "},
  });
}

// The benchmark's workbook holds what it promises: 50 modules, 55,000 lines.
TEST(VbaProject, BenchWorkbookHoldsItsLines) {
  const VbaProject project = ReadVbaProject(testing::BenchWorkbook());
  ASSERT_EQ(project.modules.size(), size_t{testing::kBenchModules});
  size_t lines = 0;
  for (const VbaModule& module : project.modules) {
    lines += static_cast<size_t>(std::count(module.source.begin(), module.source.end(), L'\n'));
  }
  EXPECT_EQ(lines, size_t{testing::kBenchModules} * testing::kBenchLinesPerModule);
}

}  // namespace
}  // namespace tarnwick::office
