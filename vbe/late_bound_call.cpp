#include "vbe/late_bound_call.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "win32/unique_any.h"

namespace tarnwick {
namespace {

using CacheKey = std::pair<EditorInterface, std::wstring>;

// Used from the editor's UI thread only. At namespace scope rather than as a
// function's static: the thread-safe guard of a function's static makes the
// statically linked threads runtime keep a little memory every time the DLL
// is loaded, which a reload never gets back.
std::map<CacheKey, DISPID> dispatchIds;

std::map<CacheKey, DISPID>& DispatchIds() {
  return dispatchIds;
}

HRESULT LookUp(IDispatch* object, const wchar_t* member, DISPID* id) {
  LPOLESTR name = const_cast<LPOLESTR>(member);
  return object->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, id);
}

}  // namespace

HRESULT InvokeByName(IDispatch* object, EditorInterface type, const wchar_t* member, WORD flags,
                     std::span<const VARIANTARG> arguments, VARIANT* result) {
  // Invoke takes the arguments last to first.
  std::vector<VARIANTARG> reversed(arguments.rbegin(), arguments.rend());
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};

  auto& ids = DispatchIds();
  CacheKey key{type, member};
  auto cached = ids.find(key);
  bool fresh = cached == ids.end();
  DISPID id = DISPID_UNKNOWN;
  if (fresh) {
    const HRESULT found = LookUp(object, member, &id);
    if (FAILED(found)) {
      return found;
    }
    cached = ids.insert_or_assign(std::move(key), id).first;
  }
  for (;;) {
    EXCEPINFO exception{};
    UINT argumentError = 0;
    const HRESULT hr = object->Invoke(cached->second, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                      result, &exception, &argumentError);
    // The editor's description of a failure is not used; its strings are ours.
    const UniqueBstr source(exception.bstrSource);
    const UniqueBstr description(exception.bstrDescription);
    const UniqueBstr helpFile(exception.bstrHelpFile);
    if (hr != DISP_E_MEMBERNOTFOUND || fresh) {
      return hr;
    }
    // The number may belong to another build of the editor: ask once more.
    fresh = true;
    const HRESULT found = LookUp(object, member, &cached->second);
    if (FAILED(found)) {
      ids.erase(cached);
      return found;
    }
  }
}

void ClearDispatchIdCache() {
  DispatchIds().clear();
}

VARIANTARG LongArgument(int32_t value) {
  VARIANTARG argument;
  VariantInit(&argument);
  argument.vt = VT_I4;
  argument.lVal = value;
  return argument;
}

VARIANTARG LongReference(LONG* variable) {
  VARIANTARG argument;
  VariantInit(&argument);
  argument.vt = VT_BYREF | VT_I4;
  argument.plVal = variable;
  return argument;
}

VARIANTARG StringArgument(BSTR text) {
  VARIANTARG argument;
  VariantInit(&argument);
  argument.vt = VT_BSTR;
  argument.bstrVal = text;
  return argument;
}

}  // namespace tarnwick
