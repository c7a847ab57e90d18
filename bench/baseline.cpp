// Baseline for the benchmarks: a bare window of the same class style, size and background as
// Lobecast, with the same 50 ms timer, that draws nothing of its own.
#include <windows.h>

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

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  WNDCLASSEXA windowClass;
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = BaselineWindowProc;
  windowClass.cbClsExtra = 0;
  windowClass.cbWndExtra = 0;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszMenuName = nullptr;
  windowClass.lpszClassName = AppName;
  windowClass.hIconSm = LoadIconA(nullptr, IDI_APPLICATION);
  RegisterClassExA(&windowClass);

  HWND hwnd = CreateWindowExA(0, AppName, AppName, WS_OVERLAPPEDWINDOW, 0, 0, 1000, 700, nullptr,
                              nullptr, instance, nullptr);
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
