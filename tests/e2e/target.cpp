// Acceptance driver: lobecast.exe under test, through the harness, with every step checked.
#include <utility>

#include "e2e.h"

Screen StartTarget(const std::string& exe, Child& t, const char* label) {
  Require(GetFileAttributesA(exe.c_str()) != INVALID_FILE_ATTRIBUTES, "the program %s exists",
          exe.c_str());
  const bool started = StartChild(exe.c_str(), t);
  Require(started, "CreateProcess started %s (error %lu)", exe.c_str(),
          started ? 0UL : static_cast<unsigned long>(GetLastError()));
  WaitForInputIdle(t.pi.hProcess, 20000);
  t.hwnd = WaitForTopWindow(20000, "Lobecast", "Lobecast", t.pi.dwProcessId);
  Require(t.hwnd != nullptr, "a visible window of class and title \"Lobecast\" appeared (pid %lu)",
          static_cast<unsigned long>(t.pi.dwProcessId));
  return StaticScreen(t.hwnd, label);
}

void CloseTarget(Child& t) {
  DWORD code = 99;
  Require(StopChild(t, 15000, &code), "the program ended after WM_CLOSE");
  Check(code == 0, "exit code %lu (expected 0)", static_cast<unsigned long>(code));
  Check(!IsWindow(t.hwnd), "the main window is gone");
}

Image Capture(HWND hwnd) {
  static Grabber grab;
  Image image;
  ClientSize(hwnd, image.w, image.h);
  if (!Grab(grab, hwnd, 0, 0, image.w, image.h))
    Require(false, "the client area could be read (GetDC + BitBlt)");
  image.px.resize(static_cast<size_t>(image.w) * image.h);
  for (int y = 0; y < image.h; ++y)
    for (int x = 0; x < image.w; ++x)
      image.px[static_cast<size_t>(y) * image.w + x] = grab.At(x, y);
  return image;
}

bool WaitStable(HWND hwnd, DWORD timeoutMs, Image& image) {
  int same = -1;  // captures since the first, each equal to the one before
  return PollUntil(timeoutMs, 100, [&] {
    Image next = Capture(hwnd);
    same = same >= 0 && next == image ? same + 1 : 0;
    image = std::move(next);
    return same >= 2;
  });
}

Image Painted(HWND hwnd, const Geometry& g, const char* what, const char* label) {
  Image im;
  if (!PollUntil(Bound, 50, [&] { return BarsDrawn(im = Capture(hwnd), g); })) {
    KeepPicture(im, label);
    Require(false, "%s: the antenna bars are drawn within 10 s", what);
  }
  Require(WaitStable(hwnd, Bound, im), "%s: the picture settles", what);
  return im;
}

Screen StaticScreen(HWND hwnd, const char* label) {
  Screen s;
  int w, h;
  ClientSize(hwnd, w, h);
  s.g = GeometryFor(w, h);
  s.image = Painted(hwnd, s.g, "the first paint", label);
  std::string why;
  const bool measured = MeasureMasks(s.image, s.g, s.m, why);
  if (!measured) KeepPicture(s.image, label);
  Require(measured, "static text areas measured: top band rows 0..%d, help box (%d,%d)-(%d,%d)%s%s",
          s.m.topEnd, s.m.hx0, s.m.hy0, s.m.hx1, s.m.hy1, measured ? "" : ": ", why.c_str());
  return s;
}
