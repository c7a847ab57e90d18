// Wavefront arcs: one circular arc per radiating element for an animation step.
#pragma once

#include "platform/graphics.h"

// Draws with pen the arcs of step n at a client size of width x height. Deterministic, so
// that under an inverting mix a second identical call erases the first. Leaves pen selected.
void DrawWavefronts(HDC dc, int width, int height, HPEN pen, int n);
