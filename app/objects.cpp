// Pens and fonts of the main window, made with the window and deleted with it.
#include "app/objects.h"

HPEN PenElement = nullptr;
HPEN PenWave = nullptr;
HPEN PenFeed = nullptr;
HFONT FontTitle = nullptr;
HFONT FontSubtitle = nullptr;
HFONT FontSmall = nullptr;
int ScreenWidth = 0;

namespace {
const COLORREF Black = 0x000000;
const COLORREF Red = 0x0000FF;

HFONT CreateTextFont(LOGFONTA& font, LONG height) {
  font.lfHeight = height;
  return CreateFontIndirectA(&font);
}
}  // namespace

void OnCreate(HWND) {
  PenElement = CreatePen(PS_SOLID, 4, Black);
  PenWave = CreatePen(PS_SOLID, 2, Red);
  PenFeed = CreatePen(PS_SOLID, 2, Black);

  ScreenWidth = GetSystemMetrics(SM_CXFULLSCREEN);
  const bool wide = ScreenWidth > 1000;
  const bool narrow = ScreenWidth <= 700;

  // One record for all three fonts: only the height changes.
  LOGFONTA font = {};
  font.lfWeight = FW_DONTCARE;
  font.lfCharSet = ANSI_CHARSET;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  const char face[] = "Arial Bold";
  static_assert(sizeof face <= LF_FACESIZE, "face name too long");
  for (unsigned i = 0; i < sizeof face; ++i) font.lfFaceName[i] = face[i];

  FontTitle = CreateTextFont(font, wide ? 50 : narrow ? 30 : 40);
  FontSubtitle = CreateTextFont(font, wide ? 25 : 20);
  FontSmall = CreateTextFont(font, wide ? 17 : narrow ? 13 : 15);
}

void OnDestroyObjects() {
  DeleteObject(PenElement);
  DeleteObject(PenWave);
  DeleteObject(PenFeed);
  DeleteObject(FontTitle);
  DeleteObject(FontSubtitle);
  DeleteObject(FontSmall);
}
