// What sync changes, as a unified diff to print and as edits of line ranges to
// apply: both from one matching of the kept lines to the file's.
#include <algorithm>
#include <cstdint>

#include "documentation/sync.h"
#include "text/utf.h"

namespace tarnwick {

namespace {

constexpr size_t kContext = 3;

struct Operation {
  char kind;        // ' ', '-' or '+'
  int32_t oldLine;  // 0-based, for ' ' and '-'
  size_t newIndex;  // into the result's lines, for ' ' and '+'
};

// Which of the result's lines stay matched to the file's lines: the longest
// run of kept lines whose order the result keeps (the file's lines are
// numbered in order, so this is a longest increasing subsequence).
std::vector<bool> MatchedLines(const SyncResult& result) {
  std::vector<size_t> tails;  // index into result.lines of the smallest tail per length
  std::vector<size_t> previous(result.lines.size(), SIZE_MAX);
  for (size_t i = 0; i < result.lines.size(); ++i) {
    const int32_t source = result.lines[i].source;
    if (source < 0) {
      continue;
    }
    const auto at = std::lower_bound(
        tails.begin(), tails.end(), source,
        [&](size_t index, int32_t value) { return result.lines[index].source < value; });
    if (at != tails.begin()) {
      previous[i] = *(at - 1);
    }
    if (at == tails.end()) {
      tails.push_back(i);
    } else {
      *at = i;
    }
  }
  std::vector<bool> matched(result.lines.size(), false);
  for (size_t i = tails.empty() ? SIZE_MAX : tails.back(); i != SIZE_MAX; i = previous[i]) {
    matched[i] = true;
  }
  return matched;
}

std::vector<Operation> Operations(const SourceText& source, const SyncResult& result) {
  const std::vector<bool> matched = MatchedLines(result);
  std::vector<Operation> operations;
  int32_t old = 0;
  for (size_t i = 0; i < result.lines.size(); ++i) {
    if (!matched[i]) {
      continue;
    }
    for (; old < result.lines[i].source; ++old) {
      operations.push_back({'-', old, 0});
    }
    operations.push_back({' ', old++, i});
  }
  for (; old < static_cast<int32_t>(source.lines.size()); ++old) {
    operations.push_back({'-', old, 0});
  }
  // Unmatched result lines go in as additions before the next matched line.
  std::vector<Operation> merged;
  size_t next = 0;
  for (const Operation& operation : operations) {
    if (operation.kind == ' ') {
      for (; next < operation.newIndex; ++next) {
        if (!matched[next]) {
          merged.push_back({'+', 0, next});
        }
      }
      next = operation.newIndex + 1;
    }
    merged.push_back(operation);
  }
  for (; next < result.lines.size(); ++next) {
    if (!matched[next]) {
      merged.push_back({'+', 0, next});
    }
  }
  return merged;
}

}  // namespace

std::string UnifiedDiff(const std::string& path, const SourceText& source,
                        const SyncResult& result) {
  if (!result.changed) {
    return std::string();
  }
  const std::vector<Operation> operations = Operations(source, result);
  auto text = [&](const Operation& operation) {
    if (operation.kind == '+') {
      const SyncedLine& line = result.lines[operation.newIndex];
      return WideToUtf8(line.source >= 0 ? source.lines[line.source] : line.text);
    }
    return WideToUtf8(source.lines[operation.oldLine]);
  };
  std::string out = "--- a/" + path + "\n+++ b/" + path + "\n";
  // Line numbers before each operation, 1-based.
  std::vector<size_t> oldAt(operations.size() + 1, 1);
  std::vector<size_t> newAt(operations.size() + 1, 1);
  for (size_t i = 0; i < operations.size(); ++i) {
    oldAt[i + 1] = oldAt[i] + (operations[i].kind != '+');
    newAt[i + 1] = newAt[i] + (operations[i].kind != '-');
  }
  size_t i = 0;
  while (i < operations.size()) {
    if (operations[i].kind == ' ') {
      ++i;
      continue;
    }
    // A hunk: changes closer than twice the context join.
    const size_t begin = i >= kContext ? i - kContext : 0;
    size_t end = i;
    size_t quiet = 0;
    for (size_t k = i; k < operations.size() && quiet <= 2 * kContext; ++k) {
      if (operations[k].kind == ' ') {
        ++quiet;
      } else {
        quiet = 0;
        end = k + 1;
      }
    }
    end = std::min(operations.size(), end + kContext);
    const size_t oldCount = oldAt[end] - oldAt[begin];
    const size_t newCount = newAt[end] - newAt[begin];
    out += "@@ -" + std::to_string(oldCount == 0 ? oldAt[begin] - 1 : oldAt[begin]) + "," +
           std::to_string(oldCount) + " +" +
           std::to_string(newCount == 0 ? newAt[begin] - 1 : newAt[begin]) + "," +
           std::to_string(newCount) + " @@\n";
    for (size_t k = begin; k < end; ++k) {
      out += operations[k].kind + text(operations[k]) + "\n";
    }
    i = end;
  }
  return out;
}

std::vector<LineEdit> SyncEdits(const SourceText& source, const SyncResult& result) {
  std::vector<LineEdit> edits;
  if (!result.changed) {
    return edits;
  }
  int32_t old = 0;  // the file's next line
  bool open = false;
  for (const Operation& operation : Operations(source, result)) {
    if (operation.kind == ' ') {
      old = operation.oldLine + 1;
      open = false;
      continue;
    }
    if (!open) {
      edits.push_back({old, 0, {}});
      open = true;
    }
    LineEdit& edit = edits.back();
    if (operation.kind == '-') {
      ++edit.count;
      old = operation.oldLine + 1;
    } else {
      const SyncedLine& line = result.lines[operation.newIndex];
      edit.lines.push_back(line.source >= 0 ? source.lines[line.source] : line.text);
    }
  }
  return edits;
}

}  // namespace tarnwick
