// The automation plumbing shared by the simulated editor objects: reference
// counting, name lookup and Invoke with the usual conventions.
//
// Invoke
//   - arguments arrive in reverse order in DISPPARAMS; named arguments are not
//     supported (DISP_E_NONAMEDARGS);
//   - a property answers only calls with DISPATCH_PROPERTYGET, a method only
//     DISPATCH_METHOD; anything else, and an unknown DISPID, is
//     DISP_E_MEMBERNOTFOUND;
//   - a wrong number of arguments is DISP_E_BADPARAMCOUNT;
//   - by-value arguments are converted with VariantChangeType; by-reference
//     outputs must be VT_BYREF|VT_I4; otherwise DISP_E_TYPEMISMATCH with the
//     argument's position (in DISPPARAMS order) in *puArgErr;
//   - an error of the editor itself is DISP_E_EXCEPTION with an EXCEPINFO.
// Every Invoke is recorded in the model's CallLog with the time it took, and
// an injected failure answers before anything else is looked at.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <span>
#include <string>

#include "simulator/com/call_log.h"

namespace tarnwick {

struct DispatchMember {
  const wchar_t* name;
  DISPID id;
  bool isProperty;  // property get, otherwise method
  UINT argumentCount;
};

// An error the editor reports as an automation exception.
struct EditorError {
  HRESULT scode;
  const wchar_t* description;
};

// The editor's run-time errors that the simulated objects raise.
inline constexpr EditorError kInvalidArgument{MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 5),
                                              L"Invalid procedure call or argument"};
inline constexpr EditorError kProcedureNotFound{MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 35),
                                                L"Sub or Function not defined"};

// The arguments of one Invoke, by position in call order (0 = first).
class DispatchArguments {
 public:
  DispatchArguments(const DISPPARAMS& params, UINT* argumentError)
      : params(params), argumentError(argumentError) {}
  int32_t Long(UINT position) const;
  std::wstring String(UINT position) const;
  // The caller's variable of a by-reference long.
  LONG& LongOut(UINT position) const;

 private:
  const VARIANTARG& At(UINT position) const;
  [[noreturn]] void Mismatch(UINT position) const;

  const DISPPARAMS& params;
  UINT* argumentError;
};

class DispatchObject : public IDispatch {
 public:
  DispatchObject(const wchar_t* typeName, std::span<const DispatchMember> members, CallLog& log)
      : typeName(typeName), members(members), log(log) {}
  virtual ~DispatchObject() = default;
  DispatchObject(const DispatchObject&) = delete;
  DispatchObject& operator=(const DispatchObject&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argumentError) override;

  // The current reference count, for tests.
  LONG References() const { return references; }
  // Renumbers every member (DISPID + offset), as a different build of the
  // editor might; names stay.
  void ShiftDispatchIds(DISPID offset) { idOffset = offset; }

 protected:
  // Runs one member; `result` is VT_EMPTY on entry. Throws EditorError for an
  // editor error and HResultError for a failure of the call itself.
  virtual void Call(const DispatchMember& member, const DispatchArguments& arguments,
                    VARIANT& result) = 0;
  // Interfaces answered besides IUnknown and IDispatch.
  virtual bool AlsoAnswers(REFIID) const { return false; }

 private:
  HRESULT Answer(DISPID id, REFIID iid, WORD flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* exception, UINT* argumentError);
  const DispatchMember* Find(DISPID id) const;
  std::wstring Describe(const wchar_t* member, const DISPPARAMS* params) const;

  const wchar_t* typeName;
  std::span<const DispatchMember> members;
  CallLog& log;
  LONG references = 0;
  DISPID idOffset = 0;
};

}  // namespace tarnwick
