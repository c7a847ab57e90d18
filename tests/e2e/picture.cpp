// Acceptance driver: pictures, and judging the static screen and the arcs in them.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "e2e.h"

namespace {
// GDI strokes the circle inscribed in the arc's rectangle, whose right and bottom edges are
// exclusive: its centre lies half a pixel up and left of (cx, y) and the 2-pixel pen covers
// about r - 2.5 .. r - 0.5 from there (Wine flattens large arcs into segments, whose joins
// reach out to about r + 2). Samples run along the middle of the main band.
const double CentreShift = -0.5;
const double PenMiddle = -1.5;
// A red pixel belongs to an arc when its distance from the arc's centre lies in this band.
const double BandInside = -3.0;
const double BandOutside = 2.5;
// An arc counts as present when at least this share of its visible samples hold ink.
const int PresentPercent = 80;
// Fewer visible samples than this: too little of the arc is on the screen to judge it.
const int MinJudged = 12;
// An arc is fitted (found without knowing any delay) only with at least this many samples.
const int MinFitted = 30;
}  // namespace

bool operator==(const Image& a, const Image& b) {
  return a.w == b.w && a.h == b.h && a.px == b.px;
}

bool SaveBmp(const Image& image, const std::string& path) {
  BITMAPINFOHEADER info = {};
  info.biSize = sizeof info;
  info.biWidth = image.w;
  info.biHeight = -image.h;  // top-down rows
  info.biPlanes = 1;
  info.biBitCount = 32;
  info.biCompression = BI_RGB;
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = static_cast<DWORD>(sizeof file + sizeof info);
  file.bfSize = file.bfOffBits + static_cast<DWORD>(image.px.size() * 4);
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(&file, sizeof file, 1, f) == 1 &&
                  std::fwrite(&info, sizeof info, 1, f) == 1 &&
                  std::fwrite(image.px.data(), 4, image.px.size(), f) == image.px.size();
  return std::fclose(f) == 0 && ok;
}

// Reads what SaveBmp writes.
bool LoadBmp(const std::string& path, Image& image) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  BITMAPFILEHEADER file;
  BITMAPINFOHEADER info;
  bool ok = std::fread(&file, sizeof file, 1, f) == 1 &&
            std::fread(&info, sizeof info, 1, f) == 1 && file.bfType == 0x4D42 &&
            file.bfOffBits == sizeof file + sizeof info && info.biBitCount == 32 &&
            info.biWidth > 0 && info.biHeight < 0;
  if (ok) {
    image.w = info.biWidth;
    image.h = -info.biHeight;
    image.px.resize(static_cast<size_t>(image.w) * image.h);
    ok = std::fread(image.px.data(), 4, image.px.size(), f) == image.px.size();
  }
  std::fclose(f);
  return ok;
}

void KeepPicture(const Image& image, const std::string& name) {
  const char* dir = std::getenv("LOBECAST_E2E_ARTIFACTS");
  if (!dir || !*dir || image.w == 0) return;
  CreateDirectoryA(dir, nullptr);
  std::string file;
  for (char c : name) file += std::isalnum(static_cast<unsigned char>(c)) ? c : '-';
  const std::string path = std::string(dir) + "\\" + file + ".bmp";
  if (SaveBmp(image, path)) Say("  picture kept: %s", path.c_str());
}

// ---- Geometry ------------------------------------------------------------------------------

Geometry GeometryFor(int w, int h) {
  Geometry g;
  g.w = w;
  g.h = h;
  g.cx = w / 5;
  g.u = w / 200;
  g.half = h / 2;
  g.c = h / 50;
  g.jx = g.cx - w / 10;
  g.fx = w / 20;
  for (int i = 0; i < Elements; ++i) g.y[i] = ((3 + i) * h) / 10;
  return g;
}

void DelaysFor(int step, int delay[Elements]) {
  for (int i = 0; i < Elements; ++i)
    delay[i] = step >= 0 ? (Elements - 1 - i) * step : std::abs(i * step);
}

Masks Masks::ShiftedDown(int dh) const {
  Masks m = *this;
  m.hy0 += dh;
  m.hy1 += dh;
  return m;
}

// ---- The static screen ---------------------------------------------------------------------

