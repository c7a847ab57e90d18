// The program's entry point: registers the class, opens the window, starts the timer, runs
// the message loop.
#include "win/main_window.h"

namespace {
const char AppName[] = "Lobecast";
const int WindowWidth = 1000;
const int WindowHeight = 700;
// IDI_APPLICATION and IDC_ARROW, spelled for the ANSI calls so a build with UNICODE defined
// still compiles.
const LPCSTR ApplicationIcon = MAKEINTRESOURCEA(32512);
const LPCSTR ArrowCursor = MAKEINTRESOURCEA(32512);
}  // namespace

// Annotated as the SDK declares it: cl.exe reports any difference (C28251).
int WINAPI WinMain(_In_ HINSTANCE instance, _In_opt_ HINSTANCE, _In_ LPSTR, _In_ int showCommand) {
  WNDCLASSEXA windowClass;
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;  // repaint everything on a resize
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.cbClsExtra = 0;
  windowClass.cbWndExtra = 0;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(nullptr, ApplicationIcon);
  windowClass.hCursor = LoadCursorA(nullptr, ArrowCursor);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszMenuName = nullptr;
  windowClass.lpszClassName = AppName;
  windowClass.hIconSm = LoadIconA(nullptr, ApplicationIcon);
  RegisterClassExA(&windowClass);

  HWND hwnd = CreateWindowExA(0, AppName, AppName, WS_OVERLAPPEDWINDOW, 0, 0, WindowWidth,
                              WindowHeight, nullptr, nullptr, instance, nullptr);

  while (!SetTimer(hwnd, TimerId, TimerPeriodMs, nullptr)) {
    if (MessageBoxA(hwnd, "Too many clocks or timers!", AppName, MB_ICONWARNING | MB_RETRYCANCEL) ==
        IDCANCEL)
      return 0;
  }

  ShowWindow(hwnd, showCommand);
  UpdateWindow(hwnd);

  MSG msg;
  BOOL got;
  // GetMessageA answers -1 on failure: leave the loop rather than spin on it, and return 0,
  // since only the quit message fills in a wParam to return.
  while ((got = GetMessageA(&msg, nullptr, 0, 0)) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return got == 0 ? static_cast<int>(msg.wParam) : 0;
}
