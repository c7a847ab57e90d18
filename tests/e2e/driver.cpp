// Acceptance driver for lobecast.exe: starts the real program, drives it with posted keys and
// the angle dialog, and judges its client area pixel by pixel.
//
//   lobecast_e2e.exe SCENARIO PATH\TO\lobecast.exe
//     startup, run, reset, angle, resize, fullrun, model, stress
//   lobecast_e2e.exe probe-static OUT.bmp      (attach to a running program; for real_keys.sh)
//   lobecast_e2e.exe probe-running STATIC.bmp
//   lobecast_e2e.exe probe-paused STATIC.bmp [ANGLE]
//   lobecast_e2e.exe probe-dialog SHOWN
//   lobecast_e2e.exe probe-resized STATIC.bmp STEP PHASE-STEP
//
// Prints each check and a final line; exit code 0 when every check passed, 1 otherwise.
#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "e2e.h"
#include "model/steering.h"
#include "res/resource.h"

int StressScenario(const std::string& exe);

namespace {
int Checks = 0;
int Failures = 0;

void VSay(const char* prefix, const char* format, va_list args) {
  char text[1024];
  std::vsnprintf(text, sizeof text, format, args);
  std::printf("%s%s\n", prefix, text);
  std::fflush(stdout);
}

bool VCheck(bool ok, const char* format, va_list args) {
  ++Checks;
  if (!ok) ++Failures;
  VSay(ok ? "  ok    " : "  FAIL  ", format, args);
  return ok;
}
}  // namespace

void Say(const char* format, ...) {
  va_list args;
  va_start(args, format);
  VSay("", format, args);
  va_end(args);
}

bool Check(bool ok, const char* format, ...) {
  va_list args;
  va_start(args, format);
  VCheck(ok, format, args);
  va_end(args);
  return ok;
}

void Require(bool ok, const char* format, ...) {
  va_list args;
  va_start(args, format);
  VCheck(ok, format, args);
  va_end(args);
  if (!ok) throw Fatal{"a required check failed"};
}

int CheckCount() {
  return Checks;
}
int FailureCount() {
  return Failures;
}

DWORD Now() {
  return GetTickCount();
}

std::string Join(const std::vector<int>& v, size_t max) {
  std::string s;
  char text[16];
  for (size_t i = 0; i < v.size() && i < max; ++i) {
    std::snprintf(text, sizeof text, "%s%d", i ? "," : "", v[i]);
    s += text;
  }
  if (v.size() > max) s += ",...";
  return s.empty() ? "none" : s;
}