namespace {
struct Segment {
  int x0, y0, x1, y1;
};

// The ten strokes of the antenna figure: five bars, then the five feed lines.
std::vector<Segment> AntennaSegments(const Geometry& g) {
  std::vector<Segment> s;
  for (int i = 0; i < Elements; ++i) s.push_back({g.cx, g.y[i] - g.c, g.cx, g.y[i] + g.c});
  s.push_back({g.cx, g.y[0], g.jx, g.y[2]});
  s.push_back({g.cx, g.y[1], g.jx, g.y[2]});
  s.push_back({g.cx, g.y[2], g.fx, g.y[2]});
  s.push_back({g.cx, g.y[3], g.jx, g.y[2]});
  s.push_back({g.cx, g.y[4], g.jx, g.y[2]});
  return s;
}

double DistanceToSegment(double px, double py, const Segment& s) {
  const double dx = s.x1 - s.x0, dy = s.y1 - s.y0;
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((px - s.x0) * dx + (py - s.y0) * dy) / len2 : 0;
  if (t < 0) t = 0;
  if (t > 1) t = 1;
  const double ex = s.x0 + t * dx - px, ey = s.y0 + t * dy - py;
  return std::sqrt(ex * ex + ey * ey);
}

bool BlackNear(const Image& im, int x, int y, int reach) {
  for (int dy = -reach; dy <= reach; ++dy)
    for (int dx = -reach; dx <= reach; ++dx)
      if (im.Inside(x + dx, y + dy) && im.At(x + dx, y + dy) == Black) return true;
  return false;
}
}  // namespace

bool BlackText(const Image& im, int x, int y) {
  if (IsGrey(im.At(x, y))) return true;
  int r = 0xFF, gr = 0xFF, b = 0xFF;
  for (int v = y - 1; v <= y + 1; ++v)
    for (int u = x - 2; u <= x + 2; ++u)
      if (im.Inside(u, v)) {
        const std::uint32_t q = im.At(u, v);
        r = std::min(r, Red(q)), gr = std::min(gr, Green(q)), b = std::min(b, Blue(q));
      }
  return r < 0xC0 && gr < 0xC0 && b < 0xC0;
}

bool BarsDrawn(const Image& im, const Geometry& g) {
  if (im.w != g.w || im.h != g.h) return false;
  for (int i = 0; i < Elements; ++i) {
    const int y0 = g.y[i] - g.c / 2, y1 = g.y[i] + g.c / 2;
    if (!im.Inside(g.cx, y0) || !im.Inside(g.cx, y1)) return false;
    if (im.At(g.cx, y0) != Black || im.At(g.cx, y1) != Black) return false;
  }
  return true;
}

