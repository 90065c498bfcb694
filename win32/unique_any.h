// The one owner for Win32, GDI and OLE Automation resources that are not COM
// references (those are held by Microsoft::WRL::ComPtr). A new kind of handle
// gets a traits struct and a typedef here, not an owner class of its own.
//
// UniqueAny<Traits> owns one value of Traits::type and frees it with
// Traits::Close when it is reset, replaced or destroyed. Copying is deleted;
// moving hands the value over and leaves the source empty.
//   get()      the value, still owned
//   put()      frees the current value, then gives its (now empty) storage to
//              be filled by an API's out parameter
//   addressof() the storage itself, for an in-out parameter: the callee reads
//              the current value and may replace it; what it leaves is owned
//   release()  gives the value up without freeing it
//   reset(v)   frees the current value and takes v (default: empty)
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <utility>

namespace tarnwick {

template <class Traits>
class UniqueAny {
 public:
  using type = typename Traits::type;

  UniqueAny() noexcept : value(Traits::Empty()) {}
  explicit UniqueAny(type owned) noexcept : value(owned) {}
  ~UniqueAny() { reset(); }

  UniqueAny(const UniqueAny&) = delete;
  UniqueAny& operator=(const UniqueAny&) = delete;
  UniqueAny(UniqueAny&& other) noexcept : value(other.release()) {}
  UniqueAny& operator=(UniqueAny&& other) noexcept {
    if (this != &other) {
      reset(other.release());
    }
    return *this;
  }

  const type& get() const noexcept { return value; }
  type* put() noexcept {
    reset();
    return &value;
  }
  type* addressof() noexcept { return &value; }
  [[nodiscard]] type release() noexcept { return std::exchange(value, Traits::Empty()); }
  void reset(type owned = Traits::Empty()) noexcept {
    type old = std::exchange(value, owned);
    if (Traits::IsSet(old)) {
      Traits::Close(old);
    }
  }
  explicit operator bool() const noexcept { return Traits::IsSet(value); }

 private:
  type value;
};

struct HkeyTraits {
  using type = HKEY;
  static type Empty() noexcept { return nullptr; }
  static bool IsSet(type key) noexcept { return key != nullptr; }
  static void Close(type key) noexcept { RegCloseKey(key); }
};

struct HhookTraits {
  using type = HHOOK;
  static type Empty() noexcept { return nullptr; }
  static bool IsSet(type hook) noexcept { return hook != nullptr; }
  static void Close(type hook) noexcept { UnhookWindowsHookEx(hook); }
};

struct BstrTraits {
  using type = BSTR;
  static type Empty() noexcept { return nullptr; }
  static bool IsSet(type text) noexcept { return text != nullptr; }
  static void Close(type text) noexcept { SysFreeString(text); }
};

// A VARIANT is a value, not a handle: empty is VT_EMPTY, and closing it is
// VariantClear, which frees whatever it holds (a string, a reference, ...).
struct VariantTraits {
  using type = VARIANT;
  static type Empty() noexcept {
    VARIANT v;
    VariantInit(&v);
    return v;
  }
  static bool IsSet(const type& v) noexcept { return v.vt != VT_EMPTY; }
  static void Close(type& v) noexcept { VariantClear(&v); }
};

struct SafeArrayTraits {
  using type = SAFEARRAY*;
  static type Empty() noexcept { return nullptr; }
  static bool IsSet(type array) noexcept { return array != nullptr; }
  static void Close(type array) noexcept { SafeArrayDestroy(array); }
};

struct LibraryTraits {
  using type = HMODULE;
  static type Empty() noexcept { return nullptr; }
  static bool IsSet(type module) noexcept { return module != nullptr; }
  static void Close(type module) noexcept { FreeLibrary(module); }
};

// A kernel object's handle (a process, a thread, an event) from a function
// that gives null on failure.
struct KernelHandleTraits {
  using type = HANDLE;
  static type Empty() noexcept { return nullptr; }
  static bool IsSet(type handle) noexcept { return handle != nullptr; }
  static void Close(type handle) noexcept { CloseHandle(handle); }
};

// A GDI object of one kind (HFONT, HBRUSH, HBITMAP): closed with DeleteObject.
template <class Handle>
struct GdiObjectTraits {
  using type = Handle;
  static type Empty() noexcept { return nullptr; }
  static bool IsSet(type object) noexcept { return object != nullptr; }
  static void Close(type object) noexcept { DeleteObject(object); }
};

// A device context made with CreateCompatibleDC or CreateDCW.
struct MemoryDcTraits {
  using type = HDC;
  static type Empty() noexcept { return nullptr; }
  static bool IsSet(type dc) noexcept { return dc != nullptr; }
  static void Close(type dc) noexcept { DeleteDC(dc); }
};

using UniqueHkey = UniqueAny<HkeyTraits>;
using UniqueHhook = UniqueAny<HhookTraits>;
using UniqueBstr = UniqueAny<BstrTraits>;
using UniqueVariant = UniqueAny<VariantTraits>;
using UniqueSafeArray = UniqueAny<SafeArrayTraits>;
using UniqueLibrary = UniqueAny<LibraryTraits>;
using UniqueHandle = UniqueAny<KernelHandleTraits>;
using UniqueFont = UniqueAny<GdiObjectTraits<HFONT>>;
using UniqueBrush = UniqueAny<GdiObjectTraits<HBRUSH>>;
using UniqueBitmap = UniqueAny<GdiObjectTraits<HBITMAP>>;
using UniqueMemoryDc = UniqueAny<MemoryDcTraits>;

}  // namespace tarnwick
