// The measuring program of make bench: starts lobecast.exe and the baseline windows, drives them
// with posted keys, reads their pixels and CPU time, and prints one line of key=value pairs a
// figure. Starting, finding, keys, sizes and pixels come from the Win32 harness (harness.h).
//
// usage: probe.exe --lobecast EXE --baseline EXE [--arcs EXE] [--starts N] [--sizes LIST]
//                  [--idle SECONDS]
//   --arcs EXE     also the arc-calls baseline: started, driven and measured like Lobecast
//   --starts N     start-up time: N timed starts of each program (after one untimed each)
//   --sizes LIST   a whole run at each client size, comma separated: "default" (the window as
//                  the program opens it) or WxH (the window is resized to that client first)
//   --idle S       after each run, the CPU of S seconds stopped
//   --dump 1       also print every pixel sample of each run
//
// Under Wine, GetProcessTimes on another process answers the caller's own times, so there the
// CPU time of every process comes from its /proc/PID/stat (through drive Z:), in 10 ms ticks;
// the samples that date a run's end read the program's threads' schedstat, in ns.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include "harness.h"

namespace {

// The last step of a run from a reset: a tick that takes TickCount above 250 stops it.
const int RunSteps = 251;
const double TickSeconds = 0.050;
// Sampling period while a program runs: not a multiple of the tick, so the samples fall at
// every phase of it.
const DWORD SampleMs = 37;
const int MaxSamples = 8000;

// ---- time -----------------------------------------------------------------------------------

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

// ---- processes and their CPU time -----------------------------------------------------------

bool UnderWine = false;
char DisplayName[64];  // the X display of this run, under Wine
char XvfbPid[16];      // the process id of the Xvfb that tools/winerun started, if it did
char Prefix[1024];     // WINEPREFIX, under Wine
long XServerPid = 0;   // 0 when not found
long WineServerPid = 0;
const double ClockTick = 0.01;  // USER_HZ is 100 on Linux

// Reads a whole file (also /proc files, whose size shows as 0) into buffer; -1 on failure.
int ReadWholeFile(const char* path, char* buffer, int size) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return -1;
  DWORD total = 0;
  DWORD got = 0;
  while (total + 1 < static_cast<DWORD>(size) &&
         ReadFile(file, buffer + total, static_cast<DWORD>(size) - 1 - total, &got, nullptr) &&
         got > 0)
    total += got;
  CloseHandle(file);
  buffer[total] = 0;
  return static_cast<int>(total);
}

struct UnixStat {
  char comm[32];
  long pid;
  long group;
  double cpu;  // user + system seconds
  unsigned long long start;
};

// Parses /proc/<name>/stat: "pid (comm) state ppid pgrp ... utime(14) stime(15) ... start(22)".
bool ReadUnixStat(const char* name, UnixStat* stat) {
  char path[64];
  char text[1024];
  snprintf(path, sizeof path, "Z:\\proc\\%s\\stat", name);
  if (ReadWholeFile(path, text, sizeof text) <= 0) return false;
  const char* open = strchr(text, '(');
  const char* close = strrchr(text, ')');
  if (!open || !close || close < open) return false;
  stat->pid = strtol(text, nullptr, 10);
  size_t length = static_cast<size_t>(close - open - 1);
  if (length >= sizeof stat->comm) length = sizeof stat->comm - 1;
  memcpy(stat->comm, open + 1, length);
  stat->comm[length] = 0;
  // Fields from 3 on, separated by single spaces.
  unsigned long long field[24] = {};
  const char* p = close + 2;
  for (int i = 3; i <= 22 && *p; ++i) {
    char* end = nullptr;
    field[i] = strtoull(p, &end, 10);
    if (end == p) ++end;  // the state letter
    p = *end ? end + 1 : end;
  }
  stat->group = static_cast<long>(field[5]);
  stat->cpu = static_cast<double>(field[14] + field[15]) * ClockTick;
  stat->start = field[22];
  return true;
}

double UnixCpu(long pid) {
  if (pid <= 0) return 0;
  char name[32];
  snprintf(name, sizeof name, "%ld", pid);
  UnixStat stat;
  return ReadUnixStat(name, &stat) ? stat.cpu : 0;
}

