// Acceptance driver for lobecast.exe: checks, pictures, the arc analysis and the program under
// test.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "harness.h"

#if defined(__GNUC__)
#define E2E_PRINTF(f, a) __attribute__((format(printf, f, a)))
#else
#define E2E_PRINTF(f, a)
#endif

// ---- Checks and output ---------------------------------------------------------------------

// Thrown by Require: the scenario cannot go on.
struct Fatal {
  std::string what;
};

// Prints one line to stdout (flushed, so CTest sees it as it happens).
void Say(const char* format, ...) E2E_PRINTF(1, 2);
// Records a check: prints "ok" or "FAIL" with the message; returns ok.
bool Check(bool ok, const char* format, ...) E2E_PRINTF(2, 3);
// Like Check, but a failure ends the scenario (throws Fatal).
void Require(bool ok, const char* format, ...) E2E_PRINTF(2, 3);
int CheckCount();
int FailureCount();

// Milliseconds since an arbitrary start (GetTickCount, wraps after 49 days).
DWORD Now();
const DWORD Bound = 10000;  // every wait on a condition gives up after this
// "a,b,c" of the first max numbers, ",..." for the rest; "none" when there are none.
std::string Join(const std::vector<int>& v, size_t max);

// ---- Pictures ------------------------------------------------------------------------------

// A client-area picture: 0x00RRGGBB per pixel, rows top to bottom.
struct Image {
  int w = 0;
  int h = 0;
  std::vector<std::uint32_t> px;
  std::uint32_t At(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h; }
};
bool operator==(const Image& a, const Image& b);
inline bool operator!=(const Image& a, const Image& b) {
  return !(a == b);
}

// 32-bit top-down BMP files, for the probe commands and for pictures kept after a failure.
bool SaveBmp(const Image& image, const std::string& path);
bool LoadBmp(const std::string& path, Image& image);
// Saves image as <LOBECAST_E2E_ARTIFACTS>/<name>.bmp when that variable names a folder.
void KeepPicture(const Image& image, const std::string& name);

// ---- Geometry of the drawing ---------------------------------------------------------------

const int Elements = 5;

// Everything the program derives from the client size (integer, truncating division).
struct Geometry {
  int w = 0, h = 0;
  int cx = 0;    // element column
  int u = 0;     // radius growth per step
  int half = 0;  // half the client height
  int c = 0;     // half a bar
  int jx = 0;    // feed junction x
  int fx = 0;    // feed point x
  int y[Elements] = {};
};
Geometry GeometryFor(int w, int h);
// Element delays for a phase step, top to bottom.
void DelaysFor(int step, int delay[Elements]);

// Areas holding static text, left out of the arc analysis.
struct Masks {
  int topEnd = 0;  // rows above this hold the heading, subtitle, angle line and notice
  int hx0 = 0, hy0 = 0, hx1 = 0, hy1 = 0;  // help text box, half-open
  bool Masked(int x, int y) const {
    return y < topEnd || (x >= hx0 && x < hx1 && y >= hy0 && y < hy1);
  }
  // The same masks on a client whose height changed by dh (the help text hangs from the bottom).
  Masks ShiftedDown(int dh) const;
};

// ---- The static screen ---------------------------------------------------------------------

// Whether the pixel at (x, y) may belong to black text, however the text was smoothed: grey
// antialiasing leaves grey, ClearType colours the edges but darkens each channel somewhere
// within two columns. Red text never lowers the red channel, so it never passes.
bool BlackText(const Image& image, int x, int y);
// True when the antenna bars are drawn where the geometry puts them (the paint has finished).
bool BarsDrawn(const Image& image, const Geometry& g);
// Checks the antenna figure pixel by pixel; returns whether all checks passed.
bool CheckAntenna(const Image& image, const Geometry& g);
// Measures the text areas of a static screen; false (with a reason) when they are not found.
bool MeasureMasks(const Image& image, const Geometry& g, Masks& masks, std::string& why);
// Last row (exclusive) of the heading in the centre columns, or 0.
int HeadingEnd(const Image& image);
// Number of separate lines of red text in the help box.
int HelpTextLines(const Image& image, const Masks& masks);

// ---- The arc analysis ----------------------------------------------------------------------

struct Analysis {
  int redPixels = 0;  // red-ish pixels outside the masks
  // Per element, every age whose arc is really on the screen (independent of any delay rule).
  std::vector<int> ages[Elements];
  // All five elements fitted with exactly one age each.
  bool allFive = false;
  int age[Elements] = {};      // valid when allFive
  int step = 0;                // phase step implied by the fitted ages, valid when allFive
  int radialOffsetTenths = 0;  // mean (distance - radius) of arc pixels, in tenths of a pixel
};

// Fits arcs to the picture element by element, without assuming any delays.
Analysis Analyse(const Image& image, const Geometry& g, const Masks& m);
// Whether the arcs of step n with phase step s explain every red-ish pixel outside the masks
// and each of them is really present; why says what did not fit.
bool StepExplains(const Image& image, const Geometry& g, const Masks& m, int s, int n,
                  std::string* why);
// Every n in 0..maxStep that StepExplains with phase step s.
std::vector<int> ConsistentSteps(const Image& image, const Geometry& g, const Masks& m, int s,
                                 int maxStep = 320);
std::string Describe(const Analysis& a, const Geometry& g);

// Says why the largest age found with phase step s does not explain a picture that failed its
// judgement, and keeps the picture as name.
void ExplainMisfit(const Image& image, const Geometry& g, const Masks& m, const Analysis& a, int s,
                   const std::string& name);

// ---- The program under test ----------------------------------------------------------------

// Closes with WM_CLOSE and checks the exit code.
void CloseTarget(Child& t);
// The client area now; a failed capture ends the scenario.
Image Capture(HWND hwnd);
// Waits until successive captures about 100 ms apart are identical (three in a row).
bool WaitStable(HWND hwnd, DWORD timeoutMs, Image& image);
// Waits until a paint at geometry g has drawn the bars and the picture is still (what names the
// paint in the checks; a failure keeps the picture as label and ends the scenario).
Image Painted(HWND hwnd, const Geometry& g, const char* what, const char* label);

// The static screen as the program first paints it, and what was measured on it.
struct Screen {
  Geometry g;
  Masks m;
  Image image;
};
// Waits for the first paint at the current size and measures the text areas.
Screen StaticScreen(HWND hwnd, const char* label);
// Starts exe, waits (bounded) for its main window and its static screen (label names the
// picture kept on a failure); a failure ends the scenario.
Screen StartTarget(const std::string& exe, Child& t, const char* label);
