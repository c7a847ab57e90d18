// The driving half of make bench: starts lobecast.exe and the baseline windows, drives them with
// posted keys, times their start-up and dates the steps of a run from their pixels. It prints one
// line of key=value pairs a figure; CPU time is read from outside by bench/session.py, which
// answers every "mark" line once it has taken its readings. Starting, finding, keys, sizes and
// pixels come from the Win32 harness (harness.h).
//
// usage: probe.exe --lobecast EXE --baseline EXE [--arcs EXE] [--starts N] [--sizes LIST]
//                  [--idle SECONDS]
//   --arcs EXE     also the arc-calls baseline: started, driven and measured like Lobecast
//   --starts N     start-up time: N timed starts of each program (after one untimed each)
//   --sizes LIST   a whole run at each client size, comma separated: "default" (the window as
//                  the program opens it) or WxH (the window is resized to that client first)
//   --idle S       after each run, S seconds stopped
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <cstdint>

#include "harness.h"

namespace {

// The last step of a run from a reset: a tick that takes TickCount above 250 stops it.
const int RunSteps = 251;
const double TickSeconds = 0.050;
// Sampling period while a program runs: not a multiple of the tick, so the samples fall at
// every phase of it.
const DWORD SampleMs = 37;
const int MaxSamples = 8000;

// ---- time and the measuring session ---------------------------------------------------------

LARGE_INTEGER Frequency;
LARGE_INTEGER Origin;

double Now() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart - Origin.QuadPart) /
         static_cast<double>(Frequency.QuadPart);
}

void Fail(const char* what) {
  printf("error what=\"%s\" t=%.3f\n", what, Now());
  fflush(stdout);
  ExitProcess(2);
}

// Tells the session that phase begins for program (it reads the CPU counters then) and waits for
// its answer, so that the readings fall exactly between what came before and what follows.
void Mark(const char* phase, const char* program) {
  printf("mark %s prog=%s\n", phase, program);
  fflush(stdout);
  char answer[16];
  if (!fgets(answer, sizeof answer, stdin)) Fail("no answer from the measuring session");
}

// ---- pixels ---------------------------------------------------------------------------------

// Every read fits in the DIB reserved at start-up, so nothing is allocated while measuring.
const int GrabStride = 4096;
const int GrabRows = 128;
Grabber grab;

// ---- the programs ---------------------------------------------------------------------------

struct Program {
  const char* name;  // in the output
  const char* path;
  const char* windowClass;
  bool drawsStatic;
};

Program Lobecast = {"lobecast", nullptr, "Lobecast", true};
Program Baseline = {"baseline", nullptr, "LobecastBaseline", false};
Program Arcs = {"arcs", nullptr, "LobecastArcs", false};  // Lobecast's arc calls alone

// A program started by the probe.
struct Running {
  Child child;    // its window once it has shown the static screen
  int width = 0;  // client size
  int height = 0;
  double found = 0;  // seconds from CreateProcess to the window's first being visible
  int polls = 0;     // reads of a visible window before it showed the static screen
};

// The static screen: Lobecast's element bar is black at (W/5, H/2) and its help text red in
// the bottom-left band; the baseline's client is white in the same places. Both programs get
// the same reads, so polling costs them alike.
bool ShowsStaticScreen(const Program& program, HWND hwnd, int width, int height) {
  if (width < 100 || height < 100) return false;
  const int rowWidth = std::min(width, GrabStride);
  if (!Grab(grab, hwnd, 0, height / 2, rowWidth, 1)) return false;
  const std::uint32_t bar = grab.At(width / 5, 0);
  bool allWhite = true;
  for (int x = 0; x < rowWidth && allWhite; ++x) allWhite = grab.At(x, 0) == White;
  const int bandWidth = std::min(width, 480);
  const int bandHeight = std::min(height, 100);
  if (!Grab(grab, hwnd, 0, height - bandHeight, bandWidth, bandHeight)) return false;
  bool red = false;
  for (int y = 0; y < bandHeight; ++y)
    for (int x = 0; x < bandWidth; ++x) {
      const std::uint32_t p = grab.At(x, y);
      if (IsReddish(p)) red = true;
      if (p != White) allWhite = false;
    }
  return program.drawsStatic ? bar == Black && red : allWhite;
}

