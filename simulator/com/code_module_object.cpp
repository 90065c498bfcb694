#include "simulator/com/editor_objects.h"

#include "win32/hresult_error.h"

namespace tarnwick {
namespace {

enum ModuleMember : DISPID {
  kCountOfLines = 0x60020030,
  kLines,
  kProcOfLine,
  kProcBodyLine,
  kReplaceLine,
};

constexpr DispatchMember kModuleMembers[] = {
    {L"CountOfLines", kCountOfLines, true, 0}, {L"Lines", kLines, true, 2},
    {L"ProcOfLine", kProcOfLine, true, 2},     {L"ProcBodyLine", kProcBodyLine, true, 2},
    {L"ReplaceLine", kReplaceLine, false, 2},
};

void SetLong(VARIANT& result, int32_t value) {
  result.vt = VT_I4;
  result.lVal = value;
}

void SetString(VARIANT& result, const std::wstring& text) {
  BSTR copy = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  if (copy == nullptr) {
    throw HResultError(E_OUTOFMEMORY);
  }
  result.vt = VT_BSTR;
  result.bstrVal = copy;
}

}  // namespace

CodeModuleObject::CodeModuleObject(Module& module, Selection& selection, CallLog& log)
    : DispatchObject(L"CodeModule", kModuleMembers, log), module(module), selection(selection) {}

void CodeModuleObject::Call(const DispatchMember& member, const DispatchArguments& arguments,
                            VARIANT& result) {
  switch (member.id) {
    case kCountOfLines:
      SetLong(result, module.LineCount());
      return;
    case kLines: {
      std::wstring text;
      if (!module.JoinLines(arguments.Long(0), arguments.Long(1), text)) {
        throw kInvalidArgument;
      }
      SetString(result, text);
      return;
    }
    case kProcOfLine: {
      const int32_t line = arguments.Long(0);
      LONG& kind = arguments.LongOut(1);
      if (line < 1 || line > module.LineCount()) {
        throw kInvalidArgument;
      }
      const Procedure* procedure = module.ProcOfLine(line);
      if (procedure != nullptr) {
        kind = procedure->kind;
      }
      SetString(result, procedure ? procedure->name : std::wstring());
      return;
    }
    case kProcBodyLine: {
      const Procedure* procedure = module.FindProc(arguments.String(0), arguments.Long(1));
      if (procedure == nullptr) {
        throw kProcedureNotFound;
      }
      SetLong(result, procedure->bodyLine);
      return;
    }
    case kReplaceLine: {
      const int32_t line = arguments.Long(0);
      if (!module.ReplaceLine(line, arguments.String(1))) {
        throw kInvalidArgument;
      }
      selection = module.Clamp(selection);
      return;
    }
  }
}

}  // namespace tarnwick
