// Baseline for the benchmarks: a bare window of the same class style, size and background as
// Lobecast, with the same 50 ms timer, that makes the same arc calls a tick and nothing else.
// Enter starts and pauses the run (and after its end advances one step), F1 stops it and
// clears the window, like Lobecast at its default angle, so the probe drives both alike.
// Each tick: GetDC, SetROP2(R2_NOTXORPEN), the 2-pixel red pen, the five arcs of the step on
// the screen again (which erases them), the five arcs of the next step, ReleaseDC.
#include "bare_window.h"

namespace {
const char AppName[] = "LobecastArcs";
const int Elements = 5;
const int LastStep = 250;  // a tick that takes the step above this stops the run

int Width = 0;  // client size
int Height = 0;
int Step = 0;  // the step whose arcs are on the screen; 0 for none
bool Running = false;
HPEN Pen = nullptr;

// The arcs of step n at the default angle, where every element radiates from step 1 on: the
// right-hand part of the circle of radius n * (W / 200) around each element, whose rows lie at
// (3 + i) * H / 10 in the column W / 5.
void DrawArcs(HDC dc, int n) {
  if (n <= 0) return;
  const int cx = Width / 5;
  const int r = (Width / 200) * n;
  const int xs = cx + (Width / 200) * (n / 2);
  const int half = Height / 2;
  for (int i = 0; i < Elements; ++i) {
    const int y = ((3 + i) * Height) / 10;
    Arc(dc, cx - r, y - r, cx + r, y + r, xs, y + half, xs, y - half);
  }
}

void Tick(HWND hwnd) {
  if (!Running) return;
  HDC dc = GetDC(hwnd);
  SetROP2(dc, R2_NOTXORPEN);
  SelectObject(dc, Pen);
  DrawArcs(dc, Step);
  if (++Step > LastStep) Running = false;
  DrawArcs(dc, Step);
  ReleaseDC(hwnd, dc);
}

LRESULT CALLBACK ArcsWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      Pen = CreatePen(PS_SOLID, 2, RGB(255, 0, 0));
      return 0;
    case WM_DESTROY:
      KillTimer(hwnd, 1);
      DeleteObject(Pen);
      PostQuitMessage(0);
      return 0;
    case WM_SIZE:
      Width = LOWORD(lParam);
      Height = HIWORD(lParam);
      return 0;
    case WM_PAINT: {
      // The background brush paints the client white; the arcs on the screen are put back so
      // that the next tick's erase finds them.
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (Step > 0) {
        SetROP2(dc, R2_NOTXORPEN);
        SelectObject(dc, Pen);
        DrawArcs(dc, Step);
      }
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_KEYDOWN:
      if (wParam == VK_RETURN) {
        Running = !Running;
      } else if (wParam == VK_F1) {
        Running = false;
        Step = 0;
        InvalidateRect(hwnd, nullptr, TRUE);
      }
      return 0;
    case WM_TIMER:
      Tick(hwnd);
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}
}  // namespace

// Annotated as the SDK declares it: cl.exe reports any difference (C28251).
int WINAPI WinMain(_In_ HINSTANCE instance, _In_opt_ HINSTANCE, _In_ LPSTR, _In_ int showCommand) {
  return RunBareWindow(instance, showCommand, AppName, ArcsWindowProc);
}