// Starts the program and waits for its static screen; answers the seconds from CreateProcess.
double Start(const Program& program, Running* run) {
  const double t0 = Now();
  if (!StartChild(program.path, run->child)) Fail("CreateProcess failed");
  double seconds = 0;
  const bool shown = PollUntil(60000, 1, [&] {
    const double t = Now();
    HWND hwnd = FindTopWindow(program.windowClass, program.windowClass, run->child.pi.dwProcessId);
    if (!hwnd) return false;
    if (!run->found) run->found = t - t0;
    ++run->polls;
    ClientSize(hwnd, run->width, run->height);
    if (!ShowsStaticScreen(program, hwnd, run->width, run->height)) return false;
    seconds = Now() - t0;
    run->child.hwnd = hwnd;
    return true;
  });
  if (!shown) Fail("no static screen within 60 s");
  return seconds;
}

// Closes the window as the user would and answers the exit code.
DWORD Stop(Running* run) {
  DWORD code = 0;
  StopChild(run->child, 15000, &code);
  return code;
}

// Resizes the window to give the wanted client area and waits for the repaint.
void Resize(const Program& program, Running* run, int width, int height) {
  const int oldWidth = run->width;
  const int oldHeight = run->height;
  if (!ResizeClient(run->child.hwnd, width, height)) Fail("SetWindowPos failed");
  const bool repainted = PollUntil(30000, 20, [&] {
    ClientSize(run->child.hwnd, run->width, run->height);
    return (run->width != oldWidth || run->height != oldHeight) &&
           ShowsStaticScreen(program, run->child.hwnd, run->width, run->height);
  });
  if (!repainted) Fail("no repaint within 30 s of the resize");
}

// ---- counting steps from the arc radius -----------------------------------------------------
//
// At the default angle every element radiates from step 1 on, and the middle element's arc
// crosses its own row (y = H/2) at x = W/5 + r, with r = (W/200) * step. GDI strokes the circle
// inscribed in the arc's rectangle, so with the 2-pixel pen the rightmost red pixel of that row
// lies 1 to 3 pixels inside r; the other arcs cross the row further left. A sample of the row at
// a known moment therefore tells the step on the screen then, and the first sample showing step
// k dates it (late by at most one sampling period plus the time the pixels take to reach the X
// server, the same for every step, so it cancels out of the periods).
//
// The middle arc leaves the client after about 160 (at 3840 px) to 198 (at 992 px) steps, and
// from step 231 on no arc touches the client at all, so the end of the run shows no pixels: the
// session dates it from the program's CPU time.

struct Sample {
  double t;
  int radius;  // rightmost red pixel right of the bar, from the column; -1 for none
  int step;    // from the radius; -1 when not usable
};

Sample Samples[MaxSamples];
int SampleCount = 0;

int StepFromRadius(int radius, int unit) {
  return (radius + 3) / unit;
}

Sample TakeSample(const Running& run) {
  Sample s;
  const int cx = run.width / 5;
  const int unit = run.width / 200;
  const int from = cx + 4;  // right of the 4-pixel element bar
  const int count = std::min(run.width - from, GrabStride);
  s.radius = -1;
  s.step = -1;
  if (Grab(grab, run.child.hwnd, from, run.height / 2, count, 1)) {
    for (int x = count - 1; x >= 0; --x)
      if (grab.At(x, 0) == PureRed) {
        s.radius = from + x - cx;
        break;
      }
  }
  s.t = Now();
  // Usable while the middle arc is inside the client with a step to spare.
  if (s.radius > 0 && unit >= 4) {
    const int step = StepFromRadius(s.radius, unit);
    if (step >= 2 && (step + 1) * unit < run.width - 1 - cx) s.step = step;
  }
  return s;
}

// Samples the row for seconds (keeping the probe's load the same for every program).
void SampleFor(const Running& run, double seconds) {
  const double end = Now() + seconds;
  while (Now() < end) {
    if (SampleCount < MaxSamples) Samples[SampleCount++] = TakeSample(run);
    Sleep(SampleMs);
  }
}

// When each step was first seen, from the samples after enter.
double FirstSeen[RunSteps + 2];
int StepLow = 0;  // the steps seen: StepLow..StepHigh
int StepHigh = 0;

