// What the simulated editor objects were asked, shared by the objects of one
// object model so that the order across VBE, CodePane and CodeModule shows,
// and the time they took to answer. Also arms an injected failure of a later
// Invoke.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick {

struct EditorCall {
  std::wstring call;  // e.g. L"CodeModule.Lines(11, 1)": inputs as passed, &n for by-reference
  HRESULT result = S_OK;
};

class CallLog {
 public:
  void Record(std::wstring call, HRESULT result) { calls.push_back({std::move(call), result}); }
  void CountNameLookup() { ++nameLookups; }
  void AddInvokeTicks(int64_t ticks) { invokeTicks += ticks; }

  // Every Invoke since the last Clear, failed ones included, in order.
  const std::vector<EditorCall>& Calls() const { return calls; }
  int64_t InvokeCount() const { return static_cast<int64_t>(calls.size()) + cleared; }
  // Calls of GetIDsOfNames since the last Clear.
  int64_t NameLookups() const { return nameLookups; }
  // Time spent inside Invoke, in QueryPerformanceCounter ticks, since the
  // model was made (Clear keeps counting, like InvokeCount).
  int64_t InvokeTicks() const { return invokeTicks; }
  // Only the call texts, for comparing with an expected list.
  std::vector<std::wstring> CallTexts() const;
  // Forgets the calls and lookups; InvokeCount keeps counting across it.
  void Clear();

  // The `nth` Invoke from now (1 = the next one) and the `times` - 1 after it
  // answer `failure` instead of acting. nth 0 disarms.
  void FailInvoke(int64_t nth, HRESULT failure, int64_t times = 1);
  // Called at the start of each Invoke: true when this one is to fail.
  [[nodiscard]] bool TakeInjectedFailure(HRESULT* failure);

 private:
  std::vector<EditorCall> calls;
  int64_t cleared = 0;
  int64_t nameLookups = 0;
  int64_t invokeTicks = 0;
  int64_t failCountdown = 0;
  int64_t failTimes = 0;
  HRESULT failWith = S_OK;
};

}  // namespace tarnwick