// The program's CPU time at nanosecond resolution, for dating: /proc/PID/stat counts in 10 ms
// clock ticks, too coarse for a tick's millisecond or so. The first field of each thread's
// /proc/PID/task/TID/schedstat is its time on a CPU in ns. The files stay open and are read
// again from offset 0, which makes the kernel write them afresh, so a reading costs no open
// (and no wineserver request once Wine has cached the descriptor). Only rises are added up, so
// a thread that ends keeps what it used.
const int MaxThreads = 64;

struct ThreadClock {
  HANDLE file[MaxThreads];
  unsigned long long last[MaxThreads];
  int count = 0;
  unsigned long long total = 0;  // ns
};

bool ReadSchedstat(HANDLE file, unsigned long long* ns) {
  char text[128];
  OVERLAPPED at = {};  // offset 0
  DWORD got = 0;
  if (!ReadFile(file, text, sizeof text - 1, &got, &at) || got == 0) return false;
  text[got] = 0;
  char* end = nullptr;
  *ns = strtoull(text, &end, 10);
  return end != text;
}

void CloseThreadClock(ThreadClock* clock) {
  for (int i = 0; i < clock->count; ++i) CloseHandle(clock->file[i]);
  clock->count = 0;
  clock->total = 0;
}

// Opens the schedstat of every thread pid has now; answers the number of threads.
int OpenThreadClock(ThreadClock* clock, long pid) {
  CloseThreadClock(clock);
  char pattern[64];
  snprintf(pattern, sizeof pattern, "Z:\\proc\\%ld\\task\\*", pid);
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA(pattern, &entry);
  if (find == INVALID_HANDLE_VALUE) return 0;
  do {
    if (entry.cFileName[0] < '0' || entry.cFileName[0] > '9' || clock->count >= MaxThreads)
      continue;
    char path[96];
    snprintf(path, sizeof path, "Z:\\proc\\%ld\\task\\%s\\schedstat", pid, entry.cFileName);
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) continue;
    unsigned long long ns = 0;
    if (!ReadSchedstat(file, &ns)) {
      CloseHandle(file);
      continue;
    }
    clock->file[clock->count] = file;
    clock->last[clock->count++] = ns;
    clock->total += ns;
  } while (FindNextFileA(find, &entry));
  FindClose(find);
  return clock->count;
}

// The threads' CPU seconds so far.
double ReadThreadClock(ThreadClock* clock) {
  for (int i = 0; i < clock->count; ++i) {
    unsigned long long ns = 0;
    if (!ReadSchedstat(clock->file[i], &ns) || ns <= clock->last[i]) continue;
    clock->total += ns - clock->last[i];
    clock->last[i] = ns;
  }
  return static_cast<double>(clock->total) * 1e-9;
}

// Whether /proc/<pid>/<file> holds the NUL-terminated string item (cmdline, environ).
bool ProcListHas(const char* pid, const char* file, const char* item) {
  static char text[65536];
  char path[64];
  snprintf(path, sizeof path, "Z:\\proc\\%s\\%s", pid, file);
  const int length = ReadWholeFile(path, text, sizeof text);
  const size_t want = strlen(item);
  for (int i = 0; i < length;) {
    const size_t here = strlen(text + i);
    if (here == want && memcmp(text + i, item, want) == 0) return true;
    i += static_cast<int>(here) + 1;
  }
  return false;
}

// Finds the newest unix process of this run's Wine prefix whose name is comm (Wine names a
// process after its executable), or, when comm is null, the X server and the wineserver of this
// run. (A file that Wine opens is opened by the wineserver, so /proc/self is the server's.)
long FindUnixProcess(const char* comm) {
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA("Z:\\proc\\*", &entry);
  if (find == INVALID_HANDLE_VALUE) return 0;
  long found = 0;
  unsigned long long newest = 0;
  char display[80];
  char prefix[1100];
  snprintf(display, sizeof display, "%s", DisplayName);
  snprintf(prefix, sizeof prefix, "WINEPREFIX=%s", Prefix);
  do {
    if (entry.cFileName[0] < '0' || entry.cFileName[0] > '9') continue;
    UnixStat stat;
    if (!ReadUnixStat(entry.cFileName, &stat)) continue;
    if (comm) {
      if (_stricmp(stat.comm, comm) != 0 ||
          (Prefix[0] && !ProcListHas(entry.cFileName, "environ", prefix)))
        continue;
    } else if (strcmp(stat.comm, "Xvfb") == 0) {
      // winerun's Xvfb picks its display itself, so its command line does not name it.
      const bool ours = XvfbPid[0]
                            ? strcmp(entry.cFileName, XvfbPid) == 0
                            : DisplayName[0] && ProcListHas(entry.cFileName, "cmdline", display);
      if (!ours) continue;
      XServerPid = stat.pid;
      continue;
    } else if (strncmp(stat.comm, "wineserver", 10) == 0) {
      if (!Prefix[0] || !ProcListHas(entry.cFileName, "environ", prefix)) continue;
      WineServerPid = stat.pid;
      continue;
    } else {
      continue;
    }
    if (!found || stat.start >= newest) {
      found = stat.pid;
      newest = stat.start;
    }
  } while (FindNextFileA(find, &entry));
  FindClose(find);
  return found;
}

