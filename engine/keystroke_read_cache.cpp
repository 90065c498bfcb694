#include "engine/keystroke_read_cache.h"

#include <algorithm>
#include <exception>

#include "engine/bad_exception.h"
#include "engine/comment_engine.h"
#include "engine/positions.h"

namespace tarnwick {

namespace {

// The lines of a run as the editor joins them.
std::vector<std::wstring_view> SplitRun(std::wstring_view text, size_t expected) {
  std::vector<std::wstring_view> lines;
  lines.reserve(expected);
  size_t from = 0;
  for (;;) {
    const size_t end = text.find(L"\r\n", from);
    lines.push_back(text.substr(from, end == text.npos ? end : end - from));
    if (end == text.npos) {
      return lines;
    }
    from = end + 2;
  }
}

// Passing the message on lets the editor change the text.
class ForgettingRoute final : public Route {
 public:
  // The route's own result type, whatever width the build gives it.
  using Result = decltype(std::declval<Route&>().CallOriginal());

  ForgettingRoute(KeystrokeReadCache& cache, Route& route) : cache(cache), route(route) {}
  Result CallOriginal() override {
    // Nothing reads through this cache until the call returns: a message
    // nested in it is dispatched with a cache of its own.
    cache.Forget();
    return route.CallOriginal();
  }

 private:
  KeystrokeReadCache& cache;
  Route& route;
};

// So does a space typed into the window.
class ForgettingWindow final : public CodeWindow {
 public:
  ForgettingWindow(KeystrokeReadCache& cache, CodeWindow& window) : cache(cache), window(window) {}
  bool IsLive() override { return window.IsLive(); }
  void TypeSpace() override {
    cache.Forget();
    window.TypeSpace();
  }