bool CheckAntenna(const Image& im, const Geometry& g) {
  bool all = true;
  // The bars: solid black down the column, about 4 pixels wide, ending near y +- c.
  for (int i = 0; i < Elements; ++i) {
    int gaps = 0;
    for (int y = g.y[i] - g.c + 1; y <= g.y[i] + g.c - 1; ++y)
      if (im.At(g.cx, y) != Black || im.At(g.cx - 1, y) != Black) ++gaps;
    // Measured on the side of the bar away from its feed line (the lower feeds rise leftwards).
    const int row = i < 2 ? g.y[i] - g.c / 2 : g.y[i] + g.c / 2;
    int width = 0;
    for (int x = g.cx - 6; x <= g.cx + 6; ++x) width += im.At(x, row) == Black;
    int top = g.y[i], bottom = g.y[i];
    while (top > g.y[i] - g.c - 8 && im.At(g.cx, top - 1) == Black) --top;
    while (bottom < g.y[i] + g.c + 8 && im.At(g.cx, bottom + 1) == Black) ++bottom;
    all &= Check(gaps == 0 && width >= 3 && width <= 5 && std::abs(top - (g.y[i] - g.c)) <= 3 &&
                     std::abs(bottom - (g.y[i] + g.c)) <= 3,
                 "element %d: black bar at x=%d from y=%d to %d (expected %d..%d), %d px wide, "
                 "%d gaps",
                 i, g.cx, top, bottom, g.y[i] - g.c, g.y[i] + g.c, width, gaps);
  }
  // The feed lines: black all along each of the five strokes.
  const std::vector<Segment> segments = AntennaSegments(g);
  for (size_t k = Elements; k < segments.size(); ++k) {
    const Segment& s = segments[k];
    int samples = 0, misses = 0;
    for (int t = 3; t <= 97; t += 2) {
      const int x = s.x0 + ((s.x1 - s.x0) * t) / 100;
      const int y = s.y0 + ((s.y1 - s.y0) * t) / 100;
      ++samples;
      if (!BlackNear(im, x, y, 1)) ++misses;
    }
    all &= Check(misses == 0, "feed line (%d,%d)-(%d,%d): black at %d of %d points", s.x0, s.y0,
                 s.x1, s.y1, samples - misses, samples);
  }
  // Between the fan's lines and around the main feed: white.
  int whiteMisses = 0;
  for (int k = 0; k + 1 < Elements; ++k) {
    const int ya = g.y[k] + (g.y[2] - g.y[k]) / 2, yb = g.y[k + 1] + (g.y[2] - g.y[k + 1]) / 2;
    const int x = g.cx + (g.jx - g.cx) / 2;
    if (k == 1 || k == 2) continue;  // the middle pairs meet the horizontal feed
    if (im.At(x, (ya + yb) / 2) != White) ++whiteMisses;
  }
  for (int x = g.fx + 4; x < g.jx - 6; x += 4)
    if (im.At(x, g.y[2] - 5) != White || im.At(x, g.y[2] + 5) != White) ++whiteMisses;
  for (int x = 0; x < g.fx - 3; ++x)
    if (im.At(x, g.y[2]) != White || im.At(x, g.y[2] - 1) != White) ++whiteMisses;
  all &= Check(whiteMisses == 0,
               "white between the feed lines and left of the feed point x=%d "
               "(%d non-white samples)",
               g.fx, whiteMisses);
  // Nothing in the figure's area that the ten strokes do not explain.
  int stray = 0, coloured = 0, firstX = -1, firstY = -1;
  for (int y = g.y[0] - g.c - 8; y <= g.y[4] + g.c + 8; ++y) {
    for (int x = 0; x <= g.cx + 8; ++x) {
      const std::uint32_t p = im.At(x, y);
      if (p == White) continue;
      if (p != Black) ++coloured;
      double best = 1e9;
      for (const Segment& s : segments) best = std::fmin(best, DistanceToSegment(x, y, s));
      if (best > 3.0) {
        if (stray++ == 0) firstX = x, firstY = y;
      }
    }
  }
  all &= Check(stray == 0 && coloured == 0,
               "the figure's area holds only the ten black strokes (%d stray pixels, first at "
               "%d,%d; %d not black)",
               stray, firstX, firstY, coloured);
  return all;
}

bool MeasureMasks(const Image& im, const Geometry& g, Masks& m, std::string& why) {
  char text[200];
  // The top texts: every non-white row above the antenna.
  const int topLimit = g.y[0] - g.c - 8;
  int last = -1;
  for (int y = 0; y < topLimit; ++y)
    for (int x = 0; x < im.w; ++x)
      if (im.At(x, y) != White) {
        last = y;
        break;
      }
  if (last < 0) {
    why = "no text above the antenna";
    return false;
  }
  m.topEnd = last + 4;
  // The help text: the box around every red-ish pixel (antialiased edges included).
  int x0 = im.w, y0 = im.h, x1 = -1, y1 = -1, count = 0;
  for (int y = 0; y < im.h; ++y)
    for (int x = 0; x < im.w; ++x) {
      const std::uint32_t p = im.At(x, y);
      if (Red(p) < Green(p) + 40 || Red(p) < Blue(p) + 40 || BlackText(im, x, y)) continue;
      count += IsReddish(p);
      if (x < x0) x0 = x;
      if (y < y0) y0 = y;
      if (x > x1) x1 = x;
      if (y > y1) y1 = y;
    }
  if (count < 200) {
    std::snprintf(text, sizeof text, "only %d red pixels where the help text should be", count);
    why = text;
    return false;
  }
  if (x0 < 4 || y0 <= g.y[4] + g.c || x1 >= (3 * im.w) / 4) {
    std::snprintf(text, sizeof text,
                  "red pixels outside the bottom-left help band: box (%d,%d)-(%d,%d)", x0, y0, x1,
                  y1);
    why = text;
    return false;
  }
  m.hx0 = x0 - 3;
  m.hy0 = y0 - 3;
  m.hx1 = x1 + 4;
  m.hy1 = y1 + 4;
  return true;
}

