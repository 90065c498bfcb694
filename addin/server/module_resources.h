// What registration reads from the module file: its path and its registry
// scripts.
#pragma once

#include <windows.h>

#include <string>

#include "registrar/hresult.h"

namespace tarnwick {

// The module's full path as GetModuleFileNameW gives it, in a buffer of
// kModulePathBufferLength characters. A path that fills the buffer gives
// 0x8007007A (ERROR_INSUFFICIENT_BUFFER); another failure the HRESULT of the
// last error. *path is replaced on success only.
[[nodiscard]] HResult GetModulePath(HMODULE module, std::wstring* path);

// The "REGISTRY" resource `id` of the module file at `modulePath`, loaded as a
// data file and converted from the thread's ANSI code page to UTF-16.
// *text is replaced on success only.
[[nodiscard]] HResult LoadRegistryScript(const std::wstring& modulePath, int id,
                                         std::wstring* text);

}  // namespace tarnwick
