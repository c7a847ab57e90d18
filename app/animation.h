// Animation state and the command keys: Enter runs and pauses, F1 resets, F2 asks for an angle.
#pragma once

#include "platform/window.h"

// Whether timer ticks advance the animation (0 or 1).
extern int Running;
// The step whose arcs are on the screen now; 0 means none.
extern int TickCount;
// A tick that takes TickCount above this stops the animation.
constexpr int MaxTick = 250;

void OnTimerTick(HWND hwnd);
void OnKeyDown(HWND hwnd, WPARAM virtualKey);

// Provided by the window layer (win/), which keeps them and runs the dialog.
// Client area size in pixels, from the latest size message (0 before the first).
extern int ClientWidth;
extern int ClientHeight;
// Runs the angle dialog modally over owner; returns when it has closed.
void RunAngleDialog(HWND owner);
