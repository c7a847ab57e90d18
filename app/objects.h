// Pens and fonts of the main window, made with the window and deleted with it.
#pragma once

#include "platform/window.h"

extern HPEN PenElement;  // element bars: solid, 4 px, black
extern HPEN PenWave;     // wavefront arcs: solid, 2 px, red
extern HPEN PenFeed;     // feed lines: solid, 2 px, black
extern HFONT FontTitle;
extern HFONT FontSubtitle;
extern HFONT FontSmall;
// Width of a full-screen client area when the window was created; chooses the font heights.
extern int ScreenWidth;

void OnCreate(HWND hwnd);
void OnDestroyObjects();