double FileTimeSeconds(const FILETIME& time) {
  ULARGE_INTEGER value;
  value.LowPart = time.dwLowDateTime;
  value.HighPart = time.dwHighDateTime;
  return static_cast<double>(value.QuadPart) * 1e-7;
}

// User + kernel seconds that Windows counts for process.
double WindowsCpu(HANDLE process) {
  FILETIME created, ended, kernel, user;
  if (!GetProcessTimes(process, &created, &ended, &kernel, &user)) return 0;
  return FileTimeSeconds(kernel) + FileTimeSeconds(user);
}

// A program started by the probe.
struct Running {
  Child child;  // its window once it has shown the static screen
  long unixPid = 0;
  int width = 0;  // client size
  int height = 0;
  double found = 0;     // seconds from CreateProcess to the window's first being visible
  int polls = 0;        // reads of a visible window before it showed the static screen
  ThreadClock threads;  // under Wine, from the settled program on
};

double ProcessCpu(const Running& run) {
  return UnderWine ? UnixCpu(run.unixPid) : WindowsCpu(run.child.pi.hProcess);
}

// The CPU seconds the samples carry: at ns resolution under Wine.
double SampleCpu(Running& run) {
  return UnderWine ? ReadThreadClock(&run.threads) : WindowsCpu(run.child.pi.hProcess);
}

// Busy and total clock ticks of the whole machine, from /proc/stat (under Wine).
void MachineTicks(unsigned long long* busy, unsigned long long* total) {
  *busy = *total = 0;
  if (!UnderWine) return;
  char text[4096];
  if (ReadWholeFile("Z:\\proc\\stat", text, sizeof text) <= 0 || strncmp(text, "cpu ", 4) != 0)
    return;
  const char* p = text + 4;
  for (int i = 0; i < 8; ++i) {
    char* end = nullptr;
    const unsigned long long value = strtoull(p, &end, 10);
    if (end == p) break;
    *total += value;
    if (i != 3 && i != 4) *busy += value;  // idle and iowait
    p = end;
  }
}

int CpuCount() {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return static_cast<int>(info.dwNumberOfProcessors);
}

// CPU seconds of the measured program, the X server, the wineserver and the probe itself.
struct Snapshot {
  double t;
  double target;
  double xserver;
  double server;
  double probe;
  unsigned long long busy;
  unsigned long long total;
};

Snapshot Take(const Running& run) {
  Snapshot s;
  s.t = Now();
  s.target = ProcessCpu(run);
  s.xserver = UnixCpu(XServerPid);
  s.server = UnixCpu(WineServerPid);
  s.probe = WindowsCpu(GetCurrentProcess());
  MachineTicks(&s.busy, &s.total);
  return s;
}

// Prints the CPU used between two snapshots as key=value pairs.
void PrintCpu(const Snapshot& a, const Snapshot& b, double targetCpu) {
  const double busy = b.total > a.total ? static_cast<double>(b.busy - a.busy) /
                                              static_cast<double>(b.total - a.total)
                                        : 0;
  printf(" window_s=%.3f cpu_s=%.3f xvfb_s=%.3f server_s=%.3f probe_s=%.3f machine_busy=%.3f",
         b.t - a.t, targetCpu, b.xserver - a.xserver, b.server - a.server, b.probe - a.probe, busy);
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
  char comm[16];  // the unix process name: the executable's file name
  bool drawsStatic;
};

