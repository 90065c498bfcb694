// A portable model of the add-in's per-message routing, for timing natively.
//
// RouteMessage and the code-window handler are Windows code. This model does
// the same per-message work in the same shape, with the window system taken
// out:
//   - ModelRouteMessage stores the message's three fields in the record, pushes
//     a frame (message, parameters, passed-on flag) as the record's innermost,
//     calls the record's handler through a function pointer inside a try block,
//     pops the frame, and unless the message was consumed passes it on through
//     the record's saved procedure pointer (the fallback mode's CallWindowProcW,
//     here an indirect call to a procedure that returns at once);
//   - ModelCodeWindowHandler is the handler's unwatched path: the destroy check
//     and the engine's real IsWatchedMessage (linked from the engine library),
//     then it returns;
//   - ModelFallbackWndProc adds the fallback entry point's handle lookup in an
//     ordered map, as the window procedure installed in fallback mode does.
// Every function here is compiled out of line in its own translation unit, as
// the add-in's are, so that the benchmark loop cannot fold them away.
#pragma once

#include <cstdint>
#include <map>

namespace tarnwick::bench {

using ModelProcedure = intptr_t (*)(void* window, uint32_t message, uintptr_t wParam,
                                    intptr_t lParam);

struct ModelRecord;
using ModelHandler = void (*)(ModelRecord& record, bool* consumed, intptr_t* result);

struct ModelFrame {
  uint32_t message;
  uintptr_t wParam;
  intptr_t lParam;
  bool passedOn;
};

// The fields of the add-in's record, in its order.
struct ModelRecord {
  void* hwnd = nullptr;
  void* owner = nullptr;
  uint32_t message = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
  ModelHandler handler = nullptr;
  uintptr_t subclassId = 0;
  int installed = 0;
  ModelProcedure previousWndProc = nullptr;
  ModelFrame* frame = nullptr;
};

// What stands behind the add-in: returns 0 at once.
intptr_t EmptyProcedure(void* window, uint32_t message, uintptr_t wParam, intptr_t lParam);

intptr_t ModelRouteMessage(ModelRecord& record, uint32_t message, uintptr_t wParam,
                           intptr_t lParam);
void ModelCodeWindowHandler(ModelRecord& record, bool* consumed, intptr_t* result);

// The subclass entry point: the system hands it the record (dwRefData); the
// model keeps that record here.
extern ModelRecord* ModelSubclassRecord;
intptr_t ModelSubclassProc(void* window, uint32_t message, uintptr_t wParam, intptr_t lParam);

extern std::map<void*, ModelRecord*> ModelFallbackMap;
intptr_t ModelFallbackWndProc(void* window, uint32_t message, uintptr_t wParam, intptr_t lParam);

}  // namespace tarnwick::bench