namespace {
const int AngleEditId = IDC_ANGLE_EDIT;

// LOBECAST_E2E_VERBOSE=1 prints every poll's analysis.
bool Verbose() {
  const char* v = std::getenv("LOBECAST_E2E_VERBOSE");
  return v && *v && *v != '0';
}

// The step shown by a picture with five regular arcs that explain every red pixel, or -1; why
// (when given) gets what was fitted and what did not fit.
int ShownStep(const Image& im, const Geometry& g, const Masks& m, int* phaseStep,
              std::string* why = nullptr) {
  const Analysis a = Analyse(im, g, m);
  if (why) *why = Describe(a, g);
  if (!a.allFive) {
    if (why) *why += " (each element should have exactly one)";
    return -1;
  }
  int n = 0;
  for (int i = 0; i < Elements; ++i) {
    if (i + 1 < Elements && a.age[i + 1] - a.age[i] != a.step) {
      if (why) *why += " (not evenly spaced)";
      return -1;
    }
    if (a.age[i] > n) n = a.age[i];
  }
  std::string detail;
  if (!StepExplains(im, g, m, a.step, n, why ? &detail : nullptr)) {
    if (why) *why += "; " + detail;
    return -1;
  }
  if (phaseStep) *phaseStep = a.step;
  return n;
}

// Polls until the picture shows five regular arcs at a step of at least minStep; returns it.
int WaitForArcs(HWND hwnd, const Screen& s, int minStep, int* phaseStep) {
  int last = -1;
  Image im;
  const auto why = [&] {
    std::string text = "client size changed";
    if (im.w == s.g.w && im.h == s.g.h) ShownStep(im, s.g, s.m, nullptr, &text);
    return text;
  };
  const bool reached = PollUntil(Bound, 30, [&] {
    im = Capture(hwnd);
    if (im.w != s.g.w || im.h != s.g.h) return false;
    last = ShownStep(im, s.g, s.m, phaseStep);
    if (last >= minStep) return true;
    if (Verbose()) Say("  (poll: step %d; %s)", last, why().c_str());
    return false;
  });
  if (reached) return last;
  Say("  last picture polled: step %d; %s", last, why().c_str());
  KeepPicture(im, "last-polled");
  return -1;
}

// Posts Enter and waits until the picture stops changing.
Image Pause(HWND hwnd, const char* what) {
  PostKey(hwnd, VK_RETURN);
  Image im;
  Require(WaitStable(hwnd, Bound, im), "%s: Enter pauses, the picture settles", what);
  return im;
}

// Judges a still picture: the one step n whose arcs, with phase step s, explain it; -1 if none.
int Judge(const Image& im, const Geometry& g, const Masks& m, int s, const char* label,
          Analysis* analysis = nullptr) {
  const Analysis a = Analyse(im, g, m);
  Say("  %s: %d red pixels outside the text; %s", label, a.redPixels, Describe(a, g).c_str());
  const std::vector<int> steps = ConsistentSteps(im, g, m, s);
  const bool ok = Check(steps.size() == 1,
                        "%s: exactly one step explains every red pixel with phase step %d and "
                        "has each of its arcs present (steps found: %s)",
                        label, s, Join(steps, 12).c_str());
  if (!ok) ExplainMisfit(im, g, m, a, s, label);
  if (analysis) *analysis = a;
  return ok ? steps[0] : -1;
}

// The radii of a judged picture: each element at u * (n - delay), differing by u * s.
void CheckRadii(const Analysis& a, const Geometry& g, int n, int s, const char* label) {
  if (!Check(a.allFive, "%s: every element's arc found at exactly one radius (%s)", label,
             Describe(a, g).c_str()))
    return;
  int delay[Elements];
  DelaysFor(s, delay);
  bool match = true;
  for (int i = 0; i < Elements; ++i) match &= a.age[i] == n - delay[i];
  Check(match, "%s: radii %d,%d,%d,%d,%d top to bottom = u * (step %d - delay), u = %d", label,
        g.u * a.age[0], g.u * a.age[1], g.u * a.age[2], g.u * a.age[3], g.u * a.age[4], n, g.u);
  bool even = true;
  for (int i = 0; i + 1 < Elements; ++i) even &= g.u * (a.age[i + 1] - a.age[i]) == g.u * s;
  const char* shape = s == 0 ? "all five equal" : s > 0 ? "bottom largest" : "top largest";
  Check(even, "%s: neighbouring radii differ by u * %d = %d (%s)", label, s, g.u * s, shape);
  Check(a.radialOffsetTenths >= -25 && a.radialOffsetTenths <= -5,
        "%s: the red pixels lie %.1f px from the nominal radius (the pen runs 0.5..2.5 px "
        "inside it)",
        label, a.radialOffsetTenths / 10.0);
}

// Enter, then five regular arcs must reach at least minStep; returns the step seen.
int Resume(const Child& t, const Screen& s, int minStep, const char* label) {
  PostKey(t.hwnd, VK_RETURN);
  int phaseStep = 0;
  const int seen = WaitForArcs(t.hwnd, s, minStep, &phaseStep);
  Require(seen >= minStep, "%s: after Enter, five arcs at step %d (at least %d; phase step %d)",
          label, seen, minStep, phaseStep);
  return seen;
}

// A run to minStep, paused with Enter: the still picture must show exactly one step with phase
// step s (with radii, also at the radii it gives). Returns that step; still gets the picture.
int Lap(const Child& t, const Screen& sc, int minStep, int s, const char* label, bool radii,
        Image* still = nullptr) {
  Resume(t, sc, minStep, label);
  const Image im = Pause(t.hwnd, label);
  Analysis a;
  const int n = Judge(im, sc.g, sc.m, s, label, &a);
  Require(n > 0, "%s: the paused picture shows step %d with phase step %d", label, n, s);
  if (radii) CheckRadii(a, sc.g, n, s, label);
  if (still) *still = im;
  return n;
}

// Red-ish pixels outside the masks: arcs.
int ArcPixels(const Image& im, const Geometry& g, const Masks& m) {
  return Analyse(im, g, m).redPixels;
}

// Differing pixels in rows [y0, y1), with the first differing row.
int DiffRows(const Image& a, const Image& b, int y0, int y1, int* firstRow = nullptr) {
  int count = 0;
  if (firstRow) *firstRow = -1;
  for (int y = y0; y < y1 && y < a.h && y < b.h; ++y)
    for (int x = 0; x < a.w && x < b.w; ++x)
      if (a.At(x, y) != b.At(x, y)) {
        if (count++ == 0 && firstRow) *firstRow = y;
      }
  return count;
}

// Posts keys the program has no use for and waits until it has taken them from its queue; the
// caller then lets a few ticks pass (150 ms) before looking: what must show is that nothing
// happens, so there is no condition to wait for.
void PostUnrelatedKeys(const Child& t) {
  const UINT keys[] = {VK_SPACE, 'A', '7', VK_F3, VK_ESCAPE, VK_TAB, VK_LEFT};
  for (UINT k : keys) PostKey(t.hwnd, k);
  WaitForInputIdle(t.pi.hProcess, Bound);
}

// F2, check what the dialog shows, type text, then OK or cancel; waits until it has closed.
void UseDialog(const Child& t, const char* shown, const char* typed, bool ok) {
  PostKey(t.hwnd, VK_F2);
  HWND dialog = WaitForTopWindow(Bound, "#32770", "Lobecast", 0, t.hwnd);
  Require(dialog != nullptr,
          "F2 opened the dialog (class #32770, caption \"Lobecast\", owned by the main window)");
  char text[128] = "";
  GetDlgItemTextA(dialog, AngleEditId, text, sizeof text);
  Check(std::strcmp(text, shown) == 0,
        "the dialog's edit box shows the current angle \"%s\" (expected \"%s\")", text, shown);
  SetDlgItemTextA(dialog, AngleEditId, typed);
  GetDlgItemTextA(dialog, AngleEditId, text, sizeof text);
  Check(std::strcmp(text, typed) == 0, "edit box 1001 now holds \"%s\"", text);
  const int command = ok ? IDOK : IDCANCEL;
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, command)));
  Require(WaitWindowGone(dialog, Bound), "the dialog closed after %s", ok ? "OK" : "cancel");
}

