// A platform that does nothing: every graphics and window call the program declares returns at
// once with a plausible answer, so a benchmark of the program's code times that code alone.
#include <cstdarg>
#include <cstdio>

#include "tests/support/platform_names.h"

namespace {
// Distinct addresses to hand out as handles; nothing is ever read through them.
struct Dummy {
  int unused;
};
Dummy Objects[8];

template <typename Handle>
Handle Fake(int i) {
  return reinterpret_cast<Handle>(&Objects[i]);
}
}  // namespace

extern "C" {
HPEN WINAPI CreatePen(int, int, COLORREF) {
  return Fake<HPEN>(0);
}
HFONT WINAPI CreateFontIndirectA(const LOGFONTA*) {
  return Fake<HFONT>(1);
}
BOOL WINAPI DeleteObject(HGDIOBJ) {
  return TRUE;
}
HGDIOBJ WINAPI GetStockObject(int) {
  return &Objects[2];
}
HGDIOBJ WINAPI SelectObject(HDC, HGDIOBJ) {
  return &Objects[2];  // the previous object: a stock one
}
BOOL WINAPI MoveToEx(HDC, int, int, LPPOINT previous) {
  if (previous) previous->x = previous->y = 0;
  return TRUE;
}
BOOL WINAPI LineTo(HDC, int, int) {
  return TRUE;
}
BOOL WINAPI Arc(HDC, int, int, int, int, int, int, int, int) {
  return TRUE;
}
int WINAPI SetROP2(HDC, int) {
  return R2_COPYPEN;  // the previous mode
}
BOOL WINAPI GetTextMetricsA(HDC, LPTEXTMETRICA metrics) {
  *metrics = TEXTMETRICA{};
  metrics->tmHeight = 16;
  metrics->tmAscent = 13;
  metrics->tmDescent = 3;
  metrics->tmAveCharWidth = 7;
  metrics->tmMaxCharWidth = 14;
  metrics->tmWeight = 400;
  return TRUE;
}
UINT WINAPI SetTextAlign(HDC, UINT) {
  return TA_LEFT | TA_TOP;
}
COLORREF WINAPI SetTextColor(HDC, COLORREF) {
  return 0x000000;
}
BOOL WINAPI TextOutA(HDC, int, int, LPCSTR, int) {
  return TRUE;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR) {
  return Fake<HMODULE>(3);
}
HICON WINAPI LoadIconA(HINSTANCE, LPCSTR) {
  return Fake<HICON>(4);
}
HCURSOR WINAPI LoadCursorA(HINSTANCE, LPCSTR) {
  return Fake<HCURSOR>(4);
}
ATOM WINAPI RegisterClassExA(const WNDCLASSEXA*) {
  return 0xC000;
}
HWND WINAPI CreateWindowExA(DWORD, LPCSTR, LPCSTR, DWORD, int, int, int, int, HWND, HMENU,
                            HINSTANCE, LPVOID) {
  return Fake<HWND>(5);
}
UINT_PTR WINAPI SetTimer(HWND, UINT_PTR id, UINT, TIMERPROC) {
  return id ? id : 1;
}
BOOL WINAPI KillTimer(HWND, UINT_PTR) {
  return TRUE;
}
int WINAPI MessageBoxA(HWND, LPCSTR, LPCSTR, UINT) {
  return IDCANCEL;
}
BOOL WINAPI ShowWindow(HWND, int) {
  return FALSE;  // it was hidden before
}
BOOL WINAPI UpdateWindow(HWND) {
  return TRUE;
}
BOOL WINAPI GetMessageA(LPMSG msg, HWND, UINT, UINT) {
  *msg = MSG{};
  msg->message = WM_QUIT;
  return FALSE;
}
BOOL WINAPI TranslateMessage(const MSG*) {
  return FALSE;
}
LRESULT WINAPI DispatchMessageA(const MSG*) {
  return 0;
}
LRESULT WINAPI DefWindowProcA(HWND, UINT, WPARAM, LPARAM) {
  return 0;
}
void WINAPI PostQuitMessage(int) {}
HDC WINAPI BeginPaint(HWND, LPPAINTSTRUCT paint) {
  *paint = PAINTSTRUCT{};
  paint->hdc = Fake<HDC>(6);
  return paint->hdc;
}
BOOL WINAPI EndPaint(HWND, const PAINTSTRUCT*) {
  return TRUE;
}
HDC WINAPI GetDC(HWND) {
  return Fake<HDC>(6);
}
int WINAPI ReleaseDC(HWND, HDC) {
  return 1;
}
BOOL WINAPI InvalidateRect(HWND, const RECT*, BOOL) {
  return TRUE;
}
int WINAPI GetSystemMetrics(int index) {
  return index == SM_CXFULLSCREEN ? 1024 : 0;
}
int WINAPIV wsprintfA(LPSTR buffer, LPCSTR format, ...) {
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(buffer, 1024, format, args);  // wsprintfA's own limit
  va_end(args);
  return length < 0 ? 0 : length > 1023 ? 1023 : length;
}
INT_PTR WINAPI DialogBoxParamA(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM) {
  return IDCANCEL;
}
BOOL WINAPI EndDialog(HWND, INT_PTR) {
  return TRUE;
}
HWND WINAPI GetDlgItem(HWND, int) {
  return Fake<HWND>(7);
}
HWND WINAPI SetFocus(HWND) {
  return nullptr;
}
BOOL WINAPI SetWindowTextA(HWND, LPCSTR) {
  return TRUE;
}
int WINAPI GetWindowTextA(HWND, LPSTR buffer, int size) {
  if (size > 0) buffer[0] = 0;
  return 0;
}
LRESULT WINAPI SendMessageA(HWND, UINT, WPARAM, LPARAM) {
  return 0;
}
}
