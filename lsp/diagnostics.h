// check's findings as diagnostics, and the worker that computes them for open
// documents: debounced, off the message thread, and dropped when a newer
// change of the document comes before they are published.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "documentation/check.h"
#include "documentation/module.h"
#include "lsp/text_document.h"

namespace tarnwick::lsp {

struct DiagnosticEntry {
  TextRange range;
  std::string code;  // the rule's code, "TWD001"
  std::string message;
};

// The findings of check on one module, each over the text of its line (the
// whole module's first line for a finding about the module).
std::vector<DiagnosticEntry> Diagnose(const DocModule& module, const CheckOptions& options,
                                      const CrefScope& scope);

class DiagnosticsWorker {
 public:
  // Reads the document as it stands (its version through `version`) and
  // checks it; nothing when it is no longer open.
  using Check = std::function<std::optional<std::vector<DiagnosticEntry>>(const std::string& uri,
                                                                          int64_t& version)>;
  using Publish = std::function<void(const std::string& uri, int64_t version,
                                     const std::vector<DiagnosticEntry>& entries)>;

  DiagnosticsWorker(Check check, Publish publish, std::chrono::milliseconds delay);
  ~DiagnosticsWorker();
  DiagnosticsWorker(const DiagnosticsWorker&) = delete;
  DiagnosticsWorker& operator=(const DiagnosticsWorker&) = delete;

  // The document changed: its diagnostics are computed once no change has come
  // for the delay. A newer change replaces one still waiting, and makes one
  // being computed be dropped instead of published. Costs nothing in the
  // document's size: its text is read when the delay is over.
  void Schedule(const std::string& uri);
  // The document closed: nothing more is published for it.
  void Forget(const std::string& uri);

 private:
  struct Pending {
    uint64_t generation = 0;
    std::chrono::steady_clock::time_point due;
    bool waiting = true;
  };
  void Run();

  Check check;
  Publish publish;
  const std::chrono::milliseconds delay;
  std::mutex mutex;
  std::condition_variable wake;
  std::map<std::string, Pending> pending;
  uint64_t nextGeneration = 0;
  bool stopping = false;
  std::thread thread;
};

}  // namespace tarnwick::lsp