// The screen s at the client size w x h, as the repaint after a resize draws it: the help text
// hangs from the bottom, the rest keeps its place. Waits for that repaint (label names the
// picture kept on a failure).
Screen Resized(HWND hwnd, const Screen& s, int w, int h, const char* label) {
  Screen r;
  r.g = GeometryFor(w, h);
  r.m = s.m.ShiftedDown(h - s.g.h);
  Say("  new geometry: cx=%d u=%d rows %d..%d", r.g.cx, r.g.u, r.g.y[0], r.g.y[4]);
  r.image = Painted(hwnd, r.g, "the repaint at the new size", label);
  return r;
}

// ---- Scenarios -----------------------------------------------------------------------------

void StartupScenario(const std::string& exe) {
  Child t;
  const Screen s = StartTarget(exe, t, "startup");
  char text[64] = "";
  GetClassNameA(t.hwnd, text, sizeof text);
  Check(std::strcmp(text, "Lobecast") == 0, "window class \"%s\"", text);
  GetWindowTextA(t.hwnd, text, sizeof text);
  Check(std::strcmp(text, "Lobecast") == 0, "window title \"%s\"", text);
  Check(FindWindowA("Lobecast", "Lobecast") == t.hwnd,
        "FindWindowA(\"Lobecast\", \"Lobecast\") finds it");
  RECT wr;
  GetWindowRect(t.hwnd, &wr);
  Check(wr.left == 0 && wr.top == 0 && wr.right - wr.left == 1000 && wr.bottom - wr.top == 700,
        "outer window %ldx%ld at %ld,%ld (expected 1000x700 at 0,0)",
        static_cast<long>(wr.right - wr.left), static_cast<long>(wr.bottom - wr.top),
        static_cast<long>(wr.left), static_cast<long>(wr.top));
  int w, h;
  ClientSize(t.hwnd, w, h);
  Check(w > 900 && w <= 1000 && h > 600 && h <= 700,
        "client area %dx%d (992x673 on a 1024x768 "
        "screen without a window manager)",
        w, h);

  const Geometry& g = s.g;
  Say("  geometry: cx=%d u=%d rows %d,%d,%d,%d,%d c=%d junction x=%d feed x=%d", g.cx, g.u, g.y[0],
      g.y[1], g.y[2], g.y[3], g.y[4], g.c, g.jx, g.fx);
  if (!CheckAntenna(s.image, g)) KeepPicture(s.image, "startup-antenna");

  // The help text: three red lines from x = 10, in the bottom-left band.
  const int lines = HelpTextLines(s.image, s.m);
  Check(lines == 3, "three lines of red help text (found %d)", lines);
  Check(s.m.hx0 + 3 >= 9 && s.m.hx0 + 3 <= 14, "the help text starts at x=%d (drawn from x=10)",
        s.m.hx0 + 3);
  Check(s.m.hy0 + 3 >= h - 150 && s.m.hy1 - 4 < h,
        "the help text fills rows %d..%d at the bottom of the %d-row client", s.m.hy0 + 3,
        s.m.hy1 - 4, h);
  int redElsewhere = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (IsReddish(s.image.At(x, y)) && !BlackText(s.image, x, y) &&
          !(x >= s.m.hx0 && x < s.m.hx1 && y >= s.m.hy0 && y < s.m.hy1))
        ++redElsewhere;
  Check(redElsewhere == 0, "nothing red outside the help text, where arcs would be (%d pixels)",
        redElsewhere);

  // The top texts: black, the heading centred, the notice at the right.
  int coloured = 0, fringed = 0, left = w, right = -1, noticeRight = -1, notice = 0;
  const int headingEnd = HeadingEnd(s.image);
  for (int y = 0; y < s.m.topEnd; ++y)
    for (int x = 0; x < w; ++x) {
      const std::uint32_t p = s.image.At(x, y);
      if (p == White) continue;
      coloured += !BlackText(s.image, x, y);
      fringed += !IsGrey(p);
      if (y < headingEnd && x >= w / 4 && x < (3 * w) / 4) {
        if (x < left) left = x;
        if (x > right) right = x;
      }
      if (x >= (3 * w) / 4) {
        ++notice;
        if (x > noticeRight) noticeRight = x;
      }
    }
  Check(coloured == 0,
        "heading, subtitle, angle line and notice are black text on white (%d pixels of "
        "another colour)",
        coloured);
  Check(headingEnd > 10 && right > left && std::abs((left + right) - w) <= 12,
        "the heading is centred: columns %d..%d in rows 0..%d around x=%d", left, right, headingEnd,
        w / 2);
  Check(notice > 50 && noticeRight < w - 4 && noticeRight > w - 60,
        "the notice stands at the top right (%d pixels, right edge x=%d)", notice, noticeRight);
  // With ClearType on, the text judged above must really have had its coloured fringes.
  BOOL smoothing = FALSE;
  UINT type = 0;
  if (SystemParametersInfoA(SPI_GETFONTSMOOTHING, 0, &smoothing, 0) && smoothing &&
      SystemParametersInfoA(SPI_GETFONTSMOOTHINGTYPE, 0, &type, 0) &&
      type == FE_FONTSMOOTHINGCLEARTYPE)
    Check(fringed > 0, "ClearType is on, and the top texts have its coloured fringes (%d pixels)",
          fringed);

  // Ticks while stopped change nothing.
  Sleep(150);
  Check(Capture(t.hwnd) == s.image, "a few ticks later the screen is unchanged");
  CloseTarget(t);
}

