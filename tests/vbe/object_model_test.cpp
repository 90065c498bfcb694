// The simulated editor's objects, called as an automation client calls them.
#include <gtest/gtest.h>
#include <windows.h>
#include <wrl/client.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "tests/vbe/com_fixture.h"
#include "vbe/late_bound_call.h"
#include "win32/unique_any.h"

namespace tarnwick::test {
namespace {

using Microsoft::WRL::ComPtr;

struct Outcome {
  HRESULT hr = S_OK;
  UniqueVariant result;
  EXCEPINFO exception{};
  UINT argumentError = 0xFFFF;
  ~Outcome() {
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
  }
};

DISPID IdOf(IDispatch* object, const wchar_t* name) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  DISPID id = 0;
  EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK) << name;
  return id;
}

// Calls a member with its arguments in call order; they go to Invoke reversed.
void Call(Outcome& out, IDispatch* object, const wchar_t* name, WORD flags,
          std::initializer_list<VARIANTARG> arguments) {
  std::vector<VARIANTARG> reversed(std::rbegin(arguments), std::rend(arguments));
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  out.hr = object->Invoke(IdOf(object, name), IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                          out.result.put(), &out.exception, &out.argumentError);
}

class ObjectModelTest : public ComModelTest {
 protected:
  ObjectModelTest() {
    module = Module({L"Option Explicit", L"", L"Sub Run()", L"    x = 1", L"End Sub",
                     L"Property Get Size() As Long", L"End Property"});
  }
  IDispatch* Pane() { return &model.Pane(); }
  IDispatch* CodeModule() { return &model.CodeModule(); }
};

