#include "simulator/simulated_code_window.h"

#include "engine/messages.h"
#include "engine/watched_message.h"
#include "simulator/editor_behavior.h"

namespace tarnwick {

intptr_t SimulatedCodeWindow::Deliver(uint32_t message, uintptr_t wParam, bool* consumed) {
  record = {message, wParam};
  ++depth;
  bool handled = false;
  const WatchedOutcome outcome = HandleWatchedMessage(
      message, wParam, this, *this, &handled,
      [&](const PaneUse& use) {
        if (paneBinder) {
          paneBinder(use);
        } else {
          use(pane);
        }
      },
      [] { return true; }, readCache ? ReadCache::kOn : ReadCache::kOff);
  if (outcome == WatchedOutcome::kFailureStopped) {
    ++failuresStopped;
  }
  const intptr_t result = handled ? 0 : CallOriginal();
  --depth;
  if (consumed) {
    *consumed = handled;
  }
  return result;
}

intptr_t SimulatedCodeWindow::CallOriginal() {
  // Only the outermost message can be the keystroke itself; nested ones are
  // the spaces the engine types.
  if (depth == 1 && record.message == keyMessage.message && record.wParam == keyMessage.wParam) {
    ++keyMessageReceived;
  }
  ApplyEditorMessage(module, selection, record.message, record.wParam, compositionResult);
  return 0;
}

void SimulatedCodeWindow::TypeSpace() {
  Deliver(kWmChar, 0x20);
}

KeystrokeReport SimulatedCodeWindow::Press(const Keystroke& key) {
  KeystrokeReport report;
  pane.ResetCounts();
  failuresStopped = 0;
  keyMessageReceived = 0;
  keyMessage = {};
  const int64_t boundCallsBefore = countBoundCalls ? countBoundCalls() : 0;

  auto send = [&](uint32_t message, uintptr_t wParam, bool isKey) {
    if (isKey) {
      keyMessage = {message, wParam};
    }
    bool consumed = false;
    Deliver(message, wParam, &consumed);
    if (isKey) {
      report.consumed = report.consumed || consumed;
    }
  };

  switch (key.kind) {
    case Keystroke::Kind::kCharacter:
      for (size_t i = 0; i < key.text.size(); ++i) {
        send(kWmChar, static_cast<uint16_t>(key.text[i]), i == 0);
      }
      report.editorReceived = keyMessageReceived;
      break;
    case Keystroke::Kind::kEnter:
    case Keystroke::Kind::kTab: {
      const uint8_t code = key.kind == Keystroke::Kind::kEnter ? kVkReturn : kVkTab;
      send(kWmKeyDown, code, true);
      report.editorReceived = keyMessageReceived;
      send(kWmChar, code, false);
      break;
    }
    case Keystroke::Kind::kCaret:
    case Keystroke::Kind::kSelect:
      Select(key.selection);
      break;
    case Keystroke::Kind::kIme:
      send(kWmImeStartComposition, 0, false);
      compositionResult = key.text;
      send(kWmImeComposition, 0, false);
      compositionResult.clear();
      send(kWmImeEndComposition, 0, true);
      report.editorReceived = keyMessageReceived;
      break;
  }
  if (paneBinder && countBoundCalls) {
    report.editorCalls = report.paneCalls = countBoundCalls() - boundCallsBefore;
  } else {
    report.editorCalls = pane.EngineCalls();
    report.paneCalls = pane.TotalCalls();
  }
  report.failuresStopped = failuresStopped;
  return report;
}

std::vector<KeystrokeReport> SimulatedCodeWindow::Play(const std::vector<Keystroke>& keys) {
  std::vector<KeystrokeReport> reports;
  reports.reserve(keys.size());
  for (const Keystroke& key : keys) {
    reports.push_back(Press(key));
  }
  return reports;
}

}  // namespace tarnwick