void RunScenario(const std::string& exe) {
  Child t;
  const Screen s = StartTarget(exe, t, "run-start");
  const int n1 = Lap(t, s, 8, 0, "first pause", true);
  const int n2 = Lap(t, s, n1 + 10, 0, "second pause", true);
  Check(n2 > n1, "the animation advanced between the pauses (step %d, then %d)", n1, n2);
  CloseTarget(t);
}

void ResetScenario(const std::string& exe) {
  Child t;
  const Screen s = StartTarget(exe, t, "reset-start");
  Image paused;
  const int n1 = Lap(t, s, 8, 0, "paused", false, &paused);
  PostUnrelatedKeys(t);
  Sleep(150);
  Check(Capture(t.hwnd) == paused,
        "unrelated keys (space, A, 7, F3, Esc, Tab, Left) neither resume nor reset a pause");

  const int before = Resume(t, s, n1 + 8, "resumed");
  PostKey(t.hwnd, VK_F1);  // while running
  Image reset;
  Require(WaitStable(t.hwnd, Bound, reset), "F1: the picture settles");
  const int left = ArcPixels(reset, s.g, s.m);
  if (left) KeepPicture(reset, "reset-after-F1");
  Check(left == 0, "after F1 during a run no arc pixel is left (%d red pixels)", left);
  Check(reset == s.image, "after F1 the screen equals the start-up screen pixel for pixel");
  Sleep(150);
  Image tick = Capture(t.hwnd);
  Check(ArcPixels(tick, s.g, s.m) == 0 && tick == s.image,
        "a tick later there is still no arc (the timer no longer advances)");
  PostUnrelatedKeys(t);
  Sleep(150);
  Check(Capture(t.hwnd) == s.image, "unrelated keys after the reset change nothing");

  PostKey(t.hwnd, VK_RETURN);
  const int restart = WaitForArcs(t.hwnd, s, 1, nullptr);
  Check(restart >= 1 && restart < before,
        "Enter after F1 starts over: first step seen %d, below the %d reached before the reset",
        restart, before);
  CloseTarget(t);
}

