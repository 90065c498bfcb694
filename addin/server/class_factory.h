// The class factory that the class table hands out: CComClassFactory in the
// cached object form CComObjectCached.
//
// The class table keeps one reference to the factory for as long as the module
// is loaded. That reference must not keep the module loaded, while every
// reference a client holds must: so the module is locked when the count rises
// to 2 and unlocked when it falls back to 1.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <atomic>

namespace tarnwick {

// Creates an object, standalone when `outer` is null, aggregated otherwise, and
// asks it for `riid`.
using InstanceCreator = HRESULT (*)(IUnknown* outer, REFIID riid, void** object);

class CComClassFactory : public IClassFactory {
 public:
  CComClassFactory() noexcept = default;
  virtual ~CComClassFactory();
  CComClassFactory(const CComClassFactory&) = delete;
  CComClassFactory& operator=(const CComClassFactory&) = delete;

  // Sets up the factory's critical section; false when that fails.
  [[nodiscard]] bool InitSection() noexcept;
  void SetCreator(InstanceCreator creator) noexcept { instanceCreator = creator; }

  HRESULT InternalQueryInterface(REFIID riid, void** object) noexcept;

  // E_POINTER for a null `object`; else *object is null first. An outer
  // unknown with any IID but IUnknown gives CLASS_E_NOAGGREGATION.
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
  // Locks (TRUE) or unlocks (FALSE) the module once.
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 protected:
  std::atomic<LONG> refCount{0};

 private:
  InstanceCreator instanceCreator = nullptr;
  CRITICAL_SECTION section;
  bool sectionReady = false;
};

template <class T>
class CComObjectCached final : public T {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    return this->InternalQueryInterface(riid, object);
  }
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
};

// The class-object creator of the class table: makes a factory around the
// instance creator `creator` (an InstanceCreator) and asks it for `riid`. A
// failure to set up the factory's critical section gives the HRESULT of the
// last error. On failure *object is null and no factory is left.
[[nodiscard]] HRESULT CreateClassFactory(void* creator, REFIID riid, void** object) noexcept;

}  // namespace tarnwick
