#pragma once
#include <gtest/gtest.h>

#include "support/WinTestSupport.h"

namespace wintest {

// A window test with the program started in this process for each test.
class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = StartProgramHere();
    ASSERT_NE(window, nullptr);
  }
  void TearDown() override {
    if (IsWindow(window)) DestroyWindow(window);
  }
  HWND window = nullptr;
};

}  // namespace wintest
