#include "simulator/com/call_log.h"

namespace tarnwick {

std::vector<std::wstring> CallLog::CallTexts() const {
  std::vector<std::wstring> texts;
  texts.reserve(calls.size());
  for (const EditorCall& c : calls) {
    texts.push_back(c.call);
  }
  return texts;
}

void CallLog::Clear() {
  cleared += static_cast<int64_t>(calls.size());
  calls.clear();
  nameLookups = 0;
}

void CallLog::FailInvoke(int64_t nth, HRESULT failure, int64_t times) {
  failCountdown = nth;
  failTimes = nth > 0 ? times : 0;
  failWith = failure;
}

bool CallLog::TakeInjectedFailure(HRESULT* failure) {
  if (failTimes <= 0) {
    return false;
  }
  if (failCountdown > 1) {
    --failCountdown;
    return false;
  }
  --failTimes;
  *failure = failWith;
  return true;
}

}  // namespace tarnwick
