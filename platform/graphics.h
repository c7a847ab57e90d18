// The graphics device operations the program draws with: <windows.h> on Windows, elsewhere
// the same names, values and signatures for the base types, handles and GDI subset it uses.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else

#include <cstdint>

#define WINAPI
#define CALLBACK
#define WINAPIV

typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef std::uint32_t DWORD;
typedef std::int32_t LONG;
typedef unsigned int UINT;
typedef char CHAR;
typedef WORD ATOM;
typedef DWORD COLORREF;
typedef std::intptr_t INT_PTR;
typedef std::uintptr_t UINT_PTR;
typedef std::intptr_t LONG_PTR;
typedef std::uintptr_t ULONG_PTR;
typedef std::uintptr_t DWORD_PTR;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef void* LPVOID;

#define FALSE 0
#define TRUE 1

// Distinct handle types, as <windows.h> declares them with STRICT.
#define LOBECAST_DECLARE_HANDLE(name) \
  struct name##__ {                   \
    int unused;                       \
  };                                  \
  typedef struct name##__* name
LOBECAST_DECLARE_HANDLE(HWND);
LOBECAST_DECLARE_HANDLE(HDC);
LOBECAST_DECLARE_HANDLE(HPEN);
LOBECAST_DECLARE_HANDLE(HFONT);
LOBECAST_DECLARE_HANDLE(HBRUSH);
LOBECAST_DECLARE_HANDLE(HICON);
LOBECAST_DECLARE_HANDLE(HMENU);
LOBECAST_DECLARE_HANDLE(HINSTANCE);
#undef LOBECAST_DECLARE_HANDLE
typedef HICON HCURSOR;
typedef HINSTANCE HMODULE;
typedef void* HGDIOBJ;

typedef struct tagPOINT {
  LONG x;
  LONG y;
} POINT, *LPPOINT;

typedef struct tagRECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
} RECT;

#define LOWORD(l) ((WORD)(((DWORD_PTR)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((DWORD_PTR)(l)) >> 16) & 0xffff))
#define MAKEINTRESOURCEA(i) ((LPSTR)((ULONG_PTR)((WORD)(i))))

// Graphics constants.
#define PS_SOLID 0
#define WHITE_BRUSH 0
#define R2_NOTXORPEN 10
#define TA_LEFT 0
#define TA_RIGHT 2
#define TA_CENTER 6
#define TA_TOP 0
#define ANSI_CHARSET 0
#define OUT_DEFAULT_PRECIS 0
#define CLIP_DEFAULT_PRECIS 0
#define DEFAULT_QUALITY 0
#define DEFAULT_PITCH 0
#define FF_DONTCARE 0
#define FW_DONTCARE 0
#define LF_FACESIZE 32

typedef struct tagLOGFONTA {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  CHAR lfFaceName[LF_FACESIZE];
} LOGFONTA;

typedef struct tagTEXTMETRICA {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  BYTE tmFirstChar;
  BYTE tmLastChar;
  BYTE tmDefaultChar;
  BYTE tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
} TEXTMETRICA, *LPTEXTMETRICA;

extern "C" {
HPEN WINAPI CreatePen(int style, int width, COLORREF color);
HFONT WINAPI CreateFontIndirectA(const LOGFONTA* font);
BOOL WINAPI DeleteObject(HGDIOBJ object);
HGDIOBJ WINAPI GetStockObject(int index);
HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object);
BOOL WINAPI MoveToEx(HDC dc, int x, int y, LPPOINT previous);
BOOL WINAPI LineTo(HDC dc, int x, int y);
BOOL WINAPI Arc(HDC dc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd,
                int yEnd);
int WINAPI SetROP2(HDC dc, int mode);
BOOL WINAPI GetTextMetricsA(HDC dc, LPTEXTMETRICA metrics);
UINT WINAPI SetTextAlign(HDC dc, UINT align);
COLORREF WINAPI SetTextColor(HDC dc, COLORREF color);
BOOL WINAPI TextOutA(HDC dc, int x, int y, LPCSTR text, int length);
}

#endif
