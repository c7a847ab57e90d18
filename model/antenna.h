// Antenna figure: the five element bars and the feed network that joins them.
#pragma once

#include "platform/graphics.h"

// Draws the bars with elementPen, then the five feed lines with feedPen, which stays selected.
void DrawAntenna(HDC dc, int width, int height, HPEN elementPen, HPEN feedPen);
