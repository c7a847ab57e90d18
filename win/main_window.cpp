// The main window's procedure: routes each message to its handler and keeps the client size.
#include "win/main_window.h"

#include "app/animation.h"
#include "app/objects.h"
#include "app/paint.h"

int ClientWidth = 0;
int ClientHeight = 0;

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate(hwnd);
      return 0;
    case WM_DESTROY:
      OnDestroyObjects();
      KillTimer(hwnd, TimerId);
      PostQuitMessage(0);
      return 0;
    case WM_SIZE:
      ClientWidth = LOWORD(lParam);
      ClientHeight = HIWORD(lParam);
      return 0;
    case WM_PAINT:
      OnPaint(hwnd);
      return 0;
    case WM_KEYDOWN:
      OnKeyDown(hwnd, wParam);
      return 0;
    case WM_TIMER:  // whatever the timer id
      OnTimerTick(hwnd);
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}
