#include "bench/wine/editor_boundary.h"

#include "bench/wine/allocation_counter.h"

namespace tarnwick::bench {

namespace {

class BoundaryDispatch final : public IDispatch {
 public:
  explicit BoundaryDispatch(IDispatch* editor) : editor(editor) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) {
      return E_POINTER;
    }
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references;
    if (left == 0) {
      delete this;
    }
    return left;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    const EditorScope inEditor;
    return editor->GetTypeInfoCount(count);
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
    const EditorScope inEditor;
    return editor->GetTypeInfo(index, locale, info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override {
    const EditorScope inEditor;
    return editor->GetIDsOfNames(iid, names, count, locale, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argumentError) override {
    const EditorScope inEditor;
    const HRESULT hr =
        editor->Invoke(id, iid, locale, flags, params, result, exception, argumentError);
    if (SUCCEEDED(hr) && result != nullptr && result->vt == VT_DISPATCH &&
        result->pdispVal != nullptr) {
      IDispatch* answered = result->pdispVal;
      result->pdispVal = new BoundaryDispatch(answered);
      answered->Release();
    }
    return hr;
  }

 private:
  ~BoundaryDispatch() = default;

  Microsoft::WRL::ComPtr<IDispatch> editor;
  ULONG references = 1;
};

}  // namespace

Microsoft::WRL::ComPtr<IDispatch> BehindEditorBoundary(IDispatch* editor) {
  Microsoft::WRL::ComPtr<IDispatch> border;
  border.Attach(new BoundaryDispatch(editor));
  return border;
}

}  // namespace tarnwick::bench