int HeadingEnd(const Image& im) {
  bool inside = false;
  for (int y = 0; y < im.h; ++y) {
    bool any = false;
    for (int x = im.w / 4; x < (3 * im.w) / 4 && !any; ++x) any = im.At(x, y) != White;
    if (any) inside = true;
    if (inside && !any) return y;
  }
  return 0;
}

int HelpTextLines(const Image& im, const Masks& m) {
  int lines = 0;
  bool previous = false;  // the row above holds red
  for (int y = m.hy0; y < m.hy1; ++y) {
    bool any = false;
    for (int x = m.hx0; x < m.hx1 && !any; ++x) any = IsReddish(im.At(x, y));
    lines += any && !previous;
    previous = any;
  }
  return lines;
}

// ---- The arcs ------------------------------------------------------------------------------

namespace {
double ArcTheta(const Geometry& g, int k) {
  return std::atan2(static_cast<double>(g.half), static_cast<double>(g.u * (k / 2)));
}

// Every red-ish pixel outside the masks.
std::vector<std::pair<int, int>> RedPixels(const Image& im, const Masks& m) {
  std::vector<std::pair<int, int>> red;
  for (int y = 0; y < im.h; ++y)
    for (int x = 0; x < im.w; ++x)
      if (!m.Masked(x, y) && IsReddish(im.At(x, y))) red.push_back({x, y});
  return red;
}

// Whether pixel (x, y) lies on the arc of element i at age k (within the pen's band, inside the
// arc's angular range with a few pixels to spare for the pen's round ends).
bool OnArc(const Geometry& g, int i, int k, int x, int y) {
  const double r = static_cast<double>(g.u) * k;
  const double dx = x - (g.cx + CentreShift), dy = (g.y[i] + CentreShift) - y;
  const double d = std::sqrt(dx * dx + dy * dy);
  if (d < r + BandInside || d > r + BandOutside) return false;
  const double phi = std::atan2(dy, dx);
  return std::fabs(phi) <= ArcTheta(g, k) + 3.5 / (r > 1 ? r : 1);
}

// Samples the arc of element i at age k: how many samples are visible and how many hold ink.
void SampleArc(const Image& im, const Geometry& g, const Masks& m, int i, int k, int& total,
               int& hits) {
  total = 0;
  hits = 0;
  if (g.u <= 0 || k <= 0) return;
  const double r = static_cast<double>(g.u) * k;
  const double rm = r + PenMiddle;
  if (rm < 2) return;
  const double theta = ArcTheta(g, k);
  const double ccx = g.cx + CentreShift, ccy = g.y[i] + CentreShift;
  const double step = 1.0 / rm, margin = 2.5 / rm;
  for (double phi = -theta + margin; phi <= theta - margin; phi += step) {
    const int x = static_cast<int>(std::lround(ccx + rm * std::cos(phi)));
    const int y = static_cast<int>(std::lround(ccy - rm * std::sin(phi)));
    if (x < 1 || y < 1 || x >= im.w - 1 || y >= im.h - 1) continue;
    if (m.Masked(x, y)) continue;
    ++total;
    if (IsInk(im.At(x, y)) || IsInk(im.At(x - 1, y)) || IsInk(im.At(x + 1, y)) ||
        IsInk(im.At(x, y - 1)) || IsInk(im.At(x, y + 1)))
      ++hits;
  }
}

// One arc the program would draw: element i, age k (radius u * k).
struct ArcRef {
  int element;
  int age;
};
}  // namespace

