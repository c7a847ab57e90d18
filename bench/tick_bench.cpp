// The program's own cost of one animation tick on the host: OnTimerTick and DrawWavefronts
// against the no-op platform, beside their baseline, the same platform calls made bare.
#include <benchmark/benchmark.h>

#include "app/animation.h"
#include "app/objects.h"
#include "model/steering.h"
#include "model/wavefronts.h"

namespace {
HWND Window() {
  return CreateWindowExA(0, "Lobecast", "Lobecast", WS_OVERLAPPEDWINDOW, 0, 0, 1000, 700, nullptr,
                         nullptr, nullptr, nullptr);
}

// The window's state after WM_CREATE and WM_SIZE, reset and stopped at the given angle.
void Prepare(HWND hwnd, int width, int height, int angle) {
  OnCreate(hwnd);
  ClientWidth = width;
  ClientHeight = height;
  SetBeamAngle(angle);
  Running = 0;
  TickCount = 0;
}

// One whole run from a reset must take RunSteps ticks and stop by itself.
bool RunEndsAfter251Ticks(HWND hwnd) {
  Running = 1;
  TickCount = 0;
  int ticks = 0;
  while (Running == 1 && ticks < 1000) {
    OnTimerTick(hwnd);
    ++ticks;
  }
  return ticks == MaxTick + 1 && TickCount == MaxTick + 1 && Running == 0;
}

// Ticks of runs following each other (as Enter after the end, with a reset): every step of a
// run weighs as in a real one.
void BM_OnTimerTick(benchmark::State& state) {
  HWND hwnd = Window();
  Prepare(hwnd, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
          static_cast<int>(state.range(2)));
  if (!RunEndsAfter251Ticks(hwnd)) {
    state.SkipWithError("a run from a reset did not stop after 251 ticks");
    return;
  }
  Running = 1;
  TickCount = 0;
  for (auto _ : state) {
    OnTimerTick(hwnd);
    if (Running != 1) {
      Running = 1;
      TickCount = 0;
    }
  }
  benchmark::DoNotOptimize(TickCount);
  state.SetItemsProcessed(state.iterations());
  OnDestroyObjects();
}

// One call at the middle of a run, where every element radiates.
void BM_DrawWavefronts(benchmark::State& state) {
  HWND hwnd = Window();
  Prepare(hwnd, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
          static_cast<int>(state.range(2)));
  HDC dc = GetDC(hwnd);
  int step = 125;
  for (auto _ : state) {
    benchmark::DoNotOptimize(step);
    DrawWavefronts(dc, ClientWidth, ClientHeight, PenWave, step);
  }
  ReleaseDC(hwnd, dc);
  state.SetItemsProcessed(state.iterations());
  OnDestroyObjects();
}

// Baseline: the platform calls of one tick in the middle of a run at 992 x 673 (the arcs of
// steps 125 and 126), their arguments worked out before timing, so only the calls are timed.
struct ArcCall {
  int left, top, right, bottom, xStart, yStart, xEnd, yEnd;
};

void PlanArcs(ArcCall (&arcs)[5], int width, int height, int step) {
  const int cx = width / 5;
  const int r = (width / 200) * step;
  const int xs = cx + (width / 200) * (step / 2);
  for (int i = 0; i < 5; ++i) {
    const int y = ((3 + i) * height) / 10;
    arcs[i] = {cx - r, y - r, cx + r, y + r, xs, y + height / 2, xs, y - height / 2};
  }
}

void BM_TickCallsOnly(benchmark::State& state) {
  HWND hwnd = Window();
  HPEN pen = CreatePen(PS_SOLID, 2, 0x0000FF);
  ArcCall erase[5];
  ArcCall draw[5];
  PlanArcs(erase, 992, 673, 125);
  PlanArcs(draw, 992, 673, 126);
  for (auto _ : state) {
    benchmark::DoNotOptimize(erase[0]);
    benchmark::DoNotOptimize(draw[0]);
    HDC dc = GetDC(hwnd);
    SetROP2(dc, R2_NOTXORPEN);
    SelectObject(dc, pen);
    for (int i = 0; i < 5; ++i) {
      const ArcCall& a = erase[i];
      Arc(dc, a.left, a.top, a.right, a.bottom, a.xStart, a.yStart, a.xEnd, a.yEnd);
    }
    SelectObject(dc, pen);
    for (int i = 0; i < 5; ++i) {
      const ArcCall& a = draw[i];
      Arc(dc, a.left, a.top, a.right, a.bottom, a.xStart, a.yStart, a.xEnd, a.yEnd);
    }
    ReleaseDC(hwnd, dc);
  }
  DeleteObject(pen);
  state.SetItemsProcessed(state.iterations());
}
}  // namespace

// Client sizes about 1000 x 700, 1920 x 1080 and 3840 x 2160; angles 0 and 45 degrees.
BENCHMARK(BM_OnTimerTick)
    ->ArgNames({"w", "h", "angle"})
    ->Args({992, 673, 0})
    ->Args({1920, 1080, 0})
    ->Args({3840, 2160, 0})
    ->Args({992, 673, 45});
BENCHMARK(BM_DrawWavefronts)
    ->ArgNames({"w", "h", "angle"})
    ->Args({992, 673, 0})
    ->Args({992, 673, 45});
BENCHMARK(BM_TickCallsOnly);

BENCHMARK_MAIN();
