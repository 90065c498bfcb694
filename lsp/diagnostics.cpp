#include "lsp/diagnostics.h"

#include <exception>

#include "engine/text_helpers.h"

namespace tarnwick::lsp {

std::vector<DiagnosticEntry> Diagnose(const DocModule& module, const CheckOptions& options,
                                      const CrefScope& scope) {
  std::vector<DiagnosticEntry> entries;
  const std::vector<std::wstring>& lines = module.source.lines;
  for (const Finding& finding : CheckModule(module, options, scope)) {
    const int64_t line = finding.line > 0 ? finding.line - 1 : 0;
    const std::wstring empty;
    const std::wstring& text =
        line < static_cast<int64_t>(lines.size()) ? lines[static_cast<size_t>(line)] : empty;
    const size_t start = FirstNonBlank(text);
    const auto from = static_cast<int64_t>(start == std::wstring::npos ? 0 : start);
    entries.push_back(
        {{{line, from}, {line, static_cast<int64_t>(text.size())}}, finding.code, finding.message});
  }
  return entries;
}

DiagnosticsWorker::DiagnosticsWorker(Check check, Publish publish, std::chrono::milliseconds delay)
    : check(std::move(check)), publish(std::move(publish)), delay(delay) {
  thread = std::thread([this] { Run(); });
}

DiagnosticsWorker::~DiagnosticsWorker() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    stopping = true;
  }
  wake.notify_all();
  thread.join();
}

void DiagnosticsWorker::Schedule(const std::string& uri) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    Pending& entry = pending[uri];
    entry.generation = ++nextGeneration;
    entry.due = std::chrono::steady_clock::now() + delay;
    entry.waiting = true;
  }
  wake.notify_all();
}

void DiagnosticsWorker::Forget(const std::string& uri) {
  std::lock_guard<std::mutex> lock(mutex);
  pending.erase(uri);
}

void DiagnosticsWorker::Run() {
  std::unique_lock<std::mutex> lock(mutex);
  for (;;) {
    if (stopping) {
      return;
    }
    // The next document due, if any.
    auto next = pending.end();
    for (auto it = pending.begin(); it != pending.end(); ++it) {
      if (it->second.waiting && (next == pending.end() || it->second.due < next->second.due)) {
        next = it;
      }
    }
    if (next == pending.end()) {
      wake.wait(lock);
      continue;
    }
    if (std::chrono::steady_clock::now() < next->second.due) {
      wake.wait_until(lock, next->second.due);
      continue;
    }
    const std::string uri = next->first;
    const uint64_t generation = next->second.generation;
    next->second.waiting = false;
    lock.unlock();
    std::vector<DiagnosticEntry> entries;
    int64_t version = 0;
    bool ok = true;
    try {
      auto checked = check(uri, version);
      ok = checked.has_value();
      if (ok) {
        entries = std::move(*checked);
      }
    } catch (const std::exception&) {
      ok = false;  // a module that cannot be read keeps what was published
    }
    lock.lock();
    const auto now = pending.find(uri);
    if (ok && now != pending.end() && now->second.generation == generation) {
      pending.erase(now);
      lock.unlock();
      try {
        publish(uri, version, entries);
      } catch (const std::exception&) {
        // The output failed; the message loop will find out.
      }
      lock.lock();
    } else if (!ok && now != pending.end() && now->second.generation == generation) {
      pending.erase(now);
    }
  }
}

}  // namespace tarnwick::lsp
