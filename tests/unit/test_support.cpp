// Shared helpers for the host tests: a clean stand-in and program state for every test.
#include "test_support.h"

#include "app/animation.h"
#include "app/objects.h"
#include "app/paint.h"
#include "model/steering.h"
#include "win/main_window.h"

void ResetProgramState() {
  fake::Reset();
  BeamAngle = 0;
  PhaseStep = 0;
  for (int& delay : ElementDelay) delay = 0;
  Running = 0;
  TickCount = 0;
  LineHeight = 0;
  AvgCharWidth = 0;
  PenElement = PenWave = PenFeed = nullptr;
  FontTitle = FontSubtitle = FontSmall = nullptr;
  ScreenWidth = 0;
  ClientWidth = 0;
  ClientHeight = 0;
}
