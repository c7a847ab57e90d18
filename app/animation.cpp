// Animation state and the command keys: Enter runs and pauses, F1 resets, F2 asks for an angle.
#include "app/animation.h"

#include "app/objects.h"
#include "model/wavefronts.h"

int Running = 0;
int TickCount = 0;

void OnTimerTick(HWND hwnd) {
  if (Running != 1) return;
  HDC dc = GetDC(hwnd);
  // Inverting mix: drawing the previous step again erases it.
  SetROP2(dc, R2_NOTXORPEN);
  DrawWavefronts(dc, ClientWidth, ClientHeight, PenWave, TickCount);
  ++TickCount;
  if (TickCount > MaxTick) Running = !Running;
  DrawWavefronts(dc, ClientWidth, ClientHeight, PenWave, TickCount);
  ReleaseDC(hwnd, dc);
}

void OnKeyDown(HWND hwnd, WPARAM virtualKey) {
  switch (virtualKey) {
    case VK_RETURN:
      Running = Running == 0 ? 1 : 0;
      break;
    case VK_F1:
      Running = 0;
      TickCount = 0;
      InvalidateRect(hwnd, nullptr, TRUE);
      break;
    case VK_F2:
      Running = 0;
      TickCount = 0;
      RunAngleDialog(hwnd);
      InvalidateRect(hwnd, nullptr, TRUE);
      break;
    default:
      break;
  }
}
