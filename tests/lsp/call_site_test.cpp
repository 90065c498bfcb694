// Reading the call around the caret: which member, which argument.
#include <gtest/gtest.h>

#include "lsp/call_site.h"

namespace tarnwick::lsp {
namespace {

struct CallCase {
  const wchar_t* text;    // the caret at '|'
  const wchar_t* callee;  // nullptr: no call
  int32_t argument;
  const wchar_t* named;
};

const CallCase kCalls[] = {
    {L"    Deposit amount, \"a, (b\", |", L"Deposit", 2, L""},
    {L"Deposit |", L"Deposit", 0, L""},
    {L"x = Add(1, Max(2, 3), |", L"Add", 2, L""},
    {L"x = Add(1, Max(2, |", L"Max", 1, L""},
    {L"Call Deposit(a, |", L"Deposit", 1, L""},
    {L"Deposit amount, _\n        note:=|", L"Deposit", 1, L"note"},
    {L"Deposit note:= \"x\"|", L"Deposit", 0, L"note"},
    {L"acct.Deposit 5, |", L"acct.Deposit", 1, L""},
    {L"y = Bank.Balance(|", L"Bank.Balance", 0, L""},
    {L"If Add(a, |", L"Add", 1, L""},
    {L"x = 5|", nullptr, 0, L""},
    {L"x = (a + |", nullptr, 0, L""},
    {L"If a Then |", nullptr, 0, L""},
    {L"' Deposit a, |", nullptr, 0, L""},
    {L"a = 1: Deposit b, |", L"Deposit", 1, L""},
};

class CallSites : public testing::TestWithParam<CallCase> {};

TEST_P(CallSites, NameTheCalleeAndTheArgument) {
  const CallCase& c = GetParam();
  std::wstring text = c.text;
  const size_t bar = text.find(L'|');
  text.erase(bar, 1);
  const size_t lineStart = text.rfind(L'\n', bar);
  const int64_t line = std::count(text.begin(), text.begin() + static_cast<ptrdiff_t>(bar), L'\n');
  const int64_t column =
      static_cast<int64_t>(bar - (lineStart == std::wstring::npos ? 0 : lineStart + 1));
  const auto site = FindCallSite(TextDocument(text), {line, column});
  if (c.callee == nullptr) {
    EXPECT_FALSE(site.has_value()) << c.text;
    return;
  }
  ASSERT_TRUE(site.has_value()) << c.text;
  EXPECT_EQ(site->callee, c.callee) << c.text;
  EXPECT_EQ(site->argument, c.argument) << c.text;
  EXPECT_EQ(site->namedArgument, c.named) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Table, CallSites, testing::ValuesIn(kCalls));

}  // namespace
}  // namespace tarnwick::lsp
