// The object forms of a COM class T with a single-threaded reference count.
//
// T provides the place of the count (`refCount`, or `outerUnknown` when
// aggregated), InternalQueryInterface over its interface table, and a virtual
// destructor; the forms below supply IUnknown.
//   CComObject<T>           standalone: counts its own references
//   CComAggObject<T>        inside an aggregate: its own IUnknown and count,
//                           holding a CComContainedObject<T>
//   CComContainedObject<T>  T whose IUnknown calls go to the outer unknown
// The last Release destroys the object while holding an extra module lock, so
// the module cannot be unloaded in the middle of the destruction.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include "addin/server/module.h"

namespace tarnwick {

// The count a dying object holds: large and negative, so that calls made
// during destruction cannot bring it to 0 a second time.
inline constexpr LONG kDestructingCount = static_cast<LONG>(0xC0000001);

template <class T>
class CComObject final : public T {
 public:
  CComObject() = default;
  ~CComObject() override { this->refCount = kDestructingCount; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    return this->InternalQueryInterface(iid, object);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++this->refCount); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG count = --this->refCount;
    if (count == 0) {
      tarnwickModule.Lock();
      delete this;
      tarnwickModule.Unlock();
    }
    return static_cast<ULONG>(count);
  }
};

template <class T>
class CComContainedObject final : public T {
 public:
  explicit CComContainedObject(IUnknown* outer) { this->outerUnknown = outer; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    return this->outerUnknown->QueryInterface(iid, object);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return this->outerUnknown->AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return this->outerUnknown->Release(); }
};

template <class T>
class CComAggObject final : public IUnknown {
 public:
  explicit CComAggObject(IUnknown* outer) : contained(outer) {}
  virtual ~CComAggObject() { refCount = kDestructingCount; }
  CComAggObject(const CComAggObject&) = delete;
  CComAggObject& operator=(const CComAggObject&) = delete;

  // The aggregate's own (non-delegating) IUnknown.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) {
      return E_POINTER;
    }
    if (IsEqualIID(iid, IID_IUnknown)) {
      *object = static_cast<IUnknown*>(this);
      AddRef();
      return S_OK;
    }
    return contained.InternalQueryInterface(iid, object);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refCount); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG count = --refCount;
    if (count == 0) {
      tarnwickModule.Lock();
      delete this;
      tarnwickModule.Unlock();
    }
    return static_cast<ULONG>(count);
  }

  T& Contained() noexcept { return contained; }

 private:
  LONG refCount = 0;
  CComContainedObject<T> contained;
};

}  // namespace tarnwick
