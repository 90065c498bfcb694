#include "simulator/com/editor_objects.h"

namespace tarnwick {
namespace {

enum PaneMember : DISPID { kCodeModule = 0x60020020, kGetSelection, kSetSelection };

constexpr DispatchMember kPaneMembers[] = {
    {L"CodeModule", kCodeModule, true, 0},
    {L"GetSelection", kGetSelection, false, 4},
    {L"SetSelection", kSetSelection, false, 4},
};

}  // namespace

CodePaneObject::CodePaneObject(Module& module, Selection& selection, CodeModuleObject* codeModule,
                               CallLog& log)
    : DispatchObject(L"CodePane", kPaneMembers, log),
      module(module),
      selection(selection),
      codeModule(codeModule) {}

void CodePaneObject::Call(const DispatchMember& member, const DispatchArguments& arguments,
                          VARIANT& result) {
  switch (member.id) {
    case kCodeModule:
      result.vt = VT_DISPATCH;
      result.pdispVal = codeModule.Get();
      if (result.pdispVal != nullptr) {
        result.pdispVal->AddRef();
      }
      return;
    case kGetSelection: {
      // Check every output before writing any.
      LONG* outputs[4];
      for (UINT i = 0; i < 4; ++i) {
        outputs[i] = &arguments.LongOut(i);
      }
      *outputs[0] = selection.startLine;
      *outputs[1] = selection.startColumn;
      *outputs[2] = selection.endLine;
      *outputs[3] = selection.endColumn;
      return;
    }
    case kSetSelection:
      selection = module.Clamp(
          {arguments.Long(0), arguments.Long(1), arguments.Long(2), arguments.Long(3)});
      return;
  }
}

}  // namespace tarnwick
