// Platform names that only the tests and the stand-in platforms use; the program needs none.
#pragma once

#include "platform/window.h"

#ifndef _WIN32  // <windows.h> has them on Windows
#define MAKELONG(a, b) \
  ((LONG)(((WORD)(((DWORD_PTR)(a)) & 0xffff)) | ((DWORD)((WORD)(((DWORD_PTR)(b)) & 0xffff))) << 16))
#define R2_COPYPEN 13
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_ERASEBKGND 0x0014
#define WM_CHAR 0x0102
#define WM_CTLCOLOREDIT 0x0133
#define WM_CTLCOLORSTATIC 0x0138
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define SW_SHOWNORMAL 1
#define SW_SHOWMAXIMIZED 3
#define SW_SHOWDEFAULT 10
#define IDRETRY 4
#endif
