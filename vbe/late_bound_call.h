// Calls the editor's objects by member name through IDispatch.
//
// Each member's DISPID is looked up once per process and kept, keyed by the
// editor interface it belongs to and the member's name: DISPIDs are fixed per
// interface type, so every CodePane shares the CodePane numbers. A call that
// answers DISP_E_MEMBERNOTFOUND looks the name up again, once, and is retried.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <span>

namespace tarnwick {

enum class EditorInterface { kVbe, kCodePane, kCodeModule };

// Arguments for InvokeByName. None of them owns anything: a string or a
// variable passed by reference must outlive the call.
VARIANTARG LongArgument(int32_t value);
VARIANTARG LongReference(LONG* variable);
VARIANTARG StringArgument(BSTR text);

// Invokes `member` of `object` with `arguments` in call order (they are
// passed to Invoke reversed, as IDispatch expects) and `flags`
// (DISPATCH_PROPERTYGET or DISPATCH_METHOD). `result` must be empty (VT_EMPTY)
// and receives the answer. Returns the HRESULT of the call, or of the name
// lookup when that fails.
[[nodiscard]] HRESULT InvokeByName(IDispatch* object, EditorInterface type, const wchar_t* member,
                                   WORD flags, std::span<const VARIANTARG> arguments,
                                   VARIANT* result);

// Forgets every cached DISPID (tests use it to see the first lookups again).
void ClearDispatchIdCache();

}  // namespace tarnwick
