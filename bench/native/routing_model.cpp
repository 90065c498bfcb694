#include "bench/native/routing_model.h"

#include "engine/comment_engine.h"

namespace tarnwick::bench {

namespace {
constexpr uint32_t kWmNcDestroy = 0x0082;
}  // namespace

std::map<void*, ModelRecord*> ModelFallbackMap;

__attribute__((noinline)) intptr_t EmptyProcedure(void*, uint32_t, uintptr_t, intptr_t) {
  return 0;
}

__attribute__((noinline)) void ModelCodeWindowHandler(ModelRecord& record, bool* consumed,
                                                      intptr_t* result) {
  if (record.message == kWmNcDestroy) {
    *result = 0;
    *consumed = true;
    return;
  }
  if (!IsWatchedMessage(record.message, record.wParam)) {
    return;
  }
  // Watched messages never arrive in the unwatched stream.
  *consumed = false;
}

__attribute__((noinline)) intptr_t ModelRouteMessage(ModelRecord& record, uint32_t message,
                                                     uintptr_t wParam, intptr_t lParam) {
  record.message = message;
  record.wParam = wParam;
  record.lParam = lParam;

  ModelFrame frame{message, wParam, lParam, false};
  ModelFrame* outer = record.frame;
  record.frame = &frame;

  bool consumed = false;
  intptr_t result = 0;
  try {
    record.handler(record, &consumed, &result);
  } catch (...) {
    consumed = frame.passedOn;
  }
  record.frame = outer;

  if (consumed) {
    return result;
  }
  return record.previousWndProc(record.hwnd, message, wParam, lParam);
}

ModelRecord* ModelSubclassRecord = nullptr;

__attribute__((noinline)) intptr_t ModelSubclassProc(void*, uint32_t message, uintptr_t wParam,
                                                     intptr_t lParam) {
  try {
    return ModelRouteMessage(*ModelSubclassRecord, message, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

__attribute__((noinline)) intptr_t ModelFallbackWndProc(void* window, uint32_t message,
                                                        uintptr_t wParam, intptr_t lParam) {
  try {
    auto entry = ModelFallbackMap.find(window);
    if (entry != ModelFallbackMap.end()) {
      return ModelRouteMessage(*entry->second, message, wParam, lParam);
    }
    return EmptyProcedure(window, message, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

}  // namespace tarnwick::bench
