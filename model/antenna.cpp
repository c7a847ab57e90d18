// Antenna figure: the five element bars and the feed network that joins them.
#include "antenna.h"

#include "geometry.h"

namespace {
void Line(HDC dc, int x0, int y0, int x1, int y1) {
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
}
}  // namespace

void DrawAntenna(HDC dc, int width, int height, HPEN elementPen, HPEN feedPen) {
  const int cx = ElementColumn(width);
  const int c = height / 50;  // half a bar
  int y[ElementCount];
  ElementRows(height, y);
  const int jx = cx - width / 10;  // junction
  const int fx = width / 20;       // feed point

  SelectObject(dc, elementPen);
  for (int i = 0; i < ElementCount; ++i) Line(dc, cx, y[i] - c, cx, y[i] + c);

  SelectObject(dc, feedPen);
  Line(dc, cx, y[0], jx, y[2]);
  Line(dc, cx, y[1], jx, y[2]);
  Line(dc, cx, y[2], fx, y[2]);  // the main feed runs on through the junction
  Line(dc, cx, y[3], jx, y[2]);
  Line(dc, cx, y[4], jx, y[2]);
}
