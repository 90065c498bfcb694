// Writes the seed corpus of fuzz_office into the folder given: the fixtures'
// containers of a small project, a bare compressed container and a zip, and
// the shapes that cost a reader most: many modules, many streams, modules
// sharing one stream, sources that are runs of line ends.
//   office_fuzz_seeds fuzz/corpus/fuzz_office
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/office/writer/hostile_projects.h"
#include "tests/office/writer/project_writer.h"
#include "tests/office/writer/vba_compressor.h"
#include "tests/office/writer/zip_writer.h"

using namespace tarnwick::office;
using namespace tarnwick::office::testing;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: office_fuzz_seeds FOLDER\n");
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::filesystem::create_directories(folder);
  ProjectFixture project;
  project.name = L"Seed";
  for (const auto& [name, kind] : {std::pair{L"ThisWorkbook", ModuleKind::kDocument},
                                   {L"Module1", ModuleKind::kStandard},
                                   {L"Class1", ModuleKind::kClass},
                                   {L"UserForm1", ModuleKind::kForm}}) {
    ModuleFixture module;
    module.name = name;
    module.kind = kind;
    module.source = ModuleSource(name, kind, L"Sub A()\r\n    B = 1\r\nEnd Sub\r\n");
    module.compiledBytes = 4;
    project.modules.push_back(module);
  }
  const auto write = [&](const char* name, const std::string& bytes) {
    std::ofstream(folder / name, std::ios::binary) << bytes;
  };
  write("project.bin", OfficeFile(Container::kBin, project));
  write("book.xls", OfficeFile(Container::kXls, project));
  write("document.doc", OfficeFile(Container::kDoc, project));
  write("book.xlsm", OfficeFile(Container::kXlsm, project));
  write("compressed.dat", CompressVba("Attribute VB_Name = \"Module1\"\r\nSub A()\r\nEnd Sub\r\n"));
  write("dir.dat", CompressVba(DirStream(project)));
  write("plain.zip", WriteZip({{"[Content_Types].xml", "<Types/>"}, {"a.txt", "aaaaaaaaaa"}}));
  write("many-modules.bin", ManyModulesAndStreams(300, 0));
  write("many-streams.bin", ManyModulesAndStreams(40, 800));
  write("shared-stream.bin", ModulesSharingOneStream(64, 16384));
  write("line-end-runs.xlsm", LineEndRunModules(4, 200000));
  return 0;
}
