// Win32 harness shared by the acceptance driver and the benchmark probe: starting a program,
// finding its windows, posting keys, sizing it, reading its client area's pixels, closing it.
// No output and no exceptions: every function answers whether it worked.
#pragma once

#include <windows.h>

#include <stdint.h>

// ---- Waiting -------------------------------------------------------------------------------

// Asks done() every periodMs until it answers true; false once timeoutMs have passed without.
template <typename Done>
bool PollUntil(DWORD timeoutMs, DWORD periodMs, Done done) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (done()) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(periodMs);
  }
}

// ---- Programs and their windows ------------------------------------------------------------

// A program started by StartChild; hwnd is its main window once the caller has found it.
struct Child {
  PROCESS_INFORMATION pi = {};
  HWND hwnd = nullptr;
  bool ended = false;  // StopChild has seen it end
  Child() = default;
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child();  // stops a program still running (StopChild, 10 s) and closes the handles
};

// Starts path with CreateProcess (the quoted path as its command line); false on failure, with
// GetLastError saying why.
bool StartChild(const char* path, Child& child);
// Posts WM_CLOSE to child.hwnd and waits up to timeoutMs for the process to end; if it does not,
// ends it (exit code 99). Answers whether it ended by itself; *exitCode gets its exit code.
bool StopChild(Child& child, DWORD timeoutMs, DWORD* exitCode = nullptr);

// A visible top-level window with this class and title (null: any), of processId (0: any),
// owned by owner (null: any); null when there is none.
HWND FindTopWindow(const char* windowClass, const char* title, DWORD processId = 0,
                   HWND owner = nullptr);
// FindTopWindow, asked every 50 ms for up to timeoutMs.
HWND WaitForTopWindow(DWORD timeoutMs, const char* windowClass, const char* title,
                      DWORD processId = 0, HWND owner = nullptr);
// Waits until hwnd is destroyed or hidden; false when it is still shown after timeoutMs.
bool WaitWindowGone(HWND hwnd, DWORD timeoutMs);

// Posts a key press (WM_KEYDOWN, then WM_KEYUP) as a keyboard would deliver it.
void PostKey(HWND hwnd, UINT vk);
void ClientSize(HWND hwnd, int& w, int& h);
// Resizes hwnd so that its client area is w x h. A window that fits on the screen goes to 0,0;
// a larger one is placed so that its client area starts at the screen's top-left corner.
bool ResizeClient(HWND hwnd, int w, int h);

// ---- Pixels --------------------------------------------------------------------------------

// A 32-bit top-down DIB section in a memory DC, kept for repeated reads: growing it is the only
// allocation, so reading small rectangles often stays cheap.
struct Grabber {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  uint32_t* bits = nullptr;
  int w = 0;  // the DIB's size; w is also its row stride in pixels
  int h = 0;
  Grabber() = default;
  Grabber(const Grabber&) = delete;
  Grabber& operator=(const Grabber&) = delete;
  ~Grabber();
  // Pixel (x, y) of the last Grab, 0x00RRGGBB.
  uint32_t At(int x, int y) const { return bits[static_cast<size_t>(y) * w + x] & 0xFFFFFF; }
};

// Makes the DIB at least w x h (keeping a larger one); false when GDI refuses.
bool Reserve(Grabber& g, int w, int h);
// Copies the client rectangle (x, y, w, h) of hwnd to the top-left of g's DIB, growing it first
// when needed.
bool Grab(Grabber& g, HWND hwnd, int x, int y, int w, int h);

inline int Red(uint32_t c) {
  return static_cast<int>((c >> 16) & 0xFF);
}
inline int Green(uint32_t c) {
  return static_cast<int>((c >> 8) & 0xFF);
}
inline int Blue(uint32_t c) {
  return static_cast<int>(c & 0xFF);
}
const uint32_t White = 0xFFFFFF;
const uint32_t Black = 0x000000;
const uint32_t PureRed = 0xFF0000;  // the arc pen on white
inline bool IsGrey(uint32_t c) {
  return Red(c) == Green(c) && Green(c) == Blue(c);
}
// Dominantly red: an arc on white (pure red), or red text.
bool IsReddish(uint32_t c);
// What the red pen leaves under NOTXOR: red on white, cyan on black.
bool IsInk(uint32_t c);
