// Acceptance driver: the stress scenario. A few thousand random events (keys, resizes,
// minimise and restore, a window of the driver's own moved across the program's window) with a
// pause every two seconds or so, where the still picture is judged: every red pixel on the five
// circles of one step at the current client size, and the program still answering.
//
// The seed is printed; LOBECAST_E2E_SEED=N repeats a run's sequence of events.
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "e2e.h"

int StressScenario(const std::string& exe);

namespace {
const DWORD EventPhaseMs = 20000;  // random events, checkpoints not counted
const DWORD CheckEveryMs = 2000;
const char CoverClass[] = "LobecastStressCover";

// Handles the driver's own messages (the cover window's paint), without blocking.
void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// A plain grey popup window of the driver's, moved over the program's window and hidden again.
class Cover {
 public:
  Cover() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = CoverClass;
    RegisterClassA(&wc);
    hwnd_ = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, CoverClass, "",
                            WS_POPUP, 0, 0, Width, Height, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    Require(hwnd_ != nullptr, "the driver's cover window was created");
  }
  ~Cover() {
    if (hwnd_) DestroyWindow(hwnd_);
  }
  Cover(const Cover&) = delete;
  Cover& operator=(const Cover&) = delete;

  // Shows the cover with its top-left corner at (x, y) on the screen.
  void MoveTo(HWND target, int x, int y) {
    SetWindowPos(hwnd_, HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    Pump();
    if (shown_) Uncovered(target, covered_);
    SetRect(&covered_, x, y, x + Width, y + Height);
    shown_ = true;
  }
  void Hide(HWND target) {
    if (!shown_) return;
    ShowWindow(hwnd_, SW_HIDE);
    Pump();
    Uncovered(target, covered_);
    shown_ = false;
  }
  static const int Width = 180;
  static const int Height = 130;

 private:
  // What a desktop without composition does when a window uncovers part of another: it
  // invalidates that part. Wine repaints exposed areas from the window's own surface without
  // a WM_PAINT, so the driver invalidates the rectangle itself (screen to client coordinates).
  static void Uncovered(HWND target, const RECT& screen) {
    POINT corners[2] = {{screen.left, screen.top}, {screen.right, screen.bottom}};
    MapWindowPoints(nullptr, target, corners, 2);
    RECT rc = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    InvalidateRect(target, &rc, TRUE);
  }
  HWND hwnd_ = nullptr;
  RECT covered_ = {0, 0, 0, 0};
  bool shown_ = false;
};

struct GuiCounts {
  DWORD gdi = 0;
  DWORD user = 0;
  DWORD error = 0;  // GetLastError after a call that answered 0
};

// Reads and prints the program's GDI and USER object counts.
GuiCounts ReadGuiCounts(HANDLE process, const char* when) {
  GuiCounts c;
  SetLastError(0);
  c.gdi = GetGuiResources(process, GR_GDIOBJECTS);
  if (c.gdi == 0) c.error = GetLastError();
  SetLastError(0);
  c.user = GetGuiResources(process, GR_USEROBJECTS);
  if (c.user == 0 && c.error == 0) c.error = GetLastError();
  Say("  %sGetGuiResources: %lu GDI objects, %lu USER objects (last error %lu)", when,
      static_cast<unsigned long>(c.gdi), static_cast<unsigned long>(c.user),
      static_cast<unsigned long>(c.error));
  return c;
}

// What the driver knows of the program's state from the keys it posted.
struct Known {
  bool running = false;      // Enter presses since the last pause are odd (a run may also end)
  bool reset = true;         // no Enter since the start or the last F1: no arcs at all
  int lastStep = -1;         // the step judged at the previous checkpoint since the last F1
  int entersSinceReset = 0;  // each Enter after a run's end lets it advance one more step
  bool minimised = false;
};

struct Stress {
  Child t;
  Screen start;
  Known known;
  int checkpoints = 0;
  bool haveCounts = false;
  GuiCounts first, last;
};

// Restores the window, pauses the animation, waits for a still picture and judges it.
void Checkpoint(Stress& st, Cover& cover, const char* label) {
  ++st.checkpoints;
  Say("- checkpoint %d (%s)", st.checkpoints, label);
  HWND hwnd = st.t.hwnd;
  cover.Hide(hwnd);
  if (st.known.minimised || IsIconic(hwnd)) {
    ShowWindow(hwnd, SW_RESTORE);
    st.known.minimised = false;
  }
  Require(PollUntil(Bound, 20,
                    [&] {
                      Pump();
                      return !IsIconic(hwnd);
                    }),
          "%s: the window is restored", label);
  if (st.known.running) {
    PostKey(hwnd, VK_RETURN);
    st.known.running = false;
    ++st.known.entersSinceReset;
  }
  Pump();
  Image im;
  Require(WaitStable(hwnd, Bound, im), "%s: the animation is paused, the picture settles", label);
  int w, h;
  ClientSize(hwnd, w, h);
  Require(w == im.w && h == im.h, "%s: the picture has the client size %dx%d", label, w, h);
  const Geometry g = GeometryFor(w, h);
  const Masks m = st.start.m.ShiftedDown(h - st.start.g.h);
  const Analysis a = Analyse(im, g, m);
  const int maxStep = 252 + st.known.entersSinceReset;
  const std::vector<int> steps = ConsistentSteps(im, g, m, 0, maxStep);
  Say("  %dx%d, %d red pixels outside the text; %s", w, h, a.redPixels, Describe(a, g).c_str());
  bool ok = Check(!steps.empty(),
                  "%s: every red pixel lies on the five circles of one step at %dx%d, each "
                  "arc present (steps that fit: %s)",
                  label, w, h, Join(steps, 8).c_str());
  if (st.known.reset)
    ok &= Check(a.redPixels == 0, "%s: no Enter since the reset, no arc (%d red pixels)", label,
                a.redPixels);
  if (steps.size() == 1 && !st.known.reset) {
    if (st.known.lastStep >= 0)
      ok &= Check(steps[0] >= st.known.lastStep, "%s: step %d, not below the %d judged before",
                  label, steps[0], st.known.lastStep);
    st.known.lastStep = steps[0];
  }
  if (!ok) ExplainMisfit(im, g, m, a, 0, "stress-checkpoint-" + std::to_string(st.checkpoints));
  DWORD_PTR answer = 0;
  Check(SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer) != 0,
        "%s: the program answers messages (WM_NULL)", label);
  const GuiCounts c = ReadGuiCounts(st.t.pi.hProcess, "");
  if (!st.haveCounts) st.first = c;
  st.haveCounts = true;
  st.last = c;
}