void DateSteps() {
  StepLow = StepHigh = 0;
  int last = 0;
  double lastT = 0;
  for (int i = 0; i < SampleCount; ++i) {
    const Sample& s = Samples[i];
    if (s.step < 0 || s.step > RunSteps || s.step < last) continue;
    // A step can not come sooner than a tick after the one before: drop misreads.
    if (last && s.step > last + static_cast<int>((s.t - lastT) / (0.9 * TickSeconds)) + 2) continue;
    if (!StepLow) StepLow = s.step;
    for (int k = last + 1; k <= s.step; ++k)
      if (k >= StepLow) FirstSeen[k] = s.t;
    if (s.step > last) {
      last = s.step;
      lastT = s.t;
    }
  }
  StepHigh = last;
}

double Period(int from, int to) {
  if (from < StepLow) from = StepLow;
  if (to > StepHigh) to = StepHigh;
  if (to - from < 5) return 0;
  return (FirstSeen[to] - FirstSeen[from]) / (to - from);
}

// How the radius sat against the step's nominal radius: counts of unit * step - radius.
void PrintOffsets(int unit) {
  int count[8] = {};
  for (int i = 0; i < SampleCount; ++i) {
    const Sample& s = Samples[i];
    if (s.step < 0) continue;
    const int offset = unit * s.step - s.radius;
    if (offset >= 0 && offset < 8) ++count[offset];
  }
  printf(" radius_offsets=%d,%d,%d,%d,%d", count[0], count[1], count[2], count[3], count[4]);
}

// ---- the figures ----------------------------------------------------------------------------

void MeasureStarts(int starts) {
  for (int i = 0; i <= starts; ++i) {
    const Program* order[3] = {&Lobecast, &Baseline, &Arcs};
    for (const Program* program : order) {
      if (!program->path) continue;
      Running run;
      const double seconds = Start(*program, &run);
      Sleep(300);
      const DWORD code = Stop(&run);
      if (i > 0)  // the first start of each warms the prefix and is not counted
        printf("startup prog=%s i=%d s=%.4f found_s=%.4f polls=%d rc=%lu\n", program->name, i,
               seconds, run.found, run.polls - 1, code);
      else
        printf("warmup prog=%s s=%.4f rc=%lu\n", program->name, seconds, code);
      fflush(stdout);
      Sleep(300);
    }
  }
}

// Starts the program, sizes it, lets it settle, stopped, as after a reset, and samples it so
// for a second: the session learns from that second what a stopped interval costs it.
void Prepare(const Program& program, Running* run, int width, int height) {
  Start(program, run);
  if (width > 0 && (width != run->width || height != run->height))
    Resize(program, run, width, height);
  Sleep(1000);
  PostKey(run->child.hwnd, VK_F1);
  Sleep(500);
  Mark("ready", program.name);
  SampleCount = 0;
  SampleFor(*run, 1.0);
  SampleCount = 0;
}

// The stopped program, sampled as in the run, for idle seconds; then it is closed. Prints the
// idle line (the session adds the CPU used) and answers the exit code.
DWORD IdleAndStop(const Program& program, Running* run, double idle) {
  Mark("idle", program.name);
  SampleFor(*run, idle);
  Mark("idle-end", program.name);
  printf("idle prog=%s w=%d h=%d\n", program.name, run->width, run->height);
  return Stop(run);
}

// How long a run of Lobecast was sampled, and measured, from Enter.
struct ArcRun {
  double sampled;
  double window;
};

