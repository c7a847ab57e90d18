// The phase angle dialog: shows the beam angle and takes a new one.
#pragma once

#include "platform/window.h"
#include "res/resource.h"

// Dialog template and edit control ids in the program's resources.
constexpr int AngleDialogId = IDD_ANGLE;
constexpr int AngleEditId = IDC_ANGLE_EDIT;

INT_PTR CALLBACK AngleDialogProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);

// Reads a decimal integer leniently: leading blanks, one sign, digits up to the first
// non-digit; no digits give 0 and values beyond 32 bits saturate.
int ParseAngle(const char* text);