int Pick(std::mt19937& rng, int lo, int hi) {
  return std::uniform_int_distribution<int>(lo, hi)(rng);
}

// One random event; returns its kind for the tally.
enum Kind { KEnter, KF1, KOther, KResize, KMinimise, KRestore, KCoverMove, KCoverHide, KCount };

Kind RandomEvent(Stress& st, Cover& cover, std::mt19937& rng) {
  static const UINT others[] = {VK_SPACE, 'A',   '7',     VK_F3,    VK_ESCAPE, VK_TAB, VK_LEFT,
                                VK_UP,    VK_F5, VK_BACK, VK_SHIFT, VK_HOME,   VK_F12};
  HWND hwnd = st.t.hwnd;
  // Enter and F1 are rare enough that runs get far (and can reach their end) between resets.
  const int r = Pick(rng, 0, 999);
  if (r < 5) {
    PostKey(hwnd, VK_RETURN);
    st.known.running = !st.known.running;
    st.known.reset = false;
    ++st.known.entersSinceReset;
    return KEnter;
  }
  if (r < 7) {
    PostKey(hwnd, VK_F1);
    st.known = Known{false, true, -1, 0, st.known.minimised};
    return KF1;
  }
  if (r < 350) {
    PostKey(hwnd, others[Pick(rng, 0, static_cast<int>(sizeof others / sizeof others[0]) - 1)]);
    return KOther;
  }
  if (r < 450 && !st.known.minimised) {
    SetWindowPos(hwnd, nullptr, 0, 0, Pick(rng, 300, 1000), Pick(rng, 250, 700),
                 SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    return KResize;
  }
  if (r < 470 && !st.known.minimised) {
    ShowWindow(hwnd, SW_MINIMIZE);
    st.known.minimised = true;
    return KMinimise;
  }
  if (r < 510 && st.known.minimised) {
    ShowWindow(hwnd, SW_RESTORE);
    st.known.minimised = false;
    return KRestore;
  }
  if (r < 900) {
    RECT wr;
    GetWindowRect(hwnd, &wr);
    const int left = static_cast<int>(wr.left) - Cover::Width / 2;
    const int top = static_cast<int>(wr.top) - Cover::Height / 2;
    const int x = Pick(rng, left, static_cast<int>(wr.right) - Cover::Width / 2);
    const int y = Pick(rng, top, static_cast<int>(wr.bottom) - Cover::Height / 2);
    cover.MoveTo(hwnd, x, y);
    return KCoverMove;
  }
  cover.Hide(hwnd);
  return KCoverHide;
}

unsigned SeedFromEnvironment() {
  const char* v = std::getenv("LOBECAST_E2E_SEED");
  if (v && *v) return static_cast<unsigned>(std::strtoul(v, nullptr, 10));
  return static_cast<unsigned>(GetTickCount() ^ (GetCurrentProcessId() << 16));
}
}  // namespace

