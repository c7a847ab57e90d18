// The main window: its procedure, the client size it keeps and the program's entry point.
#pragma once

#include "platform/window.h"

// Client area size in pixels, from the latest size message (0 before the first).
extern int ClientWidth;
extern int ClientHeight;
// The one animation timer and its period.
constexpr UINT_PTR TimerId = 1;
constexpr UINT TimerPeriodMs = 50;

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);
