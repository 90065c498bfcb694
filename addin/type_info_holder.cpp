#include "addin/type_info_holder.h"

#include <wrl/client.h>

#include <algorithm>
#include <new>
#include <vector>

#include "addin/module.h"

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
  try {
    return Load(lcid);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

HRESULT TypeInfoHolder::Load(LCID lcid) {
  ComPtr<ITypeLib> library;
  HRESULT hr = LoadRegTypeLib(*libid, major, minor, lcid, &library);
  if (FAILED(hr)) {
    return hr;
  }
  ComPtr<ITypeInfo> loadedInfo;
  hr = library->GetTypeInfoOfGuid(*iid, &loadedInfo);
  if (FAILED(hr)) {
    return hr;
  }
  hr = InterfaceSide(loadedInfo);
  if (FAILED(hr)) {
    return hr;
  }
  ComPtr<ITypeInfo2> second;
  if (SUCCEEDED(loadedInfo.As(&second))) {
    loadedInfo = second;
  }

  TYPEATTR* attributes = nullptr;
  hr = loadedInfo->GetTypeAttr(&attributes);
  if (FAILED(hr)) {
    return hr;
  }
  UINT functions = attributes->cFuncs;
  loadedInfo->ReleaseTypeAttr(attributes);

  std::vector<Name> table;
  table.reserve(functions);
  auto freeTable = [&table] {
    for (Name& name : table) {
      SysFreeString(name.text);
    }
  };
  for (UINT i = 0; i < functions; ++i) {
    FUNCDESC* function = nullptr;
    if (FAILED(loadedInfo->GetFuncDesc(i, &function))) {
      continue;
    }
    DISPID id = function->memid;
    loadedInfo->ReleaseFuncDesc(function);
    BSTR text = nullptr;
    if (SUCCEEDED(loadedInfo->GetDocumentation(id, &text, nullptr, nullptr, nullptr)) && text) {
      table.push_back({text, SysStringLen(text), id});
    }
  }
  if (!table.empty()) {
    names = new (std::nothrow) Name[table.size()];
    if (!names) {
      freeTable();
      return E_OUTOFMEMORY;
    }
    std::copy(table.begin(), table.end(), names);
    nameCount = static_cast<UINT>(table.size());
  }
  if (!termRegistered) {
    hr = tarnwickModule.AddTermFunction(Terminate, this);
    if (FAILED(hr)) {
      delete[] names;
      names = nullptr;
      nameCount = 0;
      freeTable();
      return hr;
    }
    termRegistered = true;
  }
  info = loadedInfo.Detach();
  loaded.store(true, std::memory_order_release);
  return S_OK;
}

void TypeInfoHolder::Terminate(void* holder) noexcept {
  auto* self = static_cast<TypeInfoHolder*>(holder);
  self->Clear();
  self->termRegistered = false;
}

void TypeInfoHolder::Clear() noexcept {
  ModuleSectionLock hold(tarnwickModule);
  loaded.store(false, std::memory_order_release);
  for (UINT i = 0; i < nameCount; ++i) {
    SysFreeString(names[i].text);
  }
  delete[] names;
  names = nullptr;
  nameCount = 0;
  if (info) {
    info->Release();
    info = nullptr;
  }
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
  info->AddRef();
  *result = info;
  return S_OK;
}

HRESULT TypeInfoHolder::GetIDsOfNames(REFIID /*riid*/, LPOLESTR* requested, UINT count, LCID lcid,
                                      DISPID* ids) noexcept {
  HRESULT hr = EnsureLoaded(lcid);
  if (FAILED(hr)) {
    return hr;
  }
  if (count == 1 && requested && requested[0] && ids) {
    UINT length = static_cast<UINT>(lstrlenW(requested[0]));
    for (UINT i = nameCount; i-- > 0;) {
      if (names[i].length == length &&
          memcmp(names[i].text, requested[0], length * sizeof(wchar_t)) == 0) {
        ids[0] = names[i].id;
        return S_OK;
      }
    }
  }
  return info->GetIDsOfNames(requested, count, ids);
}

HRESULT TypeInfoHolder::Invoke(IDispatch* self, DISPID member, REFIID /*riid*/, LCID lcid,
                               WORD flags, DISPPARAMS* params, VARIANT* result,
                               EXCEPINFO* exception, UINT* argumentError) noexcept {
  HRESULT hr = EnsureLoaded(lcid);
  if (FAILED(hr)) {
    return hr;
  }
  return info->Invoke(self, member, flags, params, result, exception, argumentError);
}

}  // namespace tarnwick
