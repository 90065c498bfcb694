#include "tests/office/writer/bench_workbook.h"

#include "tests/office/writer/project_writer.h"

namespace tarnwick::office::testing {

namespace {

// 1,100 lines with the Attribute line: a header of 8, an enum of 92 and 100
// procedures of 10. Every second procedure's block lacks a param.
std::wstring ModuleText(int index) {
  const std::wstring number = std::to_wstring(index);
  std::wstring text = L"Attribute VB_Name = \"Module" + number + L"\"\r\n";
  text += L"''' <summary>Generated module " + number + L".</summary>\r\n";
  text += L"Option Explicit\r\n\r\nPrivate m_total As Double\r\n";
  text += L"Private Declare PtrSafe Function GetTickCount Lib \"kernel32\" () As Long\r\n";
  text += L"''' <summary>The kinds.</summary>\r\nPublic Enum Kind" + number + L"\r\n";
  for (int member = 0; member < 90; ++member) {
    text += L"    Kind" + std::to_wstring(member) + L" = " + std::to_wstring(member) + L"\r\n";
  }
  text += L"End Enum\r\n\r\n";
  for (int p = 0; p < 100; ++p) {
    const std::wstring name = L"Add" + std::to_wstring(p);
    text += L"''' <summary>Adds <paramref name=\"a\"/> to the total.</summary>\r\n";
    text += L"''' <param name=\"a\">The amount.</param>\r\n";
    text += p % 2 == 0 ? L"''' <param name=\"b\">The scale.</param>\r\n" : L"'''\r\n";
    text += L"''' <returns>The new total.</returns>\r\n";
    text += L"Public Function " + name + L"(ByVal a As Double, _\r\n";
    text += L"                     Optional ByVal b As Double = 1) As Double\r\n";
    text += L"    m_total = m_total + a * b ' (a, b)\r\n";
    text += L"    " + name + L" = m_total\r\nEnd Function\r\n\r\n";
  }
  return text;
}

}  // namespace

std::string BenchWorkbook() {
  ProjectFixture project;
  for (int i = 0; i < kBenchModules; ++i) {
    ModuleFixture module;
    module.name = L"Module" + std::to_wstring(i);
    module.source = ModuleText(i);
    module.compiledBytes = 4000;
    project.modules.push_back(std::move(module));
  }
  return OfficeFile(Container::kXlsm, project);
}

}  // namespace tarnwick::office::testing
