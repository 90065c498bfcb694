#include "simulator/com/dispatch_object.h"

#include <string>

#include "text/ascii.h"
#include "win32/hresult_error.h"
#include "win32/unique_any.h"

namespace tarnwick {

const VARIANTARG& DispatchArguments::At(UINT position) const {
  return params.rgvarg[params.cArgs - 1 - position];
}

void DispatchArguments::Mismatch(UINT position) const {
  if (argumentError) {
    *argumentError = params.cArgs - 1 - position;
  }
  throw HResultError(DISP_E_TYPEMISMATCH);
}

int32_t DispatchArguments::Long(UINT position) const {
  UniqueVariant converted;
  if (FAILED(
          VariantChangeType(converted.put(), const_cast<VARIANTARG*>(&At(position)), 0, VT_I4))) {
    Mismatch(position);
  }
  return converted.get().lVal;
}

std::wstring DispatchArguments::String(UINT position) const {
  UniqueVariant converted;
  if (FAILED(
          VariantChangeType(converted.put(), const_cast<VARIANTARG*>(&At(position)), 0, VT_BSTR))) {
    Mismatch(position);
  }
  const BSTR text = converted.get().bstrVal;
  return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

LONG& DispatchArguments::LongOut(UINT position) const {
  const VARIANTARG& argument = At(position);
  if (argument.vt != (VT_BYREF | VT_I4) || argument.plVal == nullptr) {
    Mismatch(position);
  }
  return *argument.plVal;
}

HRESULT DispatchObject::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) {
    return E_POINTER;
  }
  *object = nullptr;
  if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch) && !AlsoAnswers(iid)) {
    return E_NOINTERFACE;
  }
  *object = static_cast<IDispatch*>(this);
  AddRef();
  return S_OK;
}

ULONG DispatchObject::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&references));
}

ULONG DispatchObject::Release() {
  const LONG left = InterlockedDecrement(&references);
  if (left == 0) {
    delete this;
  }
  return static_cast<ULONG>(left);
}

HRESULT DispatchObject::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) {
    return E_POINTER;
  }
  *count = 0;
  return S_OK;
}

HRESULT DispatchObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info == nullptr) {
    return E_POINTER;
  }
  *info = nullptr;
  return DISP_E_BADINDEX;
}

HRESULT DispatchObject::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  log.CountNameLookup();
  if (!IsEqualIID(iid, IID_NULL)) {
    return DISP_E_UNKNOWNINTERFACE;
  }
  if (names == nullptr || ids == nullptr) {
    return E_POINTER;
  }
  HRESULT answer = S_OK;
  for (UINT i = 0; i < count; ++i) {
    ids[i] = DISPID_UNKNOWN;
    // Names after the first would be named arguments, which no member takes.
    if (i == 0 && names[0] != nullptr) {
      for (const DispatchMember& member : members) {
        if (EqualsIgnoringAsciiCase(member.name, names[0])) {
          ids[0] = member.id + idOffset;
        }
      }
    }
    if (ids[i] == DISPID_UNKNOWN) {
      answer = DISP_E_UNKNOWNNAME;
    }
  }
  return answer;
}

const DispatchMember* DispatchObject::Find(DISPID id) const {
  for (const DispatchMember& member : members) {
    if (member.id + idOffset == id) {
      return &member;
    }
  }
  return nullptr;
}

std::wstring DispatchObject::Describe(const wchar_t* member, const DISPPARAMS* params) const {
  std::wstring text = std::wstring(typeName) + L"." + member;
  if (params == nullptr || params->cArgs == 0) {
    return text;
  }
  text += L"(";
  for (UINT i = params->cArgs; i-- > 0;) {
    const VARIANTARG& argument = params->rgvarg[i];
    if (argument.vt == (VT_BYREF | VT_I4) && argument.plVal != nullptr) {
      text += L"&" + std::to_wstring(*argument.plVal);
    } else if (argument.vt == VT_BSTR) {
      text += L"\"" + std::wstring(argument.bstrVal ? argument.bstrVal : L"") + L"\"";
    } else {
      UniqueVariant shown;
      if (SUCCEEDED(
              VariantChangeType(shown.put(), const_cast<VARIANTARG*>(&argument), 0, VT_BSTR)) &&
          shown.get().bstrVal != nullptr) {
        text += shown.get().bstrVal;
      } else {
        text += L"?";
      }
    }
    if (i != 0) {
      text += L", ";
    }
  }
  return text + L")";
}

HRESULT DispatchObject::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
  LARGE_INTEGER start;
  LARGE_INTEGER end;
  QueryPerformanceCounter(&start);
  const HRESULT answer = Answer(id, iid, flags, params, result, exception, argumentError);
  QueryPerformanceCounter(&end);
  log.AddInvokeTicks(end.QuadPart - start.QuadPart);
  return answer;
}

HRESULT DispatchObject::Answer(DISPID id, REFIID iid, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
  const DispatchMember* member = Find(id);
  HRESULT answer = S_OK;
  try {
    const std::wstring call =
        Describe(member ? member->name : (L"#" + std::to_wstring(id)).c_str(), params);
    auto finish = [&](HRESULT hr) {
      log.Record(call, hr);
      return hr;
    };
    if (log.TakeInjectedFailure(&answer)) {
      return finish(answer);
    }
    if (!IsEqualIID(iid, IID_NULL)) {
      return finish(DISP_E_UNKNOWNINTERFACE);
    }
    if (member == nullptr) {
      return finish(DISP_E_MEMBERNOTFOUND);
    }
    const WORD wanted = member->isProperty ? DISPATCH_PROPERTYGET : DISPATCH_METHOD;
    if ((flags & wanted) == 0) {
      return finish(DISP_E_MEMBERNOTFOUND);
    }
    if (params == nullptr) {
      return finish(E_INVALIDARG);
    }
    if (params->cNamedArgs != 0) {
      return finish(DISP_E_NONAMEDARGS);
    }
    if (params->cArgs != member->argumentCount) {
      return finish(DISP_E_BADPARAMCOUNT);
    }

    UniqueVariant value;
    try {
      Call(*member, DispatchArguments(*params, argumentError), *value.put());
    } catch (const EditorError& error) {
      if (exception != nullptr) {
        *exception = EXCEPINFO{};
        exception->bstrSource = SysAllocString(typeName);
        exception->bstrDescription = SysAllocString(error.description);
        exception->scode = error.scode;
      }
      return finish(DISP_E_EXCEPTION);
    } catch (const HResultError& error) {
      return finish(error.Code());
    }
    if (result != nullptr) {
      *result = value.release();
    }
    return finish(S_OK);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace tarnwick
