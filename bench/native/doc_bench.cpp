// tarnwick-doc on 55,000 lines of modules: 50 files of 1,100 lines, written to
// a temporary folder once, then read, parsed and processed by each command as
// the program would, output kept in memory:
//   DocTool/check   every block checked
//   DocTool/xml     the XML documentation file
//   DocTool/sync    every block synced; half of them change, so a diff is made
//   DocTool/workbook_xml  the same lines as the modules of an .xlsm (the test
//                   writer's benchmark workbook): the package, the project and
//                   its compressed modules read, and the XML file written
// Counter: lines per iteration. The report compares the time with one second.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/office/writer/bench_workbook.h"
#include "tools/doc/doc_command.h"

namespace tarnwick::bench {
namespace {

constexpr int kModules = 50;
constexpr int kProceduresPerModule = 100;

// 1,100 lines: a header of 8 lines, 100 procedures of 10 lines and a 92-line
// enum. Every second procedure's block lacks the param of its last parameter.
std::string ModuleText(int index, int& lines) {
  std::ostringstream out;
  out << "Attribute VB_Name = \"Module" << index << "\"\r\n"
      << "''' <summary>Generated module " << index << ".</summary>\r\n"
      << "Option Explicit\r\n\r\nPrivate m_total As Double\r\n"
      << "Private Declare PtrSafe Function GetTickCount Lib \"kernel32\" () As Long\r\n"
      << "''' <summary>The kinds.</summary>\r\n"
      << "Public Enum Kind" << index << "\r\n";
  for (int member = 0; member < 90; ++member) {
    out << "    Kind" << member << " = " << member << "\r\n";
  }
  out << "End Enum\r\n\r\n";
  for (int p = 0; p < kProceduresPerModule; ++p) {
    out << "''' <summary>Adds <paramref name=\"a\"/> to the total.</summary>\r\n"
        << "''' <param name=\"a\">The amount.</param>\r\n";
    if (p % 2 == 0) {
      out << "''' <param name=\"b\">The scale.</param>\r\n";
    } else {
      out << "'''\r\n";
    }
    out << "''' <returns>The new total.</returns>\r\n"
        << "Public Function Add" << p << "(ByVal a As Double, _\r\n"
        << "                     Optional ByVal b As Double = 1) As Double\r\n"
        << "    m_total = m_total + a * b ' (a, b)\r\n"
        << "    Add" << p << " = m_total\r\n"
        << "End Function\r\n\r\n";
  }
  lines = 8 + 92 + 10 * kProceduresPerModule;
  return out.str();
}

class Modules {
 public:
  Modules() {
    folder = std::filesystem::temp_directory_path() / "tarnwick-doc-bench";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    for (int i = 0; i < kModules; ++i) {
      int count = 0;
      std::ofstream(folder / ("Module" + std::to_string(i) + ".bas"), std::ios::binary)
          << ModuleText(i, count);
      lines += count;
    }
  }
  ~Modules() { std::filesystem::remove_all(folder); }

  std::filesystem::path folder;
  int64_t lines = 0;
};

const Modules& SharedModules() {
  static const Modules modules;
  return modules;
}

void Run(benchmark::State& state, const char* command) {
  const Modules& modules = SharedModules();
  const std::vector<std::string> arguments = {command, modules.folder.string()};
  for (auto _ : state) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunDocCommand(arguments, out, err);
    if (status == kDocBadInput) {
      state.SkipWithError(err.str().c_str());
      break;
    }
    benchmark::DoNotOptimize(out.str().size());
  }
  state.counters["lines"] = static_cast<double>(modules.lines);
}

// The workbook, written once; each iteration reads it and writes the XML file.
void WorkbookXml(benchmark::State& state) {
  const Modules& modules = SharedModules();
  const std::filesystem::path book = modules.folder / "Book.xlsm";
  std::ofstream(book, std::ios::binary) << office::testing::BenchWorkbook();
  const std::filesystem::path xml = modules.folder / "Book.xml";
  const std::vector<std::string> arguments = {"xml", "--out", xml.string(), book.string()};
  for (auto _ : state) {
    std::ostringstream out;
    std::ostringstream err;
    if (RunDocCommand(arguments, out, err) != kDocDone) {
      state.SkipWithError(err.str().c_str());
      break;
    }
  }
  state.counters["lines"] = office::testing::kBenchModules * office::testing::kBenchLinesPerModule;
}
BENCHMARK(WorkbookXml)->Name("DocTool/workbook_xml")->Unit(benchmark::kMillisecond);

BENCHMARK_CAPTURE(Run, check, "check")->Name("DocTool/check")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Run, xml, "xml")->Name("DocTool/xml")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Run, sync, "sync")->Name("DocTool/sync")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarnwick::bench
