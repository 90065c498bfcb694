#include "addin/type_info_holder.h"

#include <wrl/client.h>

#include <memory>
#include <new>

#include "addin/server/module.h"
#include "win32/hresult_error.h"

namespace tarnwick {

using Microsoft::WRL::ComPtr;

namespace {

// A dual interface's dispatch description does not carry its vtable; Invoke
// must run on the interface description behind it.
HRESULT InterfaceSide(ComPtr<ITypeInfo>& info) {
  TYPEATTR* attributes = nullptr;
  HRESULT hr = info->GetTypeAttr(&attributes);
  if (FAILED(hr)) {
    return hr;
  }
  bool dualDispatch =
      attributes->typekind == TKIND_DISPATCH && (attributes->wTypeFlags & TYPEFLAG_FDUAL) != 0;
  info->ReleaseTypeAttr(attributes);
  if (!dualDispatch) {
    return S_OK;
  }
  HREFTYPE reference = 0;
  hr = info->GetRefTypeOfImplType(static_cast<UINT>(-1), &reference);
  if (FAILED(hr)) {
    return hr;
  }
  ComPtr<ITypeInfo> interfaceSide;
  hr = info->GetRefTypeInfo(reference, &interfaceSide);
  if (SUCCEEDED(hr)) {
    info = interfaceSide;
  }
  return hr;
}

}  // namespace

HRESULT TypeInfoHolder::EnsureLoaded(LCID lcid) noexcept {
  if (loaded.load(std::memory_order_acquire)) {
    return S_OK;
  }
  ModuleSectionLock hold(tarnwickModule);
  if (loaded.load(std::memory_order_relaxed)) {
    return S_OK;
  }
  return Guarded([&] { return Load(lcid); });
}

HRESULT TypeInfoHolder::Load(LCID lcid) {
  ComPtr<ITypeLib> library;
  HRESULT hr = LoadRegTypeLib(*libid, major, minor, lcid, &library);
  if (FAILED(hr)) {
    return hr;
  }
  auto made = std::make_unique<Loaded>();
  hr = library->GetTypeInfoOfGuid(*iid, &made->info);
  if (FAILED(hr)) {
    return hr;
  }
  hr = InterfaceSide(made->info);
  if (FAILED(hr)) {
    return hr;
  }
  ComPtr<ITypeInfo2> second;
  if (SUCCEEDED(made->info.As(&second))) {
    made->info = second;
  }

  TYPEATTR* attributes = nullptr;
  hr = made->info->GetTypeAttr(&attributes);
  if (FAILED(hr)) {
    return hr;
  }
  const UINT functions = attributes->cFuncs;
  made->info->ReleaseTypeAttr(attributes);

  made->names.reserve(functions);
  for (UINT i = 0; i < functions; ++i) {
    FUNCDESC* function = nullptr;
    if (FAILED(made->info->GetFuncDesc(i, &function))) {
      continue;
    }
    const DISPID id = function->memid;
    made->info->ReleaseFuncDesc(function);
    UniqueBstr text;
    if (SUCCEEDED(made->info->GetDocumentation(id, text.put(), nullptr, nullptr, nullptr)) &&
        text) {
      const UINT length = SysStringLen(text.get());
      made->names.push_back({std::move(text), length, id});
    }
  }
  if (!termRegistered) {
    hr = tarnwickModule.AddTermFunction(Terminate, this);
    if (FAILED(hr)) {
      return hr;
    }
    termRegistered = true;
  }
  loaded.store(made.release(), std::memory_order_release);
  return S_OK;
}

void TypeInfoHolder::Terminate(void* holder) noexcept {
  auto* self = static_cast<TypeInfoHolder*>(holder);
  self->Clear();
  self->termRegistered = false;
}

void TypeInfoHolder::Clear() noexcept {
  ModuleSectionLock hold(tarnwickModule);
  delete loaded.exchange(nullptr, std::memory_order_acq_rel);
}

HRESULT TypeInfoHolder::GetTypeInfo(UINT index, LCID lcid, ITypeInfo** result) noexcept {
  if (index != 0) {
    return DISP_E_BADINDEX;
  }
  if (!result) {
    return E_POINTER;
  }
  *result = nullptr;
  HRESULT hr = EnsureLoaded(lcid);
  if (FAILED(hr)) {
    return hr;
  }
  return loaded.load(std::memory_order_acquire)->info.CopyTo(result);
}

HRESULT TypeInfoHolder::GetIDsOfNames(REFIID /*riid*/, LPOLESTR* requested, UINT count, LCID lcid,
                                      DISPID* ids) noexcept {
  HRESULT hr = EnsureLoaded(lcid);
  if (FAILED(hr)) {
    return hr;
  }
  const Loaded& table = *loaded.load(std::memory_order_acquire);
  if (count == 1 && requested && requested[0] && ids) {
    const UINT length = static_cast<UINT>(lstrlenW(requested[0]));
    for (auto name = table.names.rbegin(); name != table.names.rend(); ++name) {
      if (name->length == length &&
          memcmp(name->text.get(), requested[0], length * sizeof(wchar_t)) == 0) {
        ids[0] = name->id;
        return S_OK;
      }
    }
  }
  return table.info->GetIDsOfNames(requested, count, ids);
}

HRESULT TypeInfoHolder::Invoke(IDispatch* self, DISPID member, REFIID /*riid*/, LCID lcid,
                               WORD flags, DISPPARAMS* params, VARIANT* result,
                               EXCEPINFO* exception, UINT* argumentError) noexcept {
  HRESULT hr = EnsureLoaded(lcid);
  if (FAILED(hr)) {
    return hr;
  }
  return loaded.load(std::memory_order_acquire)
      ->info->Invoke(self, member, flags, params, result, exception, argumentError);
}

}  // namespace tarnwick
