// The baselines' shared start-up: a window of Lobecast's class style, size and background with
// its 50 ms timer, and the message loop.
#pragma once

#include <windows.h>

inline int RunBareWindow(HINSTANCE instance, int showCommand, const char* name, WNDPROC proc) {
  WNDCLASSEXA windowClass;
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = proc;
  windowClass.cbClsExtra = 0;
  windowClass.cbWndExtra = 0;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszMenuName = nullptr;
  windowClass.lpszClassName = name;
  windowClass.hIconSm = LoadIconA(nullptr, IDI_APPLICATION);
  RegisterClassExA(&windowClass);

  HWND hwnd = CreateWindowExA(0, name, name, WS_OVERLAPPEDWINDOW, 0, 0, 1000, 700, nullptr, nullptr,
                              instance, nullptr);
  if (!hwnd || !SetTimer(hwnd, 1, 50, nullptr)) return 1;
  ShowWindow(hwnd, showCommand);
  UpdateWindow(hwnd);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
