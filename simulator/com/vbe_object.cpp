#include "simulator/com/editor_objects.h"

namespace tarnwick {
namespace {

constexpr DispatchMember kVbeMembers[] = {
    {L"ActiveCodePane", 0x60020010, true, 0},
};

}  // namespace

VbeObject::VbeObject(CallLog& log) : DispatchObject(L"VBE", kVbeMembers, log) {}

void VbeObject::Call(const DispatchMember&, const DispatchArguments&, VARIANT& result) {
  // ActiveCodePane, the only member.
  result.vt = VT_DISPATCH;
  result.pdispVal = activePane.Get();
  if (result.pdispVal != nullptr) {
    result.pdispVal->AddRef();
  }
}

}  // namespace tarnwick