void AngleScenario(const std::string& exe) {
  Child t;
  const Screen s = StartTarget(exe, t, "angle-start");
  const int headingEnd = HeadingEnd(s.image);
  struct Case {
    const char* shown;
    const char* typed;
    bool ok;
    int step;
  };
  const Case cases[] = {{"0", "20", true, 4}, {"20", "-7", false, 4}, {"20", "-30", true, -6}};
  Image previous = s.image;
  for (const Case& c : cases) {
    char label[64];
    std::snprintf(label, sizeof label, "%s \"%s\"", c.ok ? "OK" : "cancel", c.typed);
    Say("- F2, type \"%s\", %s", c.typed, c.ok ? "OK" : "cancel");
    UseDialog(t, c.shown, c.typed, c.ok);
    Image shown;
    Require(WaitStable(t.hwnd, Bound, shown), "%s: the repaint settles", label);
    Require(BarsDrawn(shown, s.g), "%s: the main window is repainted", label);
    int firstRow;
    const int changed = DiffRows(previous, shown, 0, s.m.topEnd, &firstRow);
    if (c.ok)
      Check(changed > 20 && firstRow >= headingEnd,
            "%s: the angle line changed (%d pixels differ, from row %d; the heading ends at row "
            "%d)",
            label, changed, firstRow, headingEnd);
    else
      Check(changed == 0, "%s: the angle line is unchanged (%d pixels differ)", label, changed);
    const int below = DiffRows(s.image, shown, s.m.topEnd, s.g.h);
    Check(below == 0,
          "%s: below the top texts the screen is the start-up screen (%d pixels "
          "differ)",
          label, below);
    previous = shown;
    Lap(t, s, 1, c.step, label, true);
  }
  CloseTarget(t);
}

