#include "vbe/visual_basic_editor_vba.h"

#include <algorithm>
#include <exception>
#include <initializer_list>

#include "engine/bad_exception.h"
#include "engine/text_helpers.h"
#include "vbe/late_bound_call.h"
#include "win32/hresult_error.h"
#include "win32/unique_any.h"

namespace tarnwick {
namespace {

// A string for the editor: the text up to its first NUL.
UniqueBstr EditorString(const std::wstring& text) {
  UniqueBstr made(SysAllocString(text.c_str()));
  if (!made) {
    throw HResultError(E_OUTOFMEMORY);
  }
  return made;
}

// Calls a member and throws std::bad_exception when the editor reports a failure.
void Call(IDispatch* object, EditorInterface type, const wchar_t* member, WORD flags,
          std::initializer_list<VARIANTARG> arguments, UniqueVariant* result = nullptr) {
  UniqueVariant ignored;
  UniqueVariant& answer = result ? *result : ignored;
  if (FAILED(InvokeByName(object, type, member, flags, arguments, answer.put()))) {
    throw BadException();
  }
}

int32_t ToLong(const UniqueVariant& value) {
  UniqueVariant converted;
  if (FAILED(VariantChangeType(converted.put(), const_cast<VARIANT*>(&value.get()), 0, VT_I4))) {
    throw BadException();
  }
  return converted.get().lVal;
}

// The editor's string up to its first NUL; a null string, or an answer that
// is no string, is empty.
std::wstring StringOrEmpty(const UniqueVariant& value) {
  const VARIANT& v = value.get();
  return v.vt == VT_BSTR && v.bstrVal != nullptr ? std::wstring(v.bstrVal) : std::wstring();
}

// A string whole, by its length; a null string is empty.
std::wstring WholeString(BSTR text) {
  return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

// The editor's text whole; an answer that cannot be read as text is a failure.
std::wstring ToWholeText(const UniqueVariant& value) {
  const VARIANT& v = value.get();
  if (v.vt == VT_BSTR) {
    return WholeString(v.bstrVal);
  }
  if (v.vt == VT_EMPTY || v.vt == VT_NULL) {
    return std::wstring();
  }
  UniqueVariant converted;
  if (FAILED(VariantChangeType(converted.put(), const_cast<VARIANT*>(&v), 0, VT_BSTR))) {
    throw BadException();
  }
  return WholeString(converted.get().bstrVal);
}

// The editor's text up to its first NUL.
std::wstring ToText(const UniqueVariant& value) {
  std::wstring text = ToWholeText(value);
  text.resize(std::min(text.size(), text.find(L'\0')));
  return text;
}

// The editor's lines, joined with CR LF, each up to its first NUL.
std::wstring ToLinesText(const UniqueVariant& value) {
  std::wstring text = ToWholeText(value);
  for (size_t nul = text.find(L'\0'); nul != text.npos; nul = text.find(L'\0', nul)) {
    const size_t lineEnd = text.find(L"\r\n", nul);
    text.erase(nul, lineEnd == text.npos ? text.npos : lineEnd - nul);
  }
  return text;
}

// An object reference from a property; Nothing is a failure.
Microsoft::WRL::ComPtr<IDispatch> ToObject(const UniqueVariant& value) {
  const VARIANT& v = value.get();
  Microsoft::WRL::ComPtr<IDispatch> object;
  if (v.vt == VT_DISPATCH) {
    object = v.pdispVal;
  } else if (v.vt == VT_UNKNOWN && v.punkVal != nullptr) {
    v.punkVal->QueryInterface(IID_PPV_ARGS(object.GetAddressOf()));
  }
  if (!object) {
    throw BadException();
  }
  return object;
}

}  // namespace

VisualBasicEditorVBA::VisualBasicEditorVBA(IDispatch* editor) : vbe(editor) {
  if (!vbe) {
    throw BadException();
  }
  UniqueVariant pane;
  Call(vbe.Get(), EditorInterface::kVbe, L"ActiveCodePane", DISPATCH_PROPERTYGET, {}, &pane);
  codePane = ToObject(pane);
  UniqueVariant module;
  Call(codePane.Get(), EditorInterface::kCodePane, L"CodeModule", DISPATCH_PROPERTYGET, {},
       &module);
  codeModule = ToObject(module);
}

VisualBasicEditorVBA::~VisualBasicEditorVBA() {
  codeModule.Reset();
  codePane.Reset();
  vbe.Reset();
}

int32_t VisualBasicEditorVBA::GetLineCount() {
  UniqueVariant count;
  Call(codeModule.Get(), EditorInterface::kCodeModule, L"CountOfLines", DISPATCH_PROPERTYGET, {},
       &count);
  return ToLong(count) + 1;
}

void VisualBasicEditorVBA::GetSelection(int32_t* startLine, int32_t* startColumn, int32_t* endLine,
                                        int32_t* endColumn) {
  if (!startLine && !startColumn && !endLine && !endColumn) {
    throw BadException();
  }
  LONG values[4] = {};
  Call(codePane.Get(), EditorInterface::kCodePane, L"GetSelection", DISPATCH_METHOD,
       {LongReference(&values[0]), LongReference(&values[1]), LongReference(&values[2]),
        LongReference(&values[3])});
  if (startLine) {
    *startLine = values[0];
  }
  if (startColumn) {
    *startColumn = values[1];
  }
  if (endLine) {
    *endLine = values[2];
  }
  if (endColumn) {
    *endColumn = values[3];
  }
}

void VisualBasicEditorVBA::SetCaret(int32_t line, int32_t column) {
  static_cast<VisualBasicEditor&>(*this).SetSelection(line, column, line, column);
}

void VisualBasicEditorVBA::SetSelection(int32_t startLine, int32_t startColumn, int32_t endLine,
                                        int32_t endColumn) {
  Call(codePane.Get(), EditorInterface::kCodePane, L"SetSelection", DISPATCH_METHOD,
       {LongArgument(startLine), LongArgument(startColumn), LongArgument(endLine),
        LongArgument(endColumn)});
}

void VisualBasicEditorVBA::GetLine(int32_t line, std::wstring& text) {
  // Line 0 and the line after the last pass: the editor's answer decides.
  if (line < 0 || line > static_cast<VisualBasicEditor&>(*this).GetLineCount()) {
    throw BadException();
  }
  UniqueVariant answer;
  Call(codeModule.Get(), EditorInterface::kCodeModule, L"Lines", DISPATCH_PROPERTYGET,
       {LongArgument(line), LongArgument(1)}, &answer);
  text = ToText(answer);
}

void VisualBasicEditorVBA::GetLines(int32_t startLine, int32_t count,
                                    std::vector<std::wstring>& lines) {
  // The end is computed wide, so that a huge count cannot wrap round and pass.
  // A negative count is left to the editor.
  if (startLine < 0 ||
      int64_t{startLine} + count > static_cast<VisualBasicEditor&>(*this).GetLineCount()) {
    throw BadException();
  }
  UniqueVariant answer;
  Call(codeModule.Get(), EditorInterface::kCodeModule, L"Lines", DISPATCH_PROPERTYGET,
       {LongArgument(startLine), LongArgument(count)}, &answer);
  // The editor separates lines with CR LF; cutting at LF leaves each CR at the
  // end of its line.
  lines = SplitAny(ToText(answer), L"\n");
}

std::wstring VisualBasicEditorVBA::ReadLineRun(int32_t startLine, int32_t count) {
  UniqueVariant answer;
  Call(codeModule.Get(), EditorInterface::kCodeModule, L"Lines", DISPATCH_PROPERTYGET,
       {LongArgument(startLine), LongArgument(count)}, &answer);
  // A line read alone is all one line, whatever it holds.
  return count == 1 ? ToText(answer) : ToLinesText(answer);
}

void VisualBasicEditorVBA::GetProcOfLine(int32_t line, std::wstring& name, int32_t* kind) {
  name.clear();
  for (const int32_t preset : {kProcKindProc, kProcKindLet, kProcKindSet, kProcKindGet}) {
    LONG localKind = preset;
    const VARIANTARG arguments[] = {LongArgument(line), LongReference(&localKind)};
    UniqueVariant answer;
    if (FAILED(InvokeByName(codeModule.Get(), EditorInterface::kCodeModule, L"ProcOfLine",
                            DISPATCH_PROPERTYGET, arguments, answer.put()))) {
      continue;
    }
    name = StringOrEmpty(answer);
    if (kind) {
      *kind = localKind;
    }
    return;
  }
  // No try answered: no procedure, and *kind untouched.
}

int32_t VisualBasicEditorVBA::GetProcBodyLine(const std::wstring& name, int32_t kind) {
  const UniqueBstr procedure = EditorString(name);
  UniqueVariant answer;
  Call(codeModule.Get(), EditorInterface::kCodeModule, L"ProcBodyLine", DISPATCH_PROPERTYGET,
       {StringArgument(procedure.get()), LongArgument(kind)}, &answer);
  return ToLong(answer);
}

bool VisualBasicEditorVBA::IsInProcBody(int32_t line) {
  return IsInProcBodyThroughInterface(*this, line);
}

void VisualBasicEditorVBA::ReplaceLine(int32_t line, const std::wstring& text) {
  const UniqueBstr replacement = EditorString(text);
  Call(codeModule.Get(), EditorInterface::kCodeModule, L"ReplaceLine", DISPATCH_METHOD,
       {LongArgument(line), StringArgument(replacement.get())});
}

}  // namespace tarnwick
