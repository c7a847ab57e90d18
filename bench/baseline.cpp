// Baseline for the benchmarks: a bare window of the same class style, size and background as
// Lobecast, with the same 50 ms timer, that draws nothing of its own.
#include "bare_window.h"

namespace {
const char AppName[] = "LobecastBaseline";

LRESULT CALLBACK BaselineWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      KillTimer(hwnd, 1);
      PostQuitMessage(0);
      return 0;
    case WM_PAINT: {
      // The background brush paints the client white; nothing else is drawn.
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_TIMER:
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}
}  // namespace

// Annotated as the SDK declares it: cl.exe reports any difference (C28251).
int WINAPI WinMain(_In_ HINSTANCE instance, _In_opt_ HINSTANCE, _In_ LPSTR, _In_ int showCommand) {
  return RunBareWindow(instance, showCommand, AppName, BaselineWindowProc);
}
