#include "bench/wine/reference_workload.h"

#include <vector>

namespace tarnwick::bench {

namespace {

// Line `i` of the text: documented functions of eight lines, one after another.
std::wstring TextLine(int i) {
  const std::wstring n = std::to_wstring(i);
  switch (i % 8) {
    case 0:
      return L"''' <summary>";
    case 1:
      return L"''' Adds the value of column " + n + L" to the running count.";
    case 2:
      return L"''' </summary>";
    case 3:
      return L"''' <param name=\"value" + n + L"\">the value to add</param>";
    case 4:
      return L"Public Function Total" + n + L"(ByVal value" + n + L" As Long) As Long";
    case 5:
      return L"    Total" + n + L" = value" + n + L" + Count";
    case 6:
      return L"    ' an ordinary comment, with a <tag> in it";
    default:
      return L"End Function";
  }
}

}  // namespace

ReferenceWorkload::ReferenceWorkload() {
  for (int i = 0; i < kLines; ++i) {
    if (i > 0) {
      text += L"\r\n";
    }
    text += TextLine(i);
  }
}

size_t ReferenceWorkload::Run() const {
  size_t answer = 0;
  for (int pass = 0; pass < kPasses; ++pass) {
    std::vector<std::wstring> lines;
    for (size_t start = 0;;) {
      const size_t end = text.find(L"\r\n", start);
      lines.emplace_back(text, start, end == std::wstring::npos ? std::wstring::npos : end - start);
      if (end == std::wstring::npos) {
        break;
      }
      start = end + 2;
    }
    std::wstring joined;
    for (const std::wstring& line : lines) {
      const size_t first = line.find_first_not_of(L' ');
      if (first != std::wstring::npos && line.compare(first, 3, L"'''") == 0) {
        const size_t open = line.find(L'<', first);
        const size_t close = open == std::wstring::npos ? open : line.find(L'>', open);
        if (close != std::wstring::npos) {
          const std::wstring tag = line.substr(open + 1, close - open - 1);
          answer += tag.size();
        }
      }
      joined += line;
      joined += L"\r\n";
    }
    answer += lines.size() + joined.size();
  }
  return answer;
}

}  // namespace tarnwick::bench