int StressScenario(const std::string& exe) {
  const unsigned seed = SeedFromEnvironment();
  Say("  seed %u (LOBECAST_E2E_SEED=%u repeats this run)", seed, seed);
  std::mt19937 rng(seed);
  Stress st;
  st.start = StartTarget(exe, st.t, "stress-start");
  Cover cover;
  ReadGuiCounts(st.t.pi.hProcess, "at start-up ");

  int tally[KCount] = {};
  int events = 0;
  DWORD eventTime = 0;
  while (eventTime < EventPhaseMs) {
    const DWORD sliceStart = Now();
    while (Now() - sliceStart < CheckEveryMs) {
      ++tally[RandomEvent(st, cover, rng)];
      ++events;
      Pump();
      // Random pacing between events (0..8 ms), handling the driver's own messages meanwhile.
      MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(Pick(rng, 0, 8)),
                                QS_ALLINPUT);
    }
    eventTime += Now() - sliceStart;
    char label[48];
    std::snprintf(label, sizeof label, "after %d events", events);
    Checkpoint(st, cover, label);
  }
  Say("  %d events in %lu ms: %d Enter, %d F1, %d other keys, %d resizes, %d minimise, "
      "%d restore, %d cover moves, %d cover hides",
      events, static_cast<unsigned long>(eventTime), tally[KEnter], tally[KF1], tally[KOther],
      tally[KResize], tally[KMinimise], tally[KRestore], tally[KCoverMove], tally[KCoverHide]);
  Check(tally[KEnter] > 0 && tally[KResize] > 0 && tally[KCoverMove] > 0 && tally[KMinimise] > 0,
        "the run included Enter, resizes, cover moves and minimising");

  if (st.first.gdi == 0 && st.first.user == 0 && st.last.gdi == 0 && st.last.user == 0) {
    Say("  GetGuiResources reports 0 GDI and 0 USER objects here (last error %lu): no claim "
        "about resources",
        static_cast<unsigned long>(st.last.error));
  } else {
    Check(st.last.gdi <= st.first.gdi,
          "GDI objects did not grow between the first and the last checkpoint (%lu, then %lu)",
          static_cast<unsigned long>(st.first.gdi), static_cast<unsigned long>(st.last.gdi));
    Check(st.last.user <= st.first.user,
          "USER objects did not grow between the first and the last checkpoint (%lu, then %lu)",
          static_cast<unsigned long>(st.first.user), static_cast<unsigned long>(st.last.user));
  }
  CloseTarget(st.t);
  return 0;
}