void ResizeScenario(const std::string& exe) {
  Child t;
  const Screen s = StartTarget(exe, t, "resize-start");
  const int n1 = Lap(t, s, 10, 0, "before the resize", false);

  SetWindowPos(t.hwnd, nullptr, 0, 0, 800, 600, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  RECT wr;
  GetWindowRect(t.hwnd, &wr);
  Check(wr.right - wr.left == 800 && wr.bottom - wr.top == 600, "SetWindowPos: outer size %ldx%ld",
        static_cast<long>(wr.right - wr.left), static_cast<long>(wr.bottom - wr.top));
  int w, h;
  ClientSize(t.hwnd, w, h);
  Require(w < s.g.w && h < s.g.h, "the client area shrank to %dx%d", w, h);
  const Screen r = Resized(t.hwnd, s, w, h, "resize-repaint");
  const int n2 = Judge(r.image, r.g, r.m, 0, "after the resize");
  Check(n2 == n1, "the repaint shows the paused step's arcs at the new size (step %d, was %d)", n2,
        n1);
  // Only the five circles of the new size may explain the arcs once they move on.
  const int n3 = Lap(t, r, n1 + 10, 0, "after resuming", false);
  Check(n3 > n1, "paused again at step %d, with no arc fragments", n3);
  CloseTarget(t);
}

void FullRunScenario(const std::string& exe) {
  Child t;
  const Screen s = StartTarget(exe, t, "fullrun-start");
  PostKey(t.hwnd, VK_RETURN);
  // Follow the run through its visible steps, noting when each was seen.
  DWORD firstTime = 0, lastTime = 0;
  int firstStep = -1, lastStep = -1;
  const DWORD start = Now();
  while (lastStep < 150 && Now() - start < 2 * Bound) {
    Image im = Capture(t.hwnd);
    const int n = ShownStep(im, s.g, s.m, nullptr);
    if (n > 0) {
      if (firstStep < 0) firstStep = n, firstTime = Now();
      if (n > lastStep) lastStep = n, lastTime = Now();
    }
    Sleep(30);
  }
  Require(lastStep >= 150 && lastStep > firstStep,
          "the run went through the visible steps (seen %d to %d)", firstStep, lastStep);
  const DWORD perTick = (lastTime - firstTime) / static_cast<DWORD>(lastStep - firstStep);
  Say("  the program ticked every %lu ms", static_cast<unsigned long>(perTick));
  // Near step 232 the last arc leaves a 992-pixel client: the static screen comes back.
  Image im;
  const DWORD leaveBound = Bound + 2 * (240 - lastStep) * perTick;
  const bool back = PollUntil(leaveBound, 50, [&] { return (im = Capture(t.hwnd)) == s.image; });
  if (!back) KeepPicture(im, "fullrun-leaving");
  Require(back, "the arcs left the client and the erasing passes left no pixel behind");
  // Nothing visible marks step 251 at this size: wait past it by the pace measured above.
  const DWORD endTime = lastTime + ((252 - lastStep) * perTick * 5) / 4 + 500;
  Say("  waiting until about step 252");
  bool intact = true;
  while (static_cast<int>(Now() - endTime) < 0) {
    Sleep(100);
    intact &= Capture(t.hwnd) == s.image;
  }
  Check(intact, "no arc or fragment reappeared until the end of the run (%lu s after Enter)",
        static_cast<unsigned long>((Now() - start) / 1000));
  DWORD_PTR answer = 0;
  Check(SendMessageTimeoutA(t.hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer) != 0,
        "after the run the program still answers messages");
  Require(WaitStable(t.hwnd, Bound, im), "the picture is still");
  Check(im == s.image, "after the run the screen is the static screen");
  PostKey(t.hwnd, VK_F1);
  Require(WaitStable(t.hwnd, Bound, im), "F1: the picture settles");
  if (im != s.image) KeepPicture(im, "fullrun-after-F1");
  Check(im == s.image, "F1 restores the start-up screen pixel for pixel");
  PostKey(t.hwnd, VK_RETURN);
  const int again = WaitForArcs(t.hwnd, s, 1, nullptr);
  Check(again >= 1 && again < lastStep, "Enter starts a new run from the beginning (step %d seen)",
        again);
  Pause(t.hwnd, "new run");
  CloseTarget(t);
}

void ModelScenario() {
#if defined(__i386__) || defined(_M_IX86)
#if defined(__SSE2_MATH__) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
  Say("  32-bit build, SSE2 floating point");
#else
  Say("  32-bit build, x87 floating point");
#endif
#else
  Say("  64-bit build");
#endif
  int wrong = 0;
  for (int a = -45; a <= 45; ++a) {
    SetBeamAngle(a);
    if (BeamAngle != a || PhaseStep != (2 * a) / 9) {
      ++wrong;
      Say("  angle %d gave angle %d, step %d (expected %d)", a, BeamAngle, PhaseStep, (2 * a) / 9);
    }
  }
  Check(wrong == 0, "SetBeamAngle(a) gives PhaseStep (2*a)/9 for every a in -45..45 (%d wrong)",
        wrong);
  const int steps[][2] = {{45, 10}, {-45, -10}, {36, 8}};  // angle, step
  for (const auto& c : steps) {
    SetBeamAngle(c[0]);
    Check(PhaseStep == c[1], "%d degrees give step %d (expected %d)", c[0], PhaseStep, c[1]);
  }
  const int outside[] = {46, 100, INT_MAX, -46, -99, INT_MIN};
  for (int v : outside) {
    SetBeamAngle(v);
    const int clamped = v > 0 ? 45 : -45;
    Check(BeamAngle == clamped && PhaseStep == clamped / 9 * 2, "%d is clamped to %d (step %d)", v,
          BeamAngle, PhaseStep);
  }
  const int delays[][1 + Elements] = {{14, 12, 9, 6, 3, 0}, {-14, 0, 3, 6, 9, 12}};
  for (const auto& c : delays) {  // angle, then the delays top to bottom
    SetBeamAngle(c[0]);
    ComputeElementDelays();
    const int* d = ElementDelay;
    Check(std::equal(d, d + Elements, c + 1, c + 1 + Elements),
          "step %d gives delays %d,%d,%d,%d,%d (expected %d,%d,%d,%d,%d)", PhaseStep, d[0], d[1],
          d[2], d[3], d[4], c[1], c[2], c[3], c[4], c[5]);
  }
  SetBeamAngle(0);
}

// ---- Probes for the real-keyboard script: attach to a program started by someone else ------

HWND AttachMain() {
  HWND hwnd = WaitForTopWindow(Bound, "Lobecast", "Lobecast");
  Require(hwnd != nullptr, "a Lobecast main window is running");
  return hwnd;
}

// The start-up picture saved by probe-static, with what is measured on it.
Screen LoadScreen(const std::string& path) {
  Screen s;
  Require(LoadBmp(path, s.image), "the start-up picture %s loads", path.c_str());
  s.g = GeometryFor(s.image.w, s.image.h);
  std::string why;
  Require(MeasureMasks(s.image, s.g, s.m, why), "text areas measured on it %s", why.c_str());
  return s;
}

// The same, for a window still at the picture's size.
Screen LoadStatic(const std::string& path, HWND hwnd) {
  Screen s = LoadScreen(path);
  int w, h;
  ClientSize(hwnd, w, h);
  Require(w == s.g.w && h == s.g.h, "the client area is still %dx%d", s.g.w, s.g.h);
  return s;
}

void ProbeStatic(const std::string& out) {
  HWND hwnd = AttachMain();
  Screen s = StaticScreen(hwnd, "probe-static");
  Check(ArcPixels(s.image, s.g, s.m) == 0, "no arcs on the screen");
  Require(SaveBmp(s.image, out), "start-up picture saved to %s (%dx%d)", out.c_str(), s.g.w, s.g.h);
}

void ProbeRunning(const std::string& file) {
  HWND hwnd = AttachMain();
  Screen s = LoadStatic(file, hwnd);
  int step = 0;
  const int n = WaitForArcs(hwnd, s, 10, &step);
  Require(n >= 10, "the animation runs: five arcs at step %d (phase step %d)", n, step);
  Say("running step %d phase-step %d", n, step);
}

// Whether the angle line of im reads "Beam angle = ANGLE degrees": the subtitle and the angle
// line are drawn again here, with the program's fonts at its positions, and their rows compared
// pixel for pixel (both go through the same text rendering).
bool AngleLineShows(const Image& im, int angle) {
  const int screenWidth = GetSystemMetrics(SM_CXFULLSCREEN);
  const bool wide = screenWidth > 1000;
  const bool narrow = screenWidth <= 700;
  LOGFONTA f = {};
  f.lfCharSet = ANSI_CHARSET;
  std::strcpy(f.lfFaceName, "Arial Bold");
  f.lfHeight = wide ? 50 : narrow ? 30 : 40;
  HFONT title = CreateFontIndirectA(&f);
  f.lfHeight = wide ? 25 : 20;
  HFONT subtitle = CreateFontIndirectA(&f);
  Grabber g;
  bool ok = Reserve(g, im.w, im.h);
  int y0 = 0, y1 = 0;
  if (ok) {
    PatBlt(g.dc, 0, 0, im.w, im.h, WHITENESS);
    TEXTMETRICA tm;
    HGDIOBJ old = SelectObject(g.dc, title);
    GetTextMetricsA(g.dc, &tm);
    const int lineHeight = static_cast<int>(tm.tmHeight + tm.tmExternalLeading);
    SelectObject(g.dc, subtitle);
    GetTextMetricsA(g.dc, &tm);
    SetTextAlign(g.dc, TA_CENTER | TA_TOP);
    const char first[] = "Electronically steered beam";
    TextOutA(g.dc, im.w / 2, lineHeight, first, sizeof first - 1);
    char text[64];
    TextOutA(g.dc, im.w / 2, (3 * lineHeight) / 2, text,
             std::snprintf(text, sizeof text, "Beam angle = %d degrees", angle));
    GdiFlush();
    SelectObject(g.dc, old);
    y0 = lineHeight;
    y1 = std::min(im.h, (3 * lineHeight) / 2 + static_cast<int>(tm.tmHeight));
  }
  DeleteObject(title);
  DeleteObject(subtitle);
  // An arc on the white beside the text is no fault of the text: a pause at a later step can
  // bring the top element's arc up into these rows.
  int differ = 0, ink = 0;
  for (int y = y0; ok && y < y1; ++y)
    for (int x = 0; x < im.w; ++x) {
      differ += im.At(x, y) != g.At(x, y) && !(im.At(x, y) == PureRed && g.At(x, y) == White);
      ink += g.At(x, y) != White;
    }
  return Check(ok && ink > 100 && differ == 0,
               "the angle line reads \"Beam angle = %d degrees\" (rows %d..%d: %d of the "
               "reference's %d text pixels differ)",
               angle, y0, y1 - 1, differ, ink);
}

void ProbePaused(const std::string& file, const char* angle) {
  HWND hwnd = AttachMain();
  Screen s = LoadStatic(file, hwnd);
  Image im;
  Require(WaitStable(hwnd, Bound, im), "the picture is still (paused)");
  if (angle && !AngleLineShows(im, std::atoi(angle))) KeepPicture(im, "probe-paused-angle-line");
  int step = 0;
  const int n = ShownStep(im, s.g, s.m, &step);
  if (n < 0) KeepPicture(im, "probe-paused");
  Require(n > 0, "the still picture shows five arcs of one step");
  Analysis a;
  Require(Judge(im, s.g, s.m, step, "paused", &a) == n, "step %d explains it", n);
  CheckRadii(a, s.g, n, step, "paused");
  Say("paused step %d phase-step %d u %d", n, step, s.g.u);
}

// The angle dialog is open over the main window, showing shown, all of it selected (so typing
// replaces it), with the keyboard focus in its edit box.
void ProbeDialog(const std::string& shown) {
  HWND hwnd = AttachMain();
  HWND dialog = WaitForTopWindow(Bound, "#32770", "Lobecast", 0, hwnd);
  Require(dialog != nullptr, "the angle dialog is open, owned by the main window");
  HWND edit = GetDlgItem(dialog, AngleEditId);
  char text[128] = "";
  GetDlgItemTextA(dialog, AngleEditId, text, sizeof text);  // WM_GETTEXT: another process
  DWORD from = 0, to = 0;
  SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  Check(shown == text && from == 0 && to == std::strlen(text),
        "the edit box shows \"%s\" (expected \"%s\"), characters %lu..%lu selected", text,
        shown.c_str(), static_cast<unsigned long>(from), static_cast<unsigned long>(to));
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  HWND focus = nullptr;
  PollUntil(Bound, 50, [&] {
    focus = GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) ? info.hwndFocus
                                                                               : nullptr;
    return focus == edit;
  });
  GetClassNameA(focus, text, sizeof text);
  Check(focus == edit, "the keyboard focus is in the edit box (control %d of class %s)",
        GetDlgCtrlID(focus), focus ? text : "none");
  Check(GetForegroundWindow() == dialog, "the dialog is the foreground window");
}