 private:
  KeystrokeReadCache& cache;
  CodeWindow& window;
};

}  // namespace

int32_t KeystrokeReadCache::GetLineCount() {
  if (!lineCount) {
    lineCount = pane.GetLineCount();
  }
  return *lineCount;
}

void KeystrokeReadCache::GetSelection(int32_t* startLine, int32_t* startColumn, int32_t* endLine,
                                      int32_t* endColumn) {
  if (!startLine && !startColumn && !endLine && !endColumn) {
    throw BadException();
  }
  if (!selection) {
    std::array<int32_t, 4> asked{};
    pane.GetSelection(&asked[0], &asked[1], &asked[2], &asked[3]);
    selection = asked;
  }
  int32_t* const outputs[] = {startLine, startColumn, endLine, endColumn};
  for (size_t i = 0; i < 4; ++i) {
    if (outputs[i]) {
      *outputs[i] = (*selection)[i];
    }
  }
}

void KeystrokeReadCache::SetCaret(int32_t line, int32_t column) {
  static_cast<VisualBasicEditor&>(*this).SetSelection(line, column, line, column);
}

void KeystrokeReadCache::SetSelection(int32_t startLine, int32_t startColumn, int32_t endLine,
                                      int32_t endColumn) {
  // A caret that leaves its line makes the editor settle that line: it may
  // recase and respace it, add an End Sub or refuse it with a message. Only a
  // move along the one line known to hold the caret keeps what was read; the
  // editor may still place it elsewhere (it clamps), so the next GetSelection
  // asks.
  const bool alongItsLine = selection && (*selection)[0] == (*selection)[2] &&
                            startLine == endLine && startLine == (*selection)[0];
  if (alongItsLine) {
    selection.reset();
  } else {
    Forget();
  }
  pane.SetSelection(startLine, startColumn, endLine, endColumn);
}

void KeystrokeReadCache::GetLine(int32_t line, std::wstring& text) {
  const std::wstring_view held = Line(line);
  text.assign(held.data(), held.size());
}

void KeystrokeReadCache::GetLines(int32_t startLine, int32_t count,
                                  std::vector<std::wstring>& lines) {
  pane.GetLines(startLine, count, lines);
}

void KeystrokeReadCache::GetProcOfLine(int32_t line, std::wstring& name, int32_t* kind) {
  pane.GetProcOfLine(line, name, kind);
}

int32_t KeystrokeReadCache::GetProcBodyLine(const std::wstring& name, int32_t kind) {
  return pane.GetProcBodyLine(name, kind);
}

bool KeystrokeReadCache::IsInProcBody(int32_t line) {
  return IsInProcBodyThroughInterface(*this, line);
}

void KeystrokeReadCache::ReplaceLine(int32_t line, const std::wstring& text) {
  selection.reset();  // the editor keeps it inside the text it now holds
  try {
    pane.ReplaceLine(line, text);
  } catch (...) {
    Forget();  // what the editor did before it failed is not known
    throw;
  }
  // What the editor was given: the text up to its first NUL.
  const std::wstring_view written(text.c_str());
  if (written.find(L'\r') != written.npos) {
    Forget();
    return;
  }
  ApplyReplacement(line, written);
}

void KeystrokeReadCache::Forget() {
  run.clear();
  loose.clear();
  texts.clear();
  singleReads = 0;
  nextUp = nextDown = 0;
  lineCount.reset();
  selection.reset();
}

std::wstring_view KeystrokeReadCache::Line(int32_t line) {
  if (line < 0) {
    throw BadException();
  }
  if (const std::wstring_view* held = Find(line)) {
    return *held;
  }
  if (!lineCount && (runsSplitBadly || singleReads < kSingleReads)) {
    ++singleReads;
    return ReadAlone(line);
  }
  const int32_t bound = GetLineCount();
  if (line > bound) {
    throw BadException();
  }
  // Line 0 and the line after the last are the editor's to answer, alone.
  const int32_t lastLine = bound - 1;
  if (line == 0 || line > lastLine || runsSplitBadly) {
    return ReadAlone(line);
  }
  FetchRunAround(line, lastLine);
  if (const std::wstring_view* held = Find(line)) {
    return *held;
  }
  return ReadAlone(line);  // the run did not split into its lines
}

const std::wstring_view* KeystrokeReadCache::Find(int32_t line) const {
  if (line >= runFirst && int64_t{line} - runFirst < static_cast<int64_t>(run.size())) {
    return &run[static_cast<size_t>(line - runFirst)];
  }
  for (const auto& [number, text] : loose) {
    if (number == line) {
      return &text;
    }
  }
  return nullptr;
}

std::wstring_view KeystrokeReadCache::ReadAlone(int32_t line) {
  const std::wstring_view held = Keep(source.ReadLineRun(line, 1));
  loose.emplace_back(line, held);
  return held;
}

void KeystrokeReadCache::FetchRunAround(int32_t line, int32_t lastLine) {
  const int64_t runEnd = int64_t{runFirst} + static_cast<int64_t>(run.size());
  enum class Way { kAround, kUp, kDown } way = Way::kAround;
  int64_t first = 0;
  int64_t last = 0;
  if (!run.empty() && line >= runEnd && line - runEnd < nextDown) {
    way = Way::kDown;
    first = runEnd;
    last = runEnd + nextDown - 1;
  } else if (!run.empty() && line < runFirst && runFirst - int64_t{line} <= nextUp) {
    way = Way::kUp;
    first = int64_t{runFirst} - nextUp;
    last = int64_t{runFirst} - 1;
  } else {
    // A run centred on the line, shifted inside the module where it would
    // stick out of it.
    first = int64_t{line} - kFirstRun / 2;
    last = first + kFirstRun - 1;
    if (last > lastLine) {
      first -= last - lastLine;
    }
    if (first < 1) {
      last += 1 - first;
    }
  }
  first = std::max<int64_t>(first, 1);
  last = std::min<int64_t>(last, lastLine);
  const auto count = static_cast<int32_t>(last - first + 1);

  const std::wstring_view text = Keep(source.ReadLineRun(static_cast<int32_t>(first), count));
  std::vector<std::wstring_view> lines = SplitRun(text, static_cast<size_t>(count));
  if (lines.size() != static_cast<size_t>(count)) {
    runsSplitBadly = true;
    return;
  }
  switch (way) {
    case Way::kDown:
      run.insert(run.end(), lines.begin(), lines.end());
      nextDown = std::min(2 * nextDown, kLongestRun);
      break;
    case Way::kUp:
      run.insert(run.begin(), lines.begin(), lines.end());
      runFirst = static_cast<int32_t>(first);
      nextUp = std::min(2 * nextUp, kLongestRun);
      break;
    case Way::kAround:
      run = std::move(lines);
      runFirst = static_cast<int32_t>(first);
      nextUp = nextDown = std::min(2 * kFirstRun, kLongestRun);
      break;
  }
  const int64_t newEnd = int64_t{runFirst} + static_cast<int64_t>(run.size());
  std::erase_if(loose,
                [&](const auto& held) { return held.first >= runFirst && held.first < newEnd; });
}

void KeystrokeReadCache::ApplyReplacement(int32_t line, std::wstring_view written) {
  const std::wstring_view kept = Keep(std::wstring(written));
  std::vector<std::wstring_view> pieces;
  for (size_t from = 0;;) {
    const size_t lf = kept.find(L'\n', from);
    pieces.push_back(kept.substr(from, lf == kept.npos ? lf : lf - from));
    if (lf == kept.npos) {
      break;
    }
    from = lf + 1;
  }
  const auto added = static_cast<int64_t>(pieces.size()) - 1;
  if (lineCount) {
    lineCount = Offset(*lineCount, added);
  }

  for (auto& held : loose) {
    if (held.first > line) {
      held.first = Offset(held.first, added);
    }
  }
  const int64_t runEnd = int64_t{runFirst} + static_cast<int64_t>(run.size());
  if (!run.empty() && line >= runFirst && line < runEnd) {
    const auto at = run.begin() + (line - runFirst);
    *at = pieces.front();
    run.insert(at + 1, pieces.begin() + 1, pieces.end());
    return;
  }
  if (!run.empty() && line < runFirst) {
    runFirst = Offset(runFirst, added);
  }
  std::erase_if(loose, [&](const auto& held) { return held.first == line; });
  for (size_t k = 0; k < pieces.size(); ++k) {
    loose.emplace_back(Offset(line, static_cast<int64_t>(k)), pieces[k]);
  }
}

std::wstring_view KeystrokeReadCache::Keep(std::wstring text) {
  return texts.emplace_back(std::move(text));
}

void DispatchKeystrokeCached(CodeWindow* window, uint32_t message, uint8_t character,
                             LineRunPane& pane, Route* route, bool* consumed) {
  KeystrokeReadCache cache(pane);
  std::optional<ForgettingWindow> forgettingWindow;
  if (window) {
    forgettingWindow.emplace(cache, *window);
  }
  std::optional<ForgettingRoute> forgettingRoute;
  if (route) {
    forgettingRoute.emplace(cache, *route);
  }
  DispatchKeystroke(forgettingWindow ? &*forgettingWindow : nullptr, message, character, &cache,
                    forgettingRoute ? &*forgettingRoute : nullptr, consumed);
}

}  // namespace tarnwick
