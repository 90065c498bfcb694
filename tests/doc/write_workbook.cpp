// doc_test_workbook FILE: writes the workbook that doc_office_cli_test.sh
// gives the program (in the Windows build, under Wine as the program runs).
#include <fstream>
#include <iostream>

#include "tests/office/writer/project_writer.h"

int main(int argc, char** argv) {
  using tarnwick::office::ModuleKind;
  using namespace tarnwick::office::testing;
  if (argc != 2) {
    std::cerr << "usage: doc_test_workbook FILE\n";
    return 2;
  }
  ProjectFixture project;
  project.name = L"Ledger";
  auto add = [&](const std::wstring& name, ModuleKind kind, const std::wstring& code) {
    ModuleFixture module;
    module.name = name;
    module.kind = kind;
    module.source = ModuleSource(name, kind, code);
    project.modules.push_back(std::move(module));
  };
  add(L"Calc", ModuleKind::kStandard,
      L"Option Explicit\r\n''' <summary>Sums.</summary>\r\nPublic Function Sum(a, b) As Long\r\n"
      L"End Function\r\n");
  add(L"Account", ModuleKind::kClass,
      L"''' <summary>Adds.</summary>\r\nPublic Sub Deposit(ByVal amount As Currency)\r\n"
      L"End Sub\r\n");
  add(L"Entry", ModuleKind::kForm, L"Private Sub UserForm_Click()\r\nEnd Sub\r\n");
  std::ofstream file(argv[1], std::ios::binary);
  file << OfficeFile(Container::kXlsm, project);
  return file.good() ? 0 : 1;
}
