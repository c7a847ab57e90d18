// The main window: its procedure, its timer and the program's entry point.
#pragma once

#include "platform/window.h"

// The one animation timer and its period.
constexpr UINT_PTR TimerId = 1;
constexpr UINT TimerPeriodMs = 50;

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
int WINAPI WinMain(_In_ HINSTANCE instance, _In_opt_ HINSTANCE previous, _In_ LPSTR commandLine,
                   _In_ int showCommand);