// A whole run of a program that draws Lobecast's arcs (Lobecast or the arc-calls baseline), from
// a reset.
ArcRun MeasureArcRun(const Program& program, int width, int height, double idle) {
  Running run;
  Prepare(program, &run, width, height);
  const int unit = run.width / 200;
  Mark("enter", program.name);
  PostKey(run.child.hwnd, VK_RETURN);
  const double enter = Now();
  // Sampled until the arcs have left the row; the session then dates the end from the CPU time.
  for (;;) {
    if (SampleCount >= MaxSamples) Fail("too many samples");
    const Sample s = Samples[SampleCount++] = TakeSample(run);
    if (s.t - enter > 200) Fail("the run did not end within 200 s");
    if (s.t - enter > 0.9 * RunSteps * TickSeconds && s.step < 0) break;
    Sleep(SampleMs);
  }
  const double sampled = Now() - enter;
  Mark("wait-end", program.name);  // answered once the run's end lies 1.5 s back
  const ArcRun result = {sampled, Now() - enter};
  DateSteps();
  if (StepHigh - StepLow < 50) Fail("too few samples showed the arc radius");
  const DWORD code = IdleAndStop(program, &run, idle);

  // Cross-check of the wall time: from the last step seen, the rest at the timer's pace (those
  // steps draw off the client and cost a few milliseconds each), less half a sampling period
  // of lateness.
  const double extrapolated =
      FirstSeen[StepHigh] - enter + (RunSteps - StepHigh) * TickSeconds - SampleMs / 2000.0;
  printf(
      "run prog=%s w=%d h=%d unit=%d steps=%d wall_extrap_s=%.4f"
      " seen=%d-%d period_ms=%.2f p1_ms=%.2f p2_ms=%.2f p3_ms=%.2f p4_ms=%.2f"
      " to_step_s=%.4f samples=%d",
      program.name, run.width, run.height, unit, RunSteps, extrapolated, StepLow, StepHigh,
      1000 * Period(StepLow, StepHigh), 1000 * Period(1, 50), 1000 * Period(50, 100),
      1000 * Period(100, 150), 1000 * Period(150, StepHigh), FirstSeen[StepLow] - enter,
      SampleCount);
  PrintOffsets(unit);
  printf(" rc=%lu\n", code);
  fflush(stdout);
  return result;
}

// A whole Lobecast run, the same run of the arc-calls baseline, then the bare baseline over
// Lobecast's window, sampled as long.
void MeasureRun(int width, int height, double idle) {
  const ArcRun lobecast = MeasureArcRun(Lobecast, width, height, idle);
  if (Arcs.path) MeasureArcRun(Arcs, width, height, idle);

  Running base;
  Prepare(Baseline, &base, width, height);
  Mark("enter", Baseline.name);
  PostKey(base.child.hwnd, VK_RETURN);
  SampleFor(base, lobecast.sampled);
  Sleep(static_cast<DWORD>(1000 * (lobecast.window - lobecast.sampled)));
  Mark("end", Baseline.name);
  const DWORD code = IdleAndStop(Baseline, &base, idle);
  printf("run prog=baseline w=%d h=%d steps=%d rc=%lu\n", base.width, base.height, RunSteps, code);
  fflush(stdout);
}

bool ParseSize(const char* text, int* width, int* height) {
  if (strncmp(text, "default", 7) == 0) {
    *width = *height = 0;
    return true;
  }
  char* end = nullptr;
  *width = static_cast<int>(strtol(text, &end, 10));
  if (*end != 'x') return false;
  *height = static_cast<int>(strtol(end + 1, &end, 10));
  return *width >= 200 && *height >= 100;
}

}  // namespace

int main(int argc, char** argv) {
  QueryPerformanceFrequency(&Frequency);
  QueryPerformanceCounter(&Origin);
  int starts = 0;
  double idle = 0;
  const char* sizes = nullptr;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (strcmp(argv[i], "--lobecast") == 0)
      Lobecast.path = argv[i + 1];
    else if (strcmp(argv[i], "--baseline") == 0)
      Baseline.path = argv[i + 1];
    else if (strcmp(argv[i], "--arcs") == 0)
      Arcs.path = argv[i + 1];
    else if (strcmp(argv[i], "--starts") == 0)
      starts = atoi(argv[i + 1]);
    else if (strcmp(argv[i], "--sizes") == 0)
      sizes = argv[i + 1];
    else if (strcmp(argv[i], "--idle") == 0)
      idle = atof(argv[i + 1]);
    else
      Fail("unknown option");
  }
  if (!Lobecast.path || !Baseline.path) {
    fprintf(stderr,
            "usage: probe.exe --lobecast EXE --baseline EXE [--arcs EXE] [--starts N]"
            " [--sizes LIST] [--idle SECONDS]\n");
    return 2;
  }
  if (!Reserve(grab, GrabStride, GrabRows)) Fail("cannot create the DIB section");
  printf("env screen=%dx%d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  fflush(stdout);

  if (starts > 0) MeasureStarts(starts);
  for (const char* p = sizes; p && *p;) {
    int width = 0, height = 0;
    if (!ParseSize(p, &width, &height)) Fail("bad --sizes");
    MeasureRun(width, height, idle);
    p = strchr(p, ',');
    if (p) ++p;
  }
  printf("done t=%.3f\n", Now());
  return 0;
}
