// Win32 harness: programs, windows, keys, sizes and pixels.
#include "harness.h"

#include <stdio.h>
#include <string.h>

Child::~Child() {
  if (!pi.hProcess) return;
  if (!ended) StopChild(*this, 10000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
}

bool StartChild(const char* path, Child& child) {
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  char line[MAX_PATH + 3];
  if (snprintf(line, sizeof line, "\"%s\"", path) >= static_cast<int>(sizeof line)) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  return CreateProcessA(path, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &child.pi) !=
         FALSE;
}

bool StopChild(Child& child, DWORD timeoutMs, DWORD* exitCode) {
  if (child.hwnd) PostMessageA(child.hwnd, WM_CLOSE, 0, 0);
  const bool ended = WaitForSingleObject(child.pi.hProcess, timeoutMs) == WAIT_OBJECT_0;
  if (!ended) {
    TerminateProcess(child.pi.hProcess, 99);
    WaitForSingleObject(child.pi.hProcess, 5000);
  }
  child.ended = true;
  DWORD code = 99;
  GetExitCodeProcess(child.pi.hProcess, &code);
  if (exitCode) *exitCode = code;
  return ended;
}

namespace {
struct Search {
  const char* windowClass;
  const char* title;
  DWORD processId;
  HWND owner;
  HWND found;
};

BOOL CALLBACK Match(HWND hwnd, LPARAM lParam) {
  Search& s = *reinterpret_cast<Search*>(lParam);
  char text[256];
  if (s.windowClass &&
      (!GetClassNameA(hwnd, text, sizeof text) || strcmp(text, s.windowClass) != 0))
    return TRUE;
  if (s.title && (GetWindowTextA(hwnd, text, sizeof text) <= 0 || strcmp(text, s.title) != 0))
    return TRUE;
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (s.processId != 0 && pid != s.processId) return TRUE;
  if (s.owner && GetWindow(hwnd, GW_OWNER) != s.owner) return TRUE;
  if (!IsWindowVisible(hwnd)) return TRUE;
  s.found = hwnd;
  return FALSE;
}
}  // namespace

HWND FindTopWindow(const char* windowClass, const char* title, DWORD processId, HWND owner) {
  Search s = {windowClass, title, processId, owner, nullptr};
  EnumWindows(Match, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND WaitForTopWindow(DWORD timeoutMs, const char* windowClass, const char* title, DWORD processId,
                      HWND owner) {
  HWND found = nullptr;
  PollUntil(timeoutMs, 50, [&] {
    return (found = FindTopWindow(windowClass, title, processId, owner)) != nullptr;
  });
  return found;
}

bool WaitWindowGone(HWND hwnd, DWORD timeoutMs) {
  return PollUntil(timeoutMs, 50, [&] { return !IsWindow(hwnd) || !IsWindowVisible(hwnd); });
}

void PostKey(HWND hwnd, UINT vk) {
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)) << 16;
  PostMessageA(hwnd, WM_KEYDOWN, vk, 1 | scan);
  PostMessageA(hwnd, WM_KEYUP, vk, static_cast<LPARAM>(1 | scan | (LPARAM(3) << 30)));
}

void ClientSize(HWND hwnd, int& w, int& h) {
  RECT rc = {0, 0, 0, 0};
  GetClientRect(hwnd, &rc);
  w = rc.right - rc.left;
  h = rc.bottom - rc.top;
}

bool ResizeClient(HWND hwnd, int w, int h) {
  RECT window;
  GetWindowRect(hwnd, &window);
  POINT origin = {0, 0};
  ClientToScreen(hwnd, &origin);
  int cw, ch;
  ClientSize(hwnd, cw, ch);
  const int outerW = w + (window.right - window.left) - cw;
  const int outerH = h + (window.bottom - window.top) - ch;
  const bool fits =
      outerW <= GetSystemMetrics(SM_CXSCREEN) && outerH <= GetSystemMetrics(SM_CYSCREEN);
  const int x = fits ? 0 : static_cast<int>(window.left - origin.x);
  const int y = fits ? 0 : static_cast<int>(window.top - origin.y);
  return SetWindowPos(hwnd, nullptr, x, y, outerW, outerH, SWP_NOZORDER | SWP_NOACTIVATE) != 0;
}

Grabber::~Grabber() {
  if (dc && old) SelectObject(dc, old);
  if (bitmap) DeleteObject(bitmap);
  if (dc) DeleteDC(dc);
}

bool Reserve(Grabber& g, int w, int h) {
  if (w <= g.w && h <= g.h) return g.bits != nullptr;
  if (w < g.w) w = g.w;
  if (h < g.h) h = g.h;
  if (!g.dc && !(g.dc = CreateCompatibleDC(nullptr))) return false;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits) {
    if (bitmap) DeleteObject(bitmap);
    return false;
  }
  HGDIOBJ previous = SelectObject(g.dc, bitmap);
  if (g.bitmap)
    DeleteObject(g.bitmap);
  else
    g.old = previous;
  g.bitmap = bitmap;
  g.bits = static_cast<uint32_t*>(bits);
  g.w = w;
  g.h = h;
  return true;
}

bool Grab(Grabber& g, HWND hwnd, int x, int y, int w, int h) {
  if (w <= 0 || h <= 0 || !Reserve(g, w, h)) return false;
  HDC windowDc = GetDC(hwnd);
  if (!windowDc) return false;
  const BOOL ok = BitBlt(g.dc, 0, 0, w, h, windowDc, x, y, SRCCOPY);
  ReleaseDC(hwnd, windowDc);
  GdiFlush();
  return ok != FALSE;
}

bool IsReddish(uint32_t c) {
  const int r = Red(c), g = Green(c), b = Blue(c);
  return r >= 0x80 && r - g >= 0x60 && r - b >= 0x60;
}

bool IsInk(uint32_t c) {
  const int r = Red(c), g = Green(c), b = Blue(c);
  return IsReddish(c) || (g >= 0x80 && b >= 0x80 && g - r >= 0x60 && b - r >= 0x60);
}
