// The static screen: heading, angle line, notice, help lines and the antenna figure.
#include "app/paint.h"

#include "app/animation.h"
#include "app/objects.h"
#include "lobecast_version.h"
#include "model/antenna.h"
#include "model/steering.h"
#include "model/wavefronts.h"

int LineHeight = 0;
int AvgCharWidth = 0;

namespace {
const COLORREF HelpColor = 0x0000FF;

void Measure(HDC dc) {
  TEXTMETRICA tm;
  GetTextMetricsA(dc, &tm);
  LineHeight = tm.tmHeight + tm.tmExternalLeading;
  AvgCharWidth = tm.tmAveCharWidth;
}

// Each text is its own format, so the length drawn is the one wsprintfA reports.
void Say(HDC dc, int x, int y, const char* text) {
  char buffer[100];
  const int length = wsprintfA(buffer, text);
  TextOutA(dc, x, y, buffer, length);
}
}  // namespace

void OnPaint(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  const int w = ClientWidth;
  const int h = ClientHeight;
  char buffer[100];

  SelectObject(dc, FontTitle);
  Measure(dc);
  SetTextAlign(dc, TA_CENTER | TA_TOP);
  Say(dc, w / 2, 0, "Lobecast");

  // The subtitle font is not measured: its lines are spaced by the heading's height.
  SelectObject(dc, FontSubtitle);
  SetTextAlign(dc, TA_CENTER | TA_TOP);
  Say(dc, w / 2, LineHeight, "Electronically steered beam");
  const int length = wsprintfA(buffer, "Beam angle = %d degrees", BeamAngle);
  TextOutA(dc, w / 2, (3 * LineHeight) / 2, buffer, length);

  SelectObject(dc, FontSmall);
  Measure(dc);
  SetTextAlign(dc, TA_RIGHT | TA_TOP);
  Say(dc, w - 2 * AvgCharWidth, 0, "Lobecast " LOBECAST_VERSION);
  Say(dc, w - 2 * AvgCharWidth, LineHeight, "Beam steering demonstration");

  SetTextAlign(dc, TA_LEFT | TA_TOP);
  SetTextColor(dc, HelpColor);
  Say(dc, 10, h - 4 * LineHeight, "Press ENTER to start/pause/restart program");
  Say(dc, 10, h - 3 * LineHeight, "Press F1 to reset program");
  Say(dc, 10, h - 2 * LineHeight, "Press F2 to enter new phase angle");

  DrawAntenna(dc, w, h, PenElement, PenFeed);

  // Put back the arcs that the erase took from the repainted area, so the next tick's
  // inverting pass finds exactly the arcs it removes and leaves no fragments behind.
  // Needs an erased update region: F1/F2 invalidate with erase; resizes erase with the class brush.
  if (TickCount > 0) {
    SetROP2(dc, R2_NOTXORPEN);
    DrawWavefronts(dc, w, h, PenWave, TickCount);
  }
  EndPaint(hwnd, &ps);
}
