// tarnwick-doc on 55,000 lines of modules: 50 files of 1,100 lines, written to
// a temporary folder once, then read, parsed and processed by each command as
// the program would, output kept in memory:
//   DocTool/check   every block checked
//   DocTool/xml     the XML documentation file
//   DocTool/sync    every block synced; half of them change, so a diff is made
// and the same three on 53,500 lines of procedures with bodies of 22 lines, as
// application code has them (the -bodies scenes): fewer blocks, more
// statements to pass over.
//   DocTool/workbook_xml  the same lines as the modules of an .xlsm (the test
//                   writer's benchmark workbook): the package, the project and
//                   its compressed modules read, and the XML file written
//   DocFloor/read_decode  the floor timed beside them: the same 50 module files
//                   read and decoded into lines, on the same threads, and no
//                   more; the report states each command's time as a ratio
//                   to it, which a slower or busier machine changes alike
//   DocMemory/check  the tarnwick-doc program's `check` on the modules: its
//                   peak resident memory above `tarnwick-doc --version`'s,
//                   per byte of the module files read (/usr/bin/time's figure)
// Counter: lines per iteration.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "files/read_file.h"
#include "tests/office/writer/bench_workbook.h"
#include "text/source_text.h"
#include "tools/doc/doc_command.h"
#include "tools/doc/each_module.h"

namespace tarnwick::bench {
namespace {

constexpr int kModules = 50;
constexpr int kProceduresPerModule = 100;
constexpr int kLongProceduresPerModule = 38;

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

// 1,070 lines: a header of 6 lines and 38 procedures of 28, each a block of 4
// lines above a body of 22 with a loop, branches, string literals, comments
// and a continued line. Every block matches its declaration.
std::string LongBodiesText(int index, int& lines) {
  std::ostringstream out;
  out << "Attribute VB_Name = \"Orders" << index << "\"\r\n"
      << "''' <summary>Orders and their totals.</summary>\r\n"
      << "Option Explicit\r\n\r\nPrivate Const TAX_RATE As Double = 0.19\r\n"
      << "Private m_cache As Collection\r\n";
  for (int p = 0; p < kLongProceduresPerModule; ++p) {
    out << "''' <summary>Sums the lines of <paramref name=\"order\"/>.</summary>\r\n"
        << "''' <param name=\"order\">The order's key, as in the sheet.</param>\r\n"
        << "''' <param name=\"withTax\">Whether the tax is added.</param>\r\n"
        << "''' <returns>The total, in cents.</returns>\r\n"
        << "Public Function Total" << p
        << "(ByVal order As String, Optional ByVal withTax As Boolean = True) As Currency\r\n"
        << "    Dim total As Currency, i As Long\r\n"
        << "    Dim rows As Variant ' the order's rows\r\n"
        << "    rows = Sheet1.Range(\"A2:D\" & Sheet1.Cells(Rows.Count, 1).End(xlUp).Row).Value\r\n"
        << "    For i = LBound(rows) To UBound(rows)\r\n"
        << "        If rows(i, 1) = order Then\r\n"
        << "            total = total + rows(i, 3) * rows(i, 4)\r\n"
        << "        ElseIf rows(i, 1) = \"\" Then\r\n"
        << "            Exit For ' no more rows\r\n"
        << "        End If\r\n"
        << "    Next i\r\n"
        << "    Select Case True\r\n"
        << "        Case withTax: total = total * (1 + TAX_RATE)\r\n"
        << "        Case Else\r\n"
        << "    End Select\r\n"
        << "    Debug.Print \"Total of \" & order & \": \" & Format$(total, \"0.00\"), _\r\n"
        << "                \"(with tax: \" & withTax & \")\"\r\n"
        << "    ' Keep it for the next call.\r\n"
        << "    If m_cache Is Nothing Then Set m_cache = New Collection\r\n"
        << "    m_cache.Add total, order\r\n"
        << "    Total" << p << " = total\r\n"
        << "End Function\r\n\r\n";
  }
  lines = 6 + 28 * kLongProceduresPerModule;
  return out.str();
}

class Modules {
 public:
  Modules(const char* name, std::string (*text)(int, int&)) {
    folder = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    for (int i = 0; i < kModules; ++i) {
      int count = 0;
      std::ofstream(folder / ("Module" + std::to_string(i) + ".bas"), std::ios::binary)
          << text(i, count);
      lines += count;
    }
  }
  ~Modules() { std::filesystem::remove_all(folder); }