TEST_F(ObjectModelTest, VbeAnswersItsInterfaceAndActiveCodePane) {
  ComPtr<IUnknown> vbeInterface;
  EXPECT_EQ(model.Vbe()->QueryInterface(kIidVbe, &vbeInterface), S_OK);
  ComPtr<IUnknown> none;
  EXPECT_EQ(Pane()->QueryInterface(kIidVbe, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);

  Outcome active;
  Call(active, model.Vbe(), L"ActiveCodePane", DISPATCH_PROPERTYGET, {});
  ASSERT_EQ(active.hr, S_OK);
  ASSERT_EQ(active.result.get().vt, VT_DISPATCH);
  EXPECT_EQ(active.result.get().pdispVal, Pane());

  model.SetPaneActive(false);
  Outcome nothing;
  Call(nothing, model.Vbe(), L"ActiveCodePane", DISPATCH_PROPERTYGET, {});
  EXPECT_EQ(nothing.hr, S_OK);
  EXPECT_EQ(nothing.result.get().vt, VT_DISPATCH);
  EXPECT_EQ(nothing.result.get().pdispVal, nullptr);
  model.SetPaneActive(true);
}

TEST_F(ObjectModelTest, NamesAreLookedUpWithoutRegardToCaseAndCounted) {
  LPOLESTR lower[] = {const_cast<LPOLESTR>(L"countoflines")};
  DISPID id = 0;
  EXPECT_EQ(CodeModule()->GetIDsOfNames(IID_NULL, lower, 1, LOCALE_USER_DEFAULT, &id), S_OK);
  EXPECT_EQ(id, IdOf(CodeModule(), L"CountOfLines"));

  LPOLESTR unknown[] = {const_cast<LPOLESTR>(L"Rename")};
  EXPECT_EQ(CodeModule()->GetIDsOfNames(IID_NULL, unknown, 1, LOCALE_USER_DEFAULT, &id),
            DISP_E_UNKNOWNNAME);
  EXPECT_EQ(id, DISPID_UNKNOWN);
  EXPECT_EQ(model.Log().NameLookups(), 3);
}

TEST_F(ObjectModelTest, MalformedCallsGetTheAutomationErrors) {
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  UniqueVariant result;
  EXPECT_EQ(CodeModule()->Invoke(0x7777, IID_NULL, 0, DISPATCH_METHOD, &none, result.put(), nullptr,
                                 nullptr),
            DISP_E_MEMBERNOTFOUND);

  Outcome asMethod;  // a property called as a method
  Call(asMethod, CodeModule(), L"CountOfLines", DISPATCH_METHOD, {});
  EXPECT_EQ(asMethod.hr, DISP_E_MEMBERNOTFOUND);

  Outcome tooFew;
  Call(tooFew, CodeModule(), L"Lines", DISPATCH_PROPERTYGET, {LongArgument(1)});
  EXPECT_EQ(tooFew.hr, DISP_E_BADPARAMCOUNT);

  LONG a = 0, b = 0, c = 0;  // the fourth output passed by value
  Outcome byValue;
  Call(byValue, Pane(), L"GetSelection", DISPATCH_METHOD,
       {LongReference(&a), LongReference(&b), LongReference(&c), LongArgument(0)});
  EXPECT_EQ(byValue.hr, DISP_E_TYPEMISMATCH);
  EXPECT_EQ(byValue.argumentError, 0u);  // the last argument is first in DISPPARAMS

  UniqueBstr word(SysAllocString(L"two"));
  Outcome notANumber;
  Call(notANumber, CodeModule(), L"Lines", DISPATCH_PROPERTYGET,
       {StringArgument(word.get()), LongArgument(1)});
  EXPECT_EQ(notANumber.hr, DISP_E_TYPEMISMATCH);
  EXPECT_EQ(notANumber.argumentError, 1u);

  EXPECT_EQ(model.Log().Calls().size(), 5u) << "failed calls are logged too";
}

TEST_F(ObjectModelTest, ByValueArgumentsAreConverted) {
  UniqueBstr three(SysAllocString(L"3"));
  Outcome lines;
  Call(lines, CodeModule(), L"Lines", DISPATCH_PROPERTYGET,
       {StringArgument(three.get()), LongArgument(1)});
  ASSERT_EQ(lines.hr, S_OK);
  EXPECT_STREQ(lines.result.get().bstrVal, L"Sub Run()");
}

TEST_F(ObjectModelTest, GetSelectionWritesBackFourLongs) {
  selection = {2, 1, 4, 5};
  LONG values[4] = {-1, -1, -1, -1};
  Outcome out;
  Call(out, Pane(), L"GetSelection", DISPATCH_METHOD,
       {LongReference(&values[0]), LongReference(&values[1]), LongReference(&values[2]),
        LongReference(&values[3])});
  ASSERT_EQ(out.hr, S_OK);
  EXPECT_EQ(values[0], 2);
  EXPECT_EQ(values[1], 1);
  EXPECT_EQ(values[2], 4);
  EXPECT_EQ(values[3], 5);
  EXPECT_EQ(Calls(), std::vector<std::wstring>{L"CodePane.GetSelection(&-1, &-1, &-1, &-1)"});
}

TEST_F(ObjectModelTest, SetSelectionClampsLikeTheEditor) {
  Outcome out;
  Call(out, Pane(), L"SetSelection", DISPATCH_METHOD,
       {LongArgument(99), LongArgument(99), LongArgument(3), LongArgument(0)});
  ASSERT_EQ(out.hr, S_OK);
  // Start before end, lines inside the module, columns inside their line.
  EXPECT_EQ(selection, (Selection{3, 1, 7, 13}));
}

TEST_F(ObjectModelTest, LinesJoinsWithCrLfAndReadsTheEdgesAsEmpty) {
  struct Case {
    LONG start, count;
    const wchar_t* text;
  };
  for (const Case c :
       {Case{3, 3, L"Sub Run()\r\n    x = 1\r\nEnd Sub"}, Case{2, 1, L""},
        Case{0, 2, L"\r\nOption Explicit"}, Case{7, 2, L"End Property\r\n"}, Case{5, 0, L""}}) {
    Outcome out;
    Call(out, CodeModule(), L"Lines", DISPATCH_PROPERTYGET,
         {LongArgument(c.start), LongArgument(c.count)});
    ASSERT_EQ(out.hr, S_OK) << c.start << "," << c.count;
    EXPECT_STREQ(out.result.get().bstrVal, c.text) << c.start << "," << c.count;
  }
  for (const Case c : {Case{-1, 1, nullptr}, Case{1, -1, nullptr}, Case{7, 3, nullptr}}) {
    Outcome out;
    Call(out, CodeModule(), L"Lines", DISPATCH_PROPERTYGET,
         {LongArgument(c.start), LongArgument(c.count)});
    EXPECT_EQ(out.hr, DISP_E_EXCEPTION) << c.start << "," << c.count;
  }
}

TEST_F(ObjectModelTest, ProcOfLineWritesBackTheOwnersKind) {
  LONG kind = 0;
  Outcome out;
  Call(out, CodeModule(), L"ProcOfLine", DISPATCH_PROPERTYGET,
       {LongArgument(7), LongReference(&kind)});
  ASSERT_EQ(out.hr, S_OK);
  EXPECT_STREQ(out.result.get().bstrVal, L"Size");
  EXPECT_EQ(kind, 3);

  kind = 2;  // a line of the declarations section: no name, kind left alone
  Outcome declarations;
  Call(declarations, CodeModule(), L"ProcOfLine", DISPATCH_PROPERTYGET,
       {LongArgument(1), LongReference(&kind)});
  ASSERT_EQ(declarations.hr, S_OK);
  EXPECT_EQ(SysStringLen(declarations.result.get().bstrVal), 0u);
  EXPECT_EQ(kind, 2);
}

TEST_F(ObjectModelTest, EditorErrorsComeWithExceptionInfo) {
  UniqueBstr name(SysAllocString(L"Missing"));
  Outcome unknown;
  Call(unknown, CodeModule(), L"ProcBodyLine", DISPATCH_PROPERTYGET,
       {StringArgument(name.get()), LongArgument(0)});
  EXPECT_EQ(unknown.hr, DISP_E_EXCEPTION);
  EXPECT_EQ(unknown.exception.scode, static_cast<SCODE>(0x800A0023));
  EXPECT_STREQ(unknown.exception.bstrSource, L"CodeModule");
  EXPECT_NE(SysStringLen(unknown.exception.bstrDescription), 0u);

  LONG kind = 0;
  Outcome badLine;
  Call(badLine, CodeModule(), L"ProcOfLine", DISPATCH_PROPERTYGET,
       {LongArgument(8), LongReference(&kind)});
  EXPECT_EQ(badLine.hr, DISP_E_EXCEPTION);
  EXPECT_EQ(badLine.exception.scode, static_cast<SCODE>(0x800A0005));

  UniqueBstr text(SysAllocString(L"x"));
  Outcome replace;
  Call(replace, CodeModule(), L"ReplaceLine", DISPATCH_METHOD,
       {LongArgument(8), StringArgument(text.get())});
  EXPECT_EQ(replace.hr, DISP_E_EXCEPTION);
  EXPECT_EQ(module.LineCount(), 7);
}

TEST_F(ObjectModelTest, ReplaceLineBreaksAtLfAndProcBodyLineFindsTheMovedDeclaration) {
  UniqueBstr text(SysAllocString(L"' one\n' two"));
  Outcome replace;
  Call(replace, CodeModule(), L"ReplaceLine", DISPATCH_METHOD,
       {LongArgument(2), StringArgument(text.get())});
  ASSERT_EQ(replace.hr, S_OK);
  EXPECT_EQ(module.Line(2), L"' one");
  EXPECT_EQ(module.Line(3), L"' two");

  UniqueBstr name(SysAllocString(L"run"));
  Outcome body;
  Call(body, CodeModule(), L"ProcBodyLine", DISPATCH_PROPERTYGET,
       {StringArgument(name.get()), LongArgument(0)});
  ASSERT_EQ(body.hr, S_OK);
  EXPECT_EQ(body.result.get().lVal, 4);
}

TEST_F(ObjectModelTest, InjectedFailureHitsTheNthInvokeAcrossObjects) {
  model.Log().FailInvoke(2, E_ACCESSDENIED);
  Outcome first, second, third;
  Call(first, model.Vbe(), L"ActiveCodePane", DISPATCH_PROPERTYGET, {});
  Call(second, CodeModule(), L"CountOfLines", DISPATCH_PROPERTYGET, {});
  Call(third, CodeModule(), L"CountOfLines", DISPATCH_PROPERTYGET, {});
  EXPECT_EQ(first.hr, S_OK);
  EXPECT_EQ(second.hr, E_ACCESSDENIED);
  EXPECT_EQ(third.hr, S_OK);
  EXPECT_EQ(third.result.get().lVal, 7);
  EXPECT_EQ(Calls(), (std::vector<std::wstring>{L"VBE.ActiveCodePane", L"CodeModule.CountOfLines",
                                                L"CodeModule.CountOfLines"}));
  EXPECT_EQ(model.Log().Calls()[1].result, E_ACCESSDENIED);
}

}  // namespace
}  // namespace tarnwick::test
