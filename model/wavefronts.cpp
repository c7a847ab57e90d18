// Wavefront arcs: one circular arc per radiating element for an animation step.
#include "wavefronts.h"

#include "geometry.h"
#include "steering.h"

void DrawWavefronts(HDC dc, int width, int height, HPEN pen, int n) {
  const int cx = ElementColumn(width);
  const int u = width / 200;  // radius growth per tick
  const int half = height / 2;
  int y[ElementCount];
  ElementRows(height, y);

  ComputeElementDelays();
  SelectObject(dc, pen);
  for (int i = 0; i < ElementCount; ++i) {
    const int d = ElementDelay[i];
    if (n > d) {
      const int age = n - d;
      const int r = u * age;
      // Start below and end above the centre, so the counterclockwise arc is the right-hand part.
      const int xs = cx + u * (age / 2);
      Arc(dc, cx - r, y[i] - r, cx + r, y[i] + r, xs, y[i] + half, xs, y[i] - half);
    }
  }
}
