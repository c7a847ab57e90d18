// The static screen: heading, angle line, notice, help lines and the antenna figure.
#pragma once

#include "platform/window.h"

// Line height and average character width of the font measured last.
extern int LineHeight;
extern int AvgCharWidth;

void OnPaint(HWND hwnd);
