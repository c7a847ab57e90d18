// Shared helpers for the host tests: a clean stand-in and program state for every test.
#include "test_support.h"

#include "app/animation.h"
#include "app/objects.h"
#include "app/paint.h"
#include "model/steering.h"
#include "win/main_window.h"

void ResetProgramState() {
  fake::Reset();
  BeamAngle = 0;
  PhaseStep = 0;
  for (int& delay : ElementDelay) delay = 0;
  Running = 0;
  TickCount = 0;
  LineHeight = 0;
  AvgCharWidth = 0;
  PenElement = PenWave = PenFeed = nullptr;
  FontTitle = FontSubtitle = FontSmall = nullptr;
  ScreenWidth = 0;
  ClientWidth = 0;
  ClientHeight = 0;
}

void MainWindowTest::SetUp() {
  PlatformTest::SetUp();
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.lpszClassName = "Lobecast";
  RegisterClassExA(&windowClass);
  hwnd = CreateWindowExA(0, "Lobecast", "Lobecast", WS_OVERLAPPEDWINDOW, 0, 0, 1000, 700, nullptr,
                         nullptr, fake::Instance(), nullptr);
  ASSERT_NE(hwnd, nullptr) << "the create message refused the window";
  Size(1000, 600);
  fake::ClearLog();
}

void MainWindowTest::TearDown() {
  EXPECT_EQ(fake::OpenDcs(), 0) << "a device context was not released";
  PlatformTest::TearDown();
}

LRESULT MainWindowTest::Send(UINT message, WPARAM wParam, LPARAM lParam) {
  return MainWindowProc(hwnd, message, wParam, lParam);
}

void MainWindowTest::Size(int width, int height) {
  Send(WM_SIZE, 0, MAKELONG(width, height));
}
