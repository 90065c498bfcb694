// The IDispatch half of one dual interface, answered through the interface's
// type information. The IUnknown half is left to the object form.
#pragma once

#include "addin/type_info_holder.h"

namespace tarnwick {

template <class Interface, TypeInfoHolder& holder>
class IDispatchImpl : public Interface {
 public:
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) {
      return E_POINTER;
    }
    *count = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override {
    return holder.GetTypeInfo(index, lcid, info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* ids) override {
    return holder.GetIDsOfNames(riid, names, count, lcid, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argumentError) override {
    return holder.Invoke(static_cast<Interface*>(this), member, riid, lcid, flags, params, result,
                         exception, argumentError);
  }
};

}  // namespace tarnwick
