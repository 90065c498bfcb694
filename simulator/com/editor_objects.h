// The simulated editor's object model: VBE, CodePane and CodeModule as
// automation objects over a Module and a Selection that the caller owns.
//
// Members (by name, through IDispatch):
//   VBE.ActiveCodePane                      property: the active pane, or Nothing
//   CodePane.CodeModule                     property
//   CodePane.GetSelection(sl, sc, el, ec)   method: four by-reference longs
//   CodePane.SetSelection(sl, sc, el, ec)   method: clamped to the text
//   CodeModule.CountOfLines                 property
//   CodeModule.Lines(StartLine, Count)      property: the lines joined with CR LF
//   CodeModule.ProcOfLine(Line, ProcKind)   property: ProcKind by reference
//   CodeModule.ProcBodyLine(Name, ProcKind) property
//   CodeModule.ReplaceLine(Line, String)    method: each LF starts a new line
//
// Answers where the editor's documentation leaves room:
//   - Lines reads line 0 and the line after the last as empty text, like the
//     in-memory pane; a negative StartLine or Count, or a run reaching further,
//     is an error.
//   - ProcOfLine ignores the kind passed in and writes back the kind of the
//     procedure that owns the line (a line of the declarations section gives
//     an empty name and leaves ProcKind alone). A line outside 1..CountOfLines
//     is an error.
//   - ProcBodyLine of a name and kind the module does not hold is an error
//     ("Sub or Function not defined"); names compare without regard to case.
//   - ReplaceLine of a line outside 1..CountOfLines is an error; afterwards the
//     selection is kept inside the text.
//   - SetSelection clamps lines and columns as the editor does (Module::Clamp).
// Editor errors are DISP_E_EXCEPTION with the EXCEPINFO's scode set.
#pragma once

#include <windows.h>
#include <wrl/client.h>

#include "simulator/com/dispatch_object.h"
#include "vba/module.h"

namespace tarnwick {

// The editor's VBE interface; its dual form is answered by the IDispatch here.
inline constexpr IID kIidVbe = {
    0x0002E166, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

class CodeModuleObject final : public DispatchObject {
 public:
  CodeModuleObject(Module& module, Selection& selection, CallLog& log);

 protected:
  void Call(const DispatchMember& member, const DispatchArguments& arguments,
            VARIANT& result) override;

 private:
  Module& module;
  Selection& selection;
};

class CodePaneObject final : public DispatchObject {
 public:
  CodePaneObject(Module& module, Selection& selection, CodeModuleObject* codeModule, CallLog& log);

 protected:
  void Call(const DispatchMember& member, const DispatchArguments& arguments,
            VARIANT& result) override;

 private:
  Module& module;
  Selection& selection;
  Microsoft::WRL::ComPtr<CodeModuleObject> codeModule;
};

class VbeObject final : public DispatchObject {
 public:
  explicit VbeObject(CallLog& log);
  // The pane that ActiveCodePane answers; null for Nothing.
  void SetActiveCodePane(CodePaneObject* pane) { activePane = pane; }

 protected:
  void Call(const DispatchMember& member, const DispatchArguments& arguments,
            VARIANT& result) override;
  bool AlsoAnswers(REFIID iid) const override { return IsEqualIID(iid, kIidVbe); }

 private:
  Microsoft::WRL::ComPtr<CodePaneObject> activePane;
};

}  // namespace tarnwick
