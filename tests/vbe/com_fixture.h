// A simulated editor for the object-model and binding tests: a module, its
// selection and the object model over them, with the reference counts of the
// three objects checked to come back to their start after every test.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "simulator/com/object_model.h"
#include "vbe/late_bound_call.h"

namespace tarnwick::test {

class ComModelTest : public testing::Test {
 protected:
  void SetUp() override {
    ClearDispatchIdCache();
    vbeStart = model.VbeObj().References();
    paneStart = model.Pane().References();
    moduleStart = model.CodeModule().References();
  }
  void TearDown() override {
    EXPECT_EQ(model.VbeObj().References(), vbeStart) << "VBE references";
    EXPECT_EQ(model.Pane().References(), paneStart) << "CodePane references";
    EXPECT_EQ(model.CodeModule().References(), moduleStart) << "CodeModule references";
  }

  std::vector<std::wstring> Calls() const { return model.Log().CallTexts(); }
  HRESULT LastResult() const { return model.Log().Calls().back().result; }

  Module module;
  Selection selection;
  mutable SimulatedObjectModel model{module, selection};

 private:
  LONG vbeStart = 0;
  LONG paneStart = 0;
  LONG moduleStart = 0;
};

}  // namespace tarnwick::test