  std::filesystem::path folder;
  int64_t lines = 0;
};

std::vector<std::filesystem::path> ModuleFiles(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".bas") {
      files.push_back(entry.path());
    }
  }
  return files;
}

const Modules& SharedModules(bool longBodies) {
  static const Modules modules("tarnwick-doc-bench", ModuleText);
  static const Modules bodies("tarnwick-doc-bench-bodies", LongBodiesText);
  return longBodies ? bodies : modules;
}

void Run(benchmark::State& state, const char* command, bool longBodies) {
  const Modules& modules = SharedModules(longBodies);
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
  const Modules& modules = SharedModules(false);
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

// The floor: the module files' bytes read and decoded, nothing else.
void ReadDecode(benchmark::State& state) {
  const Modules& modules = SharedModules(false);
  const std::vector<std::filesystem::path> files = ModuleFiles(modules.folder);
  for (auto _ : state) {
    std::vector<size_t> units(files.size());
    ForEachIndex(files.size(), [&](size_t i) {
      units[i] = DecodeSourceText(ReadFileBytes(files[i]), Encoding::kWindows1252).lines.size();
    });
    benchmark::DoNotOptimize(units.data());
  }
  state.counters["lines"] = static_cast<double>(modules.lines);
}
BENCHMARK(ReadDecode)->Name("DocFloor/read_decode")->Unit(benchmark::kMillisecond);

// The peak resident memory of tarnwick-doc run with `arguments`, in bytes, as
// /usr/bin/time reports it: a process forked from a small one, whose peak is
// its own (a process spawned from this one would carry this one's peak).
int64_t ProgramPeak(const std::string& arguments) {
  const std::filesystem::path report =
      std::filesystem::temp_directory_path() / "tarnwick-doc-bench-peak.txt";
  const std::string command = "/usr/bin/time -f %M -o '" + report.string() + "' '" +
                              TARNWICK_DOC_PROGRAM + "' " + arguments + " >/dev/null 2>&1";
  if (std::system(command.c_str()) == -1) {
    return -1;
  }
  // "Command exited with non-zero status 1" may come first: the figure is last.
  std::ifstream file(report);
  int64_t kilobytes = -1;
  for (std::string line; std::getline(file, line);) {
    if (!line.empty() && line.find_first_not_of("0123456789") == std::string::npos) {
      kilobytes = std::stoll(line);
    }
  }
  return kilobytes < 0 ? -1 : kilobytes * 1024;
}

void CheckMemory(benchmark::State& state) {
  const Modules& modules = SharedModules(false);
  int64_t input = 0;
  for (const std::filesystem::path& file : ModuleFiles(modules.folder)) {
    input += static_cast<int64_t>(std::filesystem::file_size(file));
  }
  double perByte = 0;
  for (auto _ : state) {
    const int64_t idle = ProgramPeak("--version");
    const int64_t peak = ProgramPeak("check '" + modules.folder.string() + "'");
    if (idle < 0 || peak < 0) {
      state.SkipWithError("cannot run " TARNWICK_DOC_PROGRAM);
      break;
    }
    perByte = static_cast<double>(peak - idle) / static_cast<double>(input);
  }
  state.counters["peak_bytes_per_input_byte"] = perByte;
  state.counters["input_bytes"] = static_cast<double>(input);
}
BENCHMARK(CheckMemory)->Name("DocMemory/check")->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK_CAPTURE(Run, check, "check", false)->Name("DocTool/check")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Run, xml, "xml", false)->Name("DocTool/xml")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Run, sync, "sync", false)->Name("DocTool/sync")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Run, check_bodies, "check", true)
    ->Name("DocTool/check-bodies")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Run, xml_bodies, "xml", true)
    ->Name("DocTool/xml-bodies")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Run, sync_bodies, "sync", true)
    ->Name("DocTool/sync-bodies")
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarnwick::bench
