#include "bench/scenarios.h"

#include <algorithm>
#include <stdexcept>

namespace tarnwick::bench {

namespace {

// An ordinary procedure of ten lines, the blank line after it included.
void AppendFiller(std::vector<std::wstring>& lines, int number) {
  const std::wstring name = L"Filler" + std::to_wstring(number);
  lines.push_back(L"Private Sub " + name + L"(ByVal x As Long)");
  lines.push_back(L"    Dim i As Long");
  lines.push_back(L"    For i = 1 To x");
  lines.push_back(L"        Debug.Print \"it's \" & i");
  lines.push_back(L"    Next i");
  lines.push_back(L"    ' an ordinary comment, with a <tag> in it");
  lines.push_back(L"    If x > 1 Then x = x - 1");
  lines.push_back(L"    Count = Count + 1");
  lines.push_back(L"End Sub");
  lines.push_back(L"");
}

// Filler procedures until `lines` holds `count` lines (blank lines make up
// what a whole procedure would overshoot).
void FillTo(std::vector<std::wstring>& lines, size_t count, int& number) {
  while (lines.size() + 10 <= count) {
    AppendFiller(lines, number++);
  }
  while (lines.size() < count) {
    lines.push_back(L"");
  }
}

// A module of `total` lines with `scene` in its middle. `sceneLine` is set to
// the module line of the scene's first line.
std::vector<std::wstring> Embed(const std::vector<std::wstring>& scene, int32_t total,
                                int32_t& sceneLine) {
  std::vector<std::wstring> lines = {L"Option Explicit", L"Private Count As Long", L""};
  int number = 1;
  const size_t before = total > static_cast<int32_t>(scene.size()) + 20
                            ? (static_cast<size_t>(total) - scene.size()) / 2
                            : lines.size();
  FillTo(lines, before, number);
  sceneLine = static_cast<int32_t>(lines.size()) + 1;
  lines.insert(lines.end(), scene.begin(), scene.end());
  lines.push_back(L"");
  FillTo(lines, static_cast<size_t>(total), number);
  return lines;
}

// The declaration of ten parameters over five lines, and its body.
std::vector<std::wstring> ComputeFunction() {
  return {
      L"Public Function Compute(ByVal a1 As Long, ByVal a2 As Long, _",
      L"        ByVal a3 As Long, ByVal a4 As Long, _",
      L"        ByVal a5 As Long, ByVal a6 As Long, _",
      L"        ByVal a7 As Long, ByVal a8 As Long, _",
      L"        ByVal a9 As Long, ByVal a10 As Long) As Long",
      L"    Compute = a1 + a10",
      L"End Function",
  };
}

// The block that the template gives ComputeFunction, with the summary body
// opened by the typed space.
std::vector<std::wstring> ComputeTemplate() {
  std::vector<std::wstring> block = {L"''' <summary>", L"''' ", L"''' </summary>"};
  for (int i = 1; i <= 10; ++i) {
    block.push_back(L"''' <param name=\"a" + std::to_wstring(i) + L"\"></param>");
  }
  block.push_back(L"''' <returns></returns>");
  block.push_back(L"''' <remarks></remarks>");
  return block;
}

std::vector<std::wstring> AddFunction() {
  return {L"Public Function Add(ByVal a As Long, ByVal b As Long) As Long", L"    Add = a + b",
          L"End Function"};
}

Keystroke Key(const char* notation) {
  std::vector<Keystroke> keys = ParseKeys(notation);
  if (keys.size() != 1) {
    throw std::logic_error("a scenario plays exactly one keystroke");
  }
  return keys.front();
}

int32_t Column(const std::wstring& text) {
  return static_cast<int32_t>(text.size()) + 1;
}

// Makes the scenario: `scene` embedded in a module, the caret at
// (scene line `caretOffset`, `column`), the region `regionOffset` and
// `regionSize` lines of the scene.
Scenario Make(std::string name, std::string description, const std::vector<std::wstring>& scene,
              int32_t caretOffset, int32_t column, const char* key, bool consumed,
              int32_t regionOffset, int32_t regionSize, int32_t moduleLines) {
  Scenario s;
  s.name = std::move(name);
  s.description = std::move(description);
  int32_t first = 0;
  s.lines = Embed(scene, moduleLines, first);
  const int32_t line = first + caretOffset;
  s.caret = {line, column, line, column};
  s.key = Key(key);
  s.expectConsumed = consumed;
  s.regionFirst = first + regionOffset;
  s.region.assign(scene.begin() + regionOffset, scene.begin() + regionOffset + regionSize);
  return s;
}

std::vector<std::wstring> Concat(std::vector<std::wstring> a, const std::vector<std::wstring>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

}  // namespace

std::vector<Scenario> WatchedKeystrokes(int32_t moduleLines) {
  std::vector<Scenario> all;

  all.push_back(Make("template",
                     "third apostrophe above a declaration of 10 parameters over 5 lines",
                     Concat({L"''"}, ComputeFunction()), 0, 3, "'", true, 0, 1, moduleLines));

  const std::vector<std::wstring> documented =
      Concat({L"''' <summary>", L"''' Returns the sum of both values.", L"''' </summary>",
              L"''' <param name=\"a\">The first value.</param>",
              L"''' <param name=\"b\">The second value.</param>",
              L"''' <returns>The sum.</returns>", L"''' <remarks></remarks>"},
             AddFunction());
  all.push_back(Make("enter-in-block", "Enter in the middle of a comment line", documented, 1,
                     Column(L"''' Returns the sum"), "{Enter}", true, 0, 7, moduleLines));

  all.push_back(Make("tab-template-block", "Tab from the summary of a fresh 15-line template",
                     Concat(ComputeTemplate(), ComputeFunction()), 1, 5, "{Tab}", true, 0, 15,
                     moduleLines));

  std::vector<std::wstring> longBlock = {L"''' <summary>"};
  for (int i = 1; i <= 195; ++i) {
    longBlock.push_back(L"''' Line " + std::to_wstring(i) + L" of a long description.");
  }
  longBlock.push_back(L"''' </summary>");
  longBlock.push_back(L"''' <param name=\"a\">The value.</param>");
  longBlock.push_back(L"''' <returns></returns>");
  longBlock.push_back(L"''' <remarks></remarks>");
  const int32_t middle = 100;
  all.push_back(Make("tab-200-line-block", "Tab from the middle of a 200-line comment block",
                     Concat(longBlock, {L"Public Function Twice(ByVal a As Long) As Long",
                                        L"    Twice = 2 * a", L"End Function"}),
                     middle, Column(longBlock[middle]), "{Tab}", true, 0, 200, moduleLines));

  const std::vector<std::wstring> example =
      Concat({L"''' <summary>", L"''' See the <example", L"''' </summary>"}, AddFunction());
  all.push_back(Make("closing-tag", "'>' after an opening tag", example, 1, Column(example[1]), ">",
                     true, 1, 1, moduleLines));

  const std::vector<std::wstring> code = {L"Public Sub Bump()", L"    Count = Count + 1",
                                          L"End Sub"};
  all.push_back(Make("apostrophe-in-code", "apostrophe typed after code (no action)", code, 1,
                     Column(code[1]), "'", false, 1, 1, moduleLines));

  const std::vector<std::wstring> composing =
      Concat({L"''' <summary>", L"''' See the <code", L"''' </summary>"}, AddFunction());
  all.push_back(Make("ime-closing-tag", "input-method composition that commits '>'", composing, 1,
                     Column(composing[1]), "{Ime >}", true, 1, 1, moduleLines));
  return all;
}

bool Restore(Module& module, const Scenario& scenario, int32_t lineCount) {
  if (module.LineCount() == lineCount) {
    bool same = true;
    for (size_t i = 0; i < scenario.region.size() && same; ++i) {
      same = module.Line(scenario.regionFirst + static_cast<int32_t>(i)) == scenario.region[i];
    }
    if (same) {
      return false;
    }
  }
  const int32_t size =
      static_cast<int32_t>(scenario.region.size()) + (module.LineCount() - lineCount);
  if (size > 1) {
    module.EraseLines(scenario.regionFirst + 1, size - 1);
  }
  std::wstring joined;
  for (size_t i = 0; i < scenario.region.size(); ++i) {
    if (i > 0) {
      joined += L'\n';
    }
    joined += scenario.region[i];
  }
  if (!module.ReplaceLine(scenario.regionFirst, joined)) {
    throw std::logic_error("scenario region outside the module");
  }
  return true;
}

std::vector<std::wstring> TabBlockModule(int32_t blockLines, Selection& caret) {
  std::vector<std::wstring> lines = {L"Option Explicit", L""};
  const int32_t top = static_cast<int32_t>(lines.size()) + 1;
  lines.push_back(L"''' <summary>");
  for (int32_t i = 1; i <= blockLines - 3; ++i) {
    lines.push_back(L"''' Line " + std::to_wstring(i) + L" of the description.");
  }
  lines.push_back(L"''' </summary>");
  lines.push_back(L"''' <remarks></remarks>");
  lines.push_back(L"Public Sub Documented()");
  lines.push_back(L"End Sub");
  // Inside the summary text, half way down the block.
  const int32_t line = top + std::max(1, (blockLines - 3) / 2);
  const int32_t column = static_cast<int32_t>(lines[static_cast<size_t>(line - 1)].size()) + 1;
  caret = {line, column, line, column};
  return lines;
}

std::vector<std::wstring> BlankGapModule(int32_t blankLines, int32_t& markerLine) {
  std::vector<std::wstring> lines = {L"Option Explicit", L""};
  lines.push_back(L"'''");
  markerLine = static_cast<int32_t>(lines.size());
  lines.insert(lines.end(), static_cast<size_t>(blankLines), L"");
  const std::vector<std::wstring> declaration = AddFunction();
  lines.insert(lines.end(), declaration.begin(), declaration.end());
  return lines;
}

std::vector<std::wstring> ContinuationChainModule(int32_t chainLines, int32_t& markerLine) {
  std::vector<std::wstring> lines = {L"Option Explicit"};
  lines.push_back(L"Private Const Names As String = \"a\" & _");
  for (int32_t i = 2; i < chainLines; ++i) {
    lines.push_back(L"    \"b" + std::to_wstring(i) + L"\" & _");
  }
  lines.push_back(L"    \"z\"");
  lines.push_back(L"'''");
  markerLine = static_cast<int32_t>(lines.size());
  const std::vector<std::wstring> declaration = AddFunction();
  lines.insert(lines.end(), declaration.begin(), declaration.end());
  return lines;
}

}  // namespace tarnwick::bench
