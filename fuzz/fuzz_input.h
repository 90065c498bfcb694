// Decoding helpers shared by the fuzzers: fuzz bytes to the UTF-16 text of
// source lines, built mostly from fragments that lead the engine into its
// interesting states (markers, tags, declarations, continuations).
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <string>

namespace tarnwick::fuzz {

// One fragment of source text from the dictionary.
std::wstring PickFragment(FuzzedDataProvider& input);
// A line of up to `maxPieces` fragments, now and then with raw UTF-16 units;
// never a CR or LF, which no line of the editor holds.
std::wstring MakeLine(FuzzedDataProvider& input, int maxPieces);
// Raw UTF-16 units, any value (lone surrogates and NULs included).
std::wstring RawUnits(FuzzedDataProvider& input, size_t maxUnits);

}  // namespace tarnwick::fuzz