// After the window was resized from outside (a window manager's maximise): the repaint shows
// the paused step's arcs, and nothing else, at the new client size.
void ProbeResized(const std::string& file, int step, int phaseStep) {
  HWND hwnd = AttachMain();
  const Screen s = LoadScreen(file);
  int w = 0, h = 0;
  const bool resized = PollUntil(Bound, 50, [&] {
    ClientSize(hwnd, w, h);
    return w > s.g.w && h > s.g.h;
  });
  Require(resized, "the client area grew from %dx%d to %dx%d", s.g.w, s.g.h, w, h);
  const Screen r = Resized(hwnd, s, w, h, "resized-repaint");
  ClientSize(hwnd, w, h);
  Require(w == r.g.w && h == r.g.h, "the client area stayed %dx%d while it was judged", r.g.w,
          r.g.h);
  const int n = Judge(r.image, r.g, r.m, phaseStep, "after the resize");
  Check(n == step, "the repaint shows the paused step's arcs at the new size (step %d, was %d)", n,
        step);
}

int Usage() {
  std::fprintf(stderr,
               "usage: lobecast_e2e.exe SCENARIO PATH\\TO\\lobecast.exe\n"
               "  scenarios: startup run reset angle resize fullrun model stress\n"
               "       lobecast_e2e.exe probe-static OUT.bmp | probe-running STATIC.bmp |"
               " probe-paused STATIC.bmp [ANGLE]\n"
               "       lobecast_e2e.exe probe-dialog SHOWN | probe-resized STATIC.bmp STEP"
               " PHASE-STEP\n");
  return 2;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string scenario = argv[1];
  const std::string arg = argv[2];
  // probe-paused takes an optional angle, probe-resized two numbers more, the rest one argument.
  const bool argsOk = scenario == "probe-paused"    ? argc <= 4
                      : scenario == "probe-resized" ? argc == 5
                                                    : argc == 3;
  if (!argsOk) return Usage();
  Say("lobecast_e2e %s %s", scenario.c_str(), arg.c_str());
  try {
    if (scenario == "startup")
      StartupScenario(arg);
    else if (scenario == "run")
      RunScenario(arg);
    else if (scenario == "reset")
      ResetScenario(arg);
    else if (scenario == "angle")
      AngleScenario(arg);
    else if (scenario == "resize")
      ResizeScenario(arg);
    else if (scenario == "fullrun")
      FullRunScenario(arg);
    else if (scenario == "model")
      ModelScenario();
    else if (scenario == "stress")
      StressScenario(arg);
    else if (scenario == "probe-static")
      ProbeStatic(arg);
    else if (scenario == "probe-running")
      ProbeRunning(arg);
    else if (scenario == "probe-paused")
      ProbePaused(arg, argc > 3 ? argv[3] : nullptr);
    else if (scenario == "probe-dialog")
      ProbeDialog(arg);
    else if (scenario == "probe-resized")
      ProbeResized(arg, std::atoi(argv[3]), std::atoi(argv[4]));
    else
      return Usage();
  } catch (const Fatal& f) {
    Say("  stopped: %s", f.what.c_str());
  }
  if (CheckCount() == 0) {
    Say("lobecast_e2e %s: FAIL (no checks ran)", scenario.c_str());
    return 1;
  }
  if (FailureCount() > 0) {
    Say("lobecast_e2e %s: FAIL (%d of %d checks failed)", scenario.c_str(), FailureCount(),
        CheckCount());
    return 1;
  }
  Say("lobecast_e2e %s: PASS (%d checks)", scenario.c_str(), CheckCount());
  return 0;
}
