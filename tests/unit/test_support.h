// Shared helpers for the host tests: a clean stand-in and program state for every test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/fake_platform.h"

using Args = std::vector<std::intptr_t>;

// The arguments of every call of one name, in order.
inline std::vector<Args> ArgsOf(const std::string& name) {
  std::vector<Args> all;
  for (const fake::Call& call : fake::Calls(name)) all.push_back(call.args);
  return all;
}

// Puts the stand-in and every piece of the program's module state back to its start.
void ResetProgramState();

class PlatformTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetProgramState(); }
  void TearDown() override {
    EXPECT_TRUE(fake::Errors().empty()) << "first misuse: " << fake::Errors().front();
  }
};

// A main window made the way the program makes it: registered with MainWindowProc and
// created, so the create message has made the pens and fonts.
class MainWindowTest : public PlatformTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  void Size(int width, int height);
  void Key(WPARAM key) { Send(WM_KEYDOWN, key); }
  void Tick() { Send(WM_TIMER, 1); }
  HWND hwnd = nullptr;
};
