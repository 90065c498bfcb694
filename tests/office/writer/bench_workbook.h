// The workbook of the Office benchmark: an .xlsm of 50 standard modules of
// 1,100 lines each, 55,000 lines in all, documented like the module files of
// bench/native/doc_bench.cpp, so that reading it out of the package can be
// set beside reading the same lines from module files.
#pragma once

#include <string>

namespace tarnwick::office::testing {

inline constexpr int kBenchModules = 50;
inline constexpr int kBenchLinesPerModule = 1100;

std::string BenchWorkbook();

}  // namespace tarnwick::office::testing
