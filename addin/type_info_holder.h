// IDispatch answered through type information, for one interface of a
// registered type library. The information is loaded on first use, under the
// module's critical section, and kept until the module is unloaded.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <wrl/client.h>

#include <atomic>
#include <vector>

#include "win32/unique_any.h"

namespace tarnwick {

class TypeInfoHolder {
 public:
  // Constant-initialised, with nothing to destroy: the module's termination
  // list, not static destruction, frees what was loaded (Clear).
  constexpr TypeInfoHolder(const GUID* libid, const IID* iid, WORD major, WORD minor) noexcept
      : libid(libid), iid(iid), major(major), minor(minor) {}
  TypeInfoHolder(const TypeInfoHolder&) = delete;
  TypeInfoHolder& operator=(const TypeInfoHolder&) = delete;

  // The IDispatch methods, for calls that came through `self`. Never throw.
  [[nodiscard]] HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) noexcept;
  [[nodiscard]] HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                      DISPID* ids) noexcept;
  [[nodiscard]] HRESULT Invoke(IDispatch* self, DISPID member, REFIID riid, LCID lcid, WORD flags,
                               DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                               UINT* argumentError) noexcept;

  // Frees what was loaded; the next call loads again.
  void Clear() noexcept;

 private:
  struct Name {
    UniqueBstr text;
    UINT length;
    DISPID id;
  };
  // The type information (its ITypeInfo2 form where offered) and its member
  // names.
  struct Loaded {
    Microsoft::WRL::ComPtr<ITypeInfo> info;
    std::vector<Name> names;
  };

  // Loads the information and the member-name table once.
  [[nodiscard]] HRESULT EnsureLoaded(LCID lcid) noexcept;
  [[nodiscard]] HRESULT Load(LCID lcid);
  static void Terminate(void* holder) noexcept;

  const GUID* libid;
  const IID* iid;
  WORD major;
  WORD minor;
  // Owned by the holder: made by Load, deleted by Clear. Published with
  // release order, so that a reader that sees it sees it whole.
  std::atomic<Loaded*> loaded{nullptr};
  bool termRegistered = false;
};

}  // namespace tarnwick