Analysis Analyse(const Image& im, const Geometry& g, const Masks& m) {
  Analysis a;
  const std::vector<std::pair<int, int>> red = RedPixels(im, m);
  a.redPixels = static_cast<int>(red.size());
  if (g.u <= 0) return a;
  const int maxAge = (g.w + g.h) / g.u + 2;
  a.allFive = true;
  for (int i = 0; i < Elements; ++i) {
    for (int k = 1; k <= maxAge; ++k) {
      int total, hits;
      SampleArc(im, g, m, i, k, total, hits);
      if (total >= MinFitted && hits * 100 >= total * PresentPercent) a.ages[i].push_back(k);
    }
    if (a.ages[i].size() != 1)
      a.allFive = false;
    else
      a.age[i] = a.ages[i][0];
  }
  if (!a.allFive) return a;
  a.step = (a.age[4] - a.age[0]) / 4;
  // Mean distance of the arc pixels from their nominal circle.
  double sum = 0;
  int count = 0;
  for (const auto& p : red)
    for (int i = 0; i < Elements; ++i)
      if (OnArc(g, i, a.age[i], p.first, p.second)) {
        const double dx = p.first - g.cx, dy = p.second - g.y[i];
        sum += std::sqrt(dx * dx + dy * dy) - static_cast<double>(g.u) * a.age[i];
        ++count;
        break;
      }
  if (count > 0) a.radialOffsetTenths = static_cast<int>(std::lround(10 * sum / count));
  return a;
}

bool StepExplains(const Image& im, const Geometry& g, const Masks& m, int s, int n,
                  std::string* why) {
  char text[200];
  int delay[Elements];
  DelaysFor(s, delay);
  std::vector<ArcRef> arcs;
  for (int i = 0; i < Elements; ++i)
    if (n > delay[i]) arcs.push_back({i, n - delay[i]});
  for (const ArcRef& arc : arcs) {
    int total, hits;
    SampleArc(im, g, m, arc.element, arc.age, total, hits);
    if (total >= MinJudged && hits * 100 < total * PresentPercent) {
      if (why) {
        std::snprintf(text, sizeof text, "element %d's arc of radius %d is missing (%d of %d)",
                      arc.element, g.u * arc.age, hits, total);
        *why = text;
      }
      return false;
    }
  }
  const std::vector<std::pair<int, int>> red = RedPixels(im, m);
  int unexplained = 0, fx = -1, fy = -1;
  for (const auto& p : red) {
    bool on = false;
    for (const ArcRef& arc : arcs)
      if (OnArc(g, arc.element, arc.age, p.first, p.second)) {
        on = true;
        break;
      }
    if (!on && unexplained++ == 0) fx = p.first, fy = p.second;
    if (unexplained > 0 && !why) return false;
  }
  if (unexplained > 0) {
    std::snprintf(text, sizeof text, "%d red pixels lie on none of the circles (first at %d,%d)",
                  unexplained, fx, fy);
    *why = text;
    return false;
  }
  return true;
}

std::vector<int> ConsistentSteps(const Image& im, const Geometry& g, const Masks& m, int s,
                                 int maxStep) {
  std::vector<int> steps;
  for (int n = 0; n <= maxStep; ++n)
    if (StepExplains(im, g, m, s, n, nullptr)) steps.push_back(n);
  return steps;
}

std::string Describe(const Analysis& a, const Geometry& g) {
  std::string out;
  char text[64];
  for (int i = 0; i < Elements; ++i) {
    out += i ? ", " : "radii ";
    if (a.ages[i].empty()) {
      out += "none";
      continue;
    }
    for (size_t j = 0; j < a.ages[i].size(); ++j) {
      std::snprintf(text, sizeof text, "%s%d", j ? "/" : "", g.u * a.ages[i][j]);
      out += text;
      if (j == 5 && a.ages[i].size() > 7) {
        std::snprintf(text, sizeof text, "/...(%d)", static_cast<int>(a.ages[i].size()));
        out += text;
        break;
      }
    }
  }
  return out;
}

void ExplainMisfit(const Image& im, const Geometry& g, const Masks& m, const Analysis& a, int s,
                   const std::string& name) {
  int n = 0;
  for (int i = 0; i < Elements; ++i)
    if (!a.ages[i].empty() && a.ages[i].back() > n) n = a.ages[i].back();
  std::string why;
  if (n > 0 && !StepExplains(im, g, m, s, n, &why))
    Say("  step %d does not fit: %s", n, why.c_str());
  KeepPicture(im, name);
}
