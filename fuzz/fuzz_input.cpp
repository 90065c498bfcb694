#include "fuzz/fuzz_input.h"

#include <array>

namespace tarnwick::fuzz {
namespace {

constexpr std::array<const wchar_t*, 48> kFragments = {
    L"'''",
    L"''",
    L"'",
    L"''''",
    L" ",
    L"    ",
    L"\t",
    L"<summary>",
    L"</summary>",
    L"<param name=\"a\">",
    L"</param>",
    L"<returns>",
    L"</returns>",
    L"<remarks>",
    L"<example",
    L"<br/>",
    L"<",
    L">",
    L"/",
    L"Public ",
    L"Private ",
    L"Friend ",
    L"Static ",
    L"Sub ",
    L"Function ",
    L"Property Get ",
    L"Property Let ",
    L"Add(",
    L"ByVal a As Long",
    L"ByRef b() As String",
    L"Optional c = \"x, y\"",
    L"ParamArray d()",
    L", ",
    L")",
    L" As Long",
    L" _",
    L"End Sub",
    L"End Function",
    L"End Property",
    L"Dim x As Long",
    L"Attribute VB_Name = \"M\"",
    L"If a > b Then",
    L"x",
    L"\u00e9t\u00e9",
    L"\u65e5\u672c",
    L"\xD83D\xDE00",
    L"\xD800",
    L"\0",
};

// Whole lines of the kind a documented module holds.
constexpr std::array<const wchar_t*, 16> kLines = {
    L"''' <summary>",
    L"'''",
    L"''' ",
    L"''' </summary>",
    L"''' <param name=\"a\"></param>",
    L"''' <returns></returns>",
    L"''' <remarks></remarks>",
    L"''' Returns the sum",
    L"    ''' <summary>",
    L"    '''",
    L"    ''' </summary>",
    L"Public Function Add(ByVal a As Long, ByVal b As Long) As Long",
    L"Private Sub Run(ByVal a As Long, _",
    L"    Optional ByVal b As String = \"x\")",
    L"End Function",
    L"",
};

}  // namespace

std::wstring PickFragment(FuzzedDataProvider& input) {
  return kFragments[input.ConsumeIntegralInRange<size_t>(0, kFragments.size() - 1)];
}

std::wstring RawUnits(FuzzedDataProvider& input, size_t maxUnits) {
  std::wstring text;
  const size_t count = input.ConsumeIntegralInRange<size_t>(0, maxUnits);
  for (size_t i = 0; i < count && input.remaining_bytes() > 0; ++i) {
    text.push_back(static_cast<wchar_t>(input.ConsumeIntegral<uint16_t>()));
  }
  return text;
}

std::wstring MakeLine(FuzzedDataProvider& input, int maxPieces) {
  if (input.ConsumeIntegralInRange(0, 2) == 0) {
    return kLines[input.ConsumeIntegralInRange<size_t>(0, kLines.size() - 1)];
  }
  std::wstring line;
  const int pieces = input.ConsumeIntegralInRange(0, maxPieces);
  for (int i = 0; i < pieces; ++i) {
    if (input.ConsumeIntegralInRange(0, 15) == 0) {
      line += RawUnits(input, 4);
    } else {
      line += PickFragment(input);
    }
  }
  // No line of the editor holds a line break.
  for (wchar_t& unit : line) {
    if (unit == L'\r' || unit == L'\n') {
      unit = L' ';
    }
  }
  return line;
}

}  // namespace tarnwick::fuzz