Program Lobecast = {"lobecast", nullptr, "Lobecast", "", true};
Program Baseline = {"baseline", nullptr, "LobecastBaseline", "", false};
Program Arcs = {"arcs", nullptr, "LobecastArcs", "", false};  // Lobecast's arc calls alone

void SetPath(Program* program, const char* path) {
  program->path = path;
  const char* base = path;
  for (const char* p = path; *p; ++p)
    if (*p == '\\' || *p == '/') base = p + 1;
  snprintf(program->comm, sizeof program->comm, "%s", base);  // comm keeps 15 characters
}

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
  run->unixPid = UnderWine ? FindUnixProcess(program.comm) : 0;
  if (UnderWine && !run->unixPid) Fail("cannot find the program's unix process");
  return seconds;
}

// Closes the window as the user would and answers the exit code.
DWORD Stop(Running* run) {
  DWORD code = 0;
  CloseThreadClock(&run->threads);
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
// from step 231 on no arc touches the client at all, so the end of the run shows no pixels. It
// is dated by the program's CPU time instead, read at every sample in ns (ThreadClock): a tick
// of the run still costs it 0.6 ms or more with every arc off the client (measured at 992 px),
// a tick of the stopped program 0.05 to 0.2 ms. The 10 ms clock ticks of /proc/PID/stat cannot
// tell those apart: a counter in them rises every few off-client steps, and now and then while
// stopped.

struct Sample {
  double t;
  int radius;  // rightmost red pixel right of the bar, from the column; -1 for none
  int step;    // from the radius; -1 when not usable
  double cpu;  // the program's CPU seconds
};

Sample Samples[MaxSamples];
int SampleCount = 0;
bool Dump = false;

int StepFromRadius(int radius, int unit) {
  return (radius + 3) / unit;
}

Sample TakeSample(Running& run) {
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
  s.cpu = SampleCpu(run);
  // Usable while the middle arc is inside the client with a step to spare.
  if (s.radius > 0 && unit >= 4) {
    const int step = StepFromRadius(s.radius, unit);
    if (step >= 2 && (step + 1) * unit < run.width - 1 - cx) s.step = step;
  }
  return s;
}

void AddSample(Running& run) {
  if (SampleCount < MaxSamples) Samples[SampleCount++] = TakeSample(run);
}

// Samples the row for seconds (keeping the probe's load the same for every program).
void SampleFor(Running& run, double seconds) {
  const double end = Now() + seconds;
  while (Now() < end) {
    AddSample(run);
    Sleep(SampleMs);
  }
}

// When each step was first seen, from the samples after enter.
double FirstSeen[RunSteps + 2];
int StepLow = 0;  // the steps seen: StepLow..StepHigh
int StepHigh = 0;

void DateSteps(double enter) {
  StepLow = StepHigh = 0;
  int last = 0;
  double lastT = enter;
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

// CPU seconds above which a sample interval holds a running tick: three times the median use
// of an interval in the samples so far, taken while the program was stopped. Three intervals
// in four hold one of its ticks, so that median is what such a tick costs, whatever a stray
// bit of other work adds to the mean. The floor keeps a counter coarser than that
// (GetProcessTimes on Windows) counting every rise.
double RunningLevel = 0;
const double MinRunningLevel = 50e-6;

void SetRunningLevel() {
  static double use[MaxSamples];
  int count = 0;
  for (int i = 1; i < SampleCount; ++i) use[count++] = Samples[i].cpu - Samples[i - 1].cpu;
  double median = 0;
  if (count > 0) {
    std::nth_element(use, use + count / 2, use + count);
    median = use[count / 2];
  }
  RunningLevel = std::max(3 * median, MinRunningLevel);
}

// Whether the interval from sample i - 1 to sample i used CPU at the running level.
bool RunningInterval(int i) {
  return i > 0 && Samples[i].cpu - Samples[i - 1].cpu > RunningLevel;
}

// The end of the run from the program's CPU time, and its uncertainty: the middle of the last
// interval at the running level that has two more in the 0.3 s before it (a running program
// has a tick in three intervals of four; the stopped one's timer work can reach the level now
// and then, but alone), give or take half that interval.
void DateEnd(double* end, double* uncertainty) {
  *end = 0;
  *uncertainty = 0;
  for (int i = SampleCount - 1; i > 0; --i) {
    if (!RunningInterval(i)) continue;
    int before = 0;
    for (int j = i - 1; j > 0 && Samples[i].t - Samples[j].t <= 0.3; --j)
      before += RunningInterval(j);
    if (before < 2) continue;
    *end = 0.5 * (Samples[i - 1].t + Samples[i].t);
    *uncertainty = 0.5 * (Samples[i].t - Samples[i - 1].t);
    return;
  }
}

void PrintSamples(const char* name, double enter) {
  if (!Dump) return;
  for (int i = 0; i < SampleCount; ++i)
    printf("sample prog=%s t=%.4f radius=%d step=%d cpu=%.6f\n", name, Samples[i].t - enter,
           Samples[i].radius, Samples[i].step, Samples[i].cpu);
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

// Starts the program, sizes it, and lets it settle, stopped, as after a reset.
void Prepare(const Program& program, Running* run, int width, int height) {
  Start(program, run);
  if (width > 0 && (width != run->width || height != run->height))
    Resize(program, run, width, height);
  Sleep(1000);
  PostKey(run->child.hwnd, VK_F1);
  Sleep(500);
  if (UnderWine && !OpenThreadClock(&run->threads, run->unixPid))
    Fail("cannot read the program's threads in /proc");
}

// The CPU used while stopped, over seconds, after the run.
double MeasureIdle(const Program& program, Running& run, double seconds) {
  if (seconds <= 0) return 0;
  const Snapshot a = Take(run);
  SampleFor(run, seconds);
  const Snapshot b = Take(run);
  printf("idle prog=%s w=%d h=%d", program.name, run.width, run.height);
  PrintCpu(a, b, b.target - a.target);
  printf("\n");
  return (b.target - a.target) / (b.t - a.t);
}

// A whole run of a program that draws Lobecast's arcs (Lobecast or the arc-calls baseline), from
// a reset.
struct ArcRun {
  double window;  // seconds measured
  double wall;    // from Enter to the last step
  double tail;    // stopped, after the last step
};

ArcRun MeasureArcRun(const Program& program, int width, int height, double idle) {
  Running run;
  Prepare(program, &run, width, height);
  const int unit = run.width / 200;
  // A second stopped, sampled as in the run, for the level a running tick stands out from.
  SampleCount = 0;
  SampleFor(run, 1.0);
  SetRunningLevel();
  SampleCount = 0;
  const Snapshot s0 = Take(run);
  PostKey(run.child.hwnd, VK_RETURN);
  const double enter = Now();
  int lastRunning = 0;  // the last sample ending an interval at the running level
  for (;;) {
    if (SampleCount >= MaxSamples) Fail("too many samples");
    const int i = SampleCount++;
    Samples[i] = TakeSample(run);
    const Sample& s = Samples[i];
    if (s.t - enter > 200) Fail("the run did not end within 200 s");
    if (RunningInterval(i)) lastRunning = i;
    // Over once the arcs have left the row and the CPU use has stayed below the running level
    // for 1.5 s.
    if (s.t - enter > 0.9 * RunSteps * TickSeconds && s.step < 0 &&
        s.t - Samples[lastRunning].t >= 1.5)
      break;
    Sleep(SampleMs);
  }
  const Snapshot s1 = Take(run);
  DateSteps(enter);
  double end = 0, uncertainty = 0;
  DateEnd(&end, &uncertainty);
  if (StepHigh - StepLow < 50) Fail("too few samples showed the arc radius");
  if (end <= enter) Fail("no end of the run in the CPU counter");
  const double wall = end - enter;
  const double tail = s1.t - end;
  PrintSamples(program.name, enter);
  const double idleRate = MeasureIdle(program, run, idle);
  const DWORD code = Stop(&run);

  // The run's CPU: the measured window less the stopped tail after the last step.
  const double runCpu = (s1.target - s0.target) - idleRate * tail;
  const double period = Period(StepLow, StepHigh);
  // Cross-check: from the last step seen, the rest at the timer's pace (those steps draw off
  // the client and cost a few milliseconds each), less half a sampling period of lateness.
  const double extrapolated =
      FirstSeen[StepHigh] - enter + (RunSteps - StepHigh) * TickSeconds - SampleMs / 2000.0;
  printf(
      "run prog=%s w=%d h=%d unit=%d steps=%d wall_s=%.4f end_pm_s=%.4f wall_extrap_s=%.4f"
      " tail_s=%.3f"
      " seen=%d-%d period_ms=%.2f p1_ms=%.2f p2_ms=%.2f p3_ms=%.2f p4_ms=%.2f"
      " to_step_s=%.4f samples=%d",
      program.name, run.width, run.height, unit, RunSteps, wall, uncertainty, extrapolated, tail,
      StepLow, StepHigh, 1000 * period, 1000 * Period(1, 50), 1000 * Period(50, 100),
      1000 * Period(100, 150), 1000 * Period(150, StepHigh), FirstSeen[StepLow] - enter,
      SampleCount);
  PrintOffsets(unit);
  PrintCpu(s0, s1, runCpu);
  printf(" rc=%lu\n", code);
  fflush(stdout);
  return ArcRun{s1.t - s0.t, wall, tail};
}

// A whole Lobecast run, the same run of the arc-calls baseline, then the bare baseline over
// Lobecast's wall time with the same sampling.
void MeasureRun(int width, int height, double idle) {
  const ArcRun lobecast = MeasureArcRun(Lobecast, width, height, idle);
  if (Arcs.path) MeasureArcRun(Arcs, width, height, idle);

  // The baseline, over the same window with the same sampling.
  Running base;
  Prepare(Baseline, &base, width, height);
  SampleCount = 0;
  const Snapshot b0 = Take(base);
  PostKey(base.child.hwnd, VK_RETURN);
  SampleFor(base, lobecast.window);
  const Snapshot b1 = Take(base);
  const double baseIdleRate = MeasureIdle(Baseline, base, idle);
  const DWORD baseCode = Stop(&base);
  const double baseCpu = (b1.target - b0.target) - baseIdleRate * lobecast.tail;
  printf("run prog=baseline w=%d h=%d steps=%d wall_s=%.4f", base.width, base.height, RunSteps,
         lobecast.wall);
  PrintCpu(b0, b1, baseCpu < 0 ? 0 : baseCpu);
  printf(" rc=%lu\n", baseCode);
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
      SetPath(&Lobecast, argv[i + 1]);
    else if (strcmp(argv[i], "--baseline") == 0)
      SetPath(&Baseline, argv[i + 1]);
    else if (strcmp(argv[i], "--arcs") == 0)
      SetPath(&Arcs, argv[i + 1]);
    else if (strcmp(argv[i], "--starts") == 0)
      starts = atoi(argv[i + 1]);
    else if (strcmp(argv[i], "--sizes") == 0)
      sizes = argv[i + 1];
    else if (strcmp(argv[i], "--idle") == 0)
      idle = atof(argv[i + 1]);
    else if (strcmp(argv[i], "--dump") == 0)
      Dump = atoi(argv[i + 1]) != 0;
    else
      Fail("unknown option");
  }
  if (!Lobecast.path || !Baseline.path) {
    fprintf(stderr,
            "usage: probe.exe --lobecast EXE --baseline EXE [--arcs EXE] [--starts N]"
            " [--sizes LIST] [--idle SECONDS]\n");
    return 2;
  }

  typedef const char*(CDECL * WineVersion)();
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  const WineVersion version = ntdll ? reinterpret_cast<WineVersion>(reinterpret_cast<void*>(
                                          GetProcAddress(ntdll, "wine_get_version")))
                                    : nullptr;
  UnderWine = version != nullptr;
  if (UnderWine) {
    if (!GetEnvironmentVariableA("DISPLAY", DisplayName, sizeof DisplayName)) DisplayName[0] = 0;
    if (!GetEnvironmentVariableA("WINERUN_XVFB_PID", XvfbPid, sizeof XvfbPid)) XvfbPid[0] = 0;
    if (!GetEnvironmentVariableA("WINEPREFIX", Prefix, sizeof Prefix)) Prefix[0] = 0;
    FindUnixProcess(nullptr);
    if (!WineServerPid || (DisplayName[0] && !XServerPid))
      Fail("cannot find the X server or the wineserver in /proc");
  }
  if (!Reserve(grab, GrabStride, GrabRows)) Fail("cannot create the DIB section");
  printf("env wine=%s screen=%dx%d cpus=%d xvfb_pid=%ld server_pid=%ld\n",
         version ? version() : "none", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
         CpuCount(), XServerPid, WineServerPid);
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
