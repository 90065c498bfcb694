// The engine's pure text routines on random text and positions. ASan catches any
// read outside a string; the checks below catch answers that point outside it.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/comment_engine.h"
#include "engine/declaration_parser.h"
#include "engine/text_helpers.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarnwick;
  using namespace tarnwick::fuzz;
  FuzzedDataProvider input(data, size);

  const std::wstring text = input.ConsumeBool() ? MakeLine(input, 10) : RawUnits(input, 64);
  const int32_t position = input.ConsumeBool() ? input.ConsumeIntegralInRange<int32_t>(-2, 80)
                                               : input.ConsumeIntegral<int32_t>();
  const size_t start = input.ConsumeBool() ? input.ConsumeIntegralInRange<size_t>(0, 80)
                                           : input.ConsumeIntegral<size_t>();
  const std::wstring delimiters = input.ConsumeBool() ? std::wstring(L"(),") : RawUnits(input, 4);

  const size_t marker = FindCommentMarker(text);
  if (marker != std::wstring::npos &&
      (marker + 3 > text.size() || text.compare(marker, 3, L"'''"))) {
    std::abort();
  }

  const std::wstring trimmed = TrimBlanks(text);
  if (!trimmed.empty() && (IsBlank(trimmed.front()) || IsBlank(trimmed.back()))) {
    std::abort();
  }
  if (trimmed.size() > text.size() || text.find(trimmed) == std::wstring::npos) {
    std::abort();
  }

  const std::wstring word = FirstWordFrom(text, start);
  if (!word.empty() && (start >= text.size() || text.find(word, start) == std::wstring::npos)) {
    std::abort();
  }

  const std::vector<std::wstring> pieces = SplitAny(text, delimiters);
  if (pieces.empty()) {
    std::abort();
  }
  size_t total = 0;
  for (const std::wstring& piece : pieces) {
    total += piece.size();
  }
  if (total > text.size()) {
    std::abort();
  }

  const std::wstring name = FindOpeningTagName(text, position);
  if (name.size() > text.size()) {
    std::abort();
  }

  std::vector<std::wstring> parameterNames{L"left over"};
  bool returnsValue = false;
  ParseDeclaration(text, parameterNames, returnsValue);
  for (const std::wstring& parameter : parameterNames) {
    if (parameter.size() > text.size()) {
      std::abort();
    }
  }
  (void)IsDeclarationKeyword(word);
  return 0;
}
