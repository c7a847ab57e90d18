// libFuzzer target for the angle dialog's text path: ParseAngle and then SetBeamAngle.
//
// Every input is made into the text the dialog would read (at most 99 characters and a
// terminator) and checked against an independent reading of the same text: no crash, the
// exact value wherever it fits in 32 bits, saturation beyond that, and a stored angle and
// phase step that match the clamped value.
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "model/steering.h"
#include "win/angle_dialog.h"

namespace {

const std::size_t TextSize = 100;  // the dialog's buffer: 99 characters and the terminator
const int MaxAngle = 45;

// The number a text stands for, read without wide or big-number arithmetic: leading zeros
// are dropped, and more than ten significant digits can only be beyond the 32-bit range.
struct Reading {
  bool negative = false;
  bool huge = false;            // more than ten significant digits
  std::uint64_t magnitude = 0;  // exact when !huge (at most 9'999'999'999)
};

bool Blank(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

Reading Read(const char* text) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  Reading r;
  while (Blank(*p)) ++p;
  if (*p == '-') {
    r.negative = true;
    ++p;
  } else if (*p == '+') {
    ++p;
  }
  while (*p == '0') ++p;
  int significant = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    if (++significant > 10) {
      r.huge = true;
    } else {
      r.magnitude = r.magnitude * 10 + static_cast<std::uint64_t>(*p - '0');
    }
  }
  return r;
}

// The reading clamped to lo..hi (hi >= 0 >= lo), computed on the unsigned magnitude alone.
long long Clamped(const Reading& r, long long lo, long long hi) {
  if (r.negative) {
    const std::uint64_t bound = static_cast<std::uint64_t>(-lo);
    return r.huge || r.magnitude > bound ? lo : -static_cast<long long>(r.magnitude);
  }
  const std::uint64_t bound = static_cast<std::uint64_t>(hi);
  return r.huge || r.magnitude > bound ? hi : static_cast<long long>(r.magnitude);
}

void Fail(const char* what, const char* text, long long got, long long want) {
  std::fprintf(stderr, "parse_angle_fuzz: %s: got %lld, want %lld for text \"", what, got, want);
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    if (*p >= 0x20 && *p < 0x7F && *p != '"' && *p != '\\')
      std::fputc(*p, stderr);
    else
      std::fprintf(stderr, "\\x%02X", *p);
  }
  std::fprintf(stderr, "\"\n");
  std::abort();
}

void Expect(long long got, long long want, const char* what, const char* text) {
  if (got != want) Fail(what, text, got, want);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  char text[TextSize];
  const std::size_t length = size < TextSize - 1 ? size : TextSize - 1;
  std::copy(data, data + length, text);  // the edit control's text, cut to the buffer
  text[length] = '\0';

  const Reading reading = Read(text);
  const int parsed = ParseAngle(text);

  // Exact within the 32-bit range, saturated beyond it (which covers the wrap-around faults).
  Expect(parsed, Clamped(reading, INT_MIN, INT_MAX), "ParseAngle against the exact value", text);

  // Clamped to the angle range, the parse and the reference agree.
  const long long angle = Clamped(reading, -MaxAngle, MaxAngle);
  const int clampedParse = parsed > MaxAngle ? MaxAngle : parsed < -MaxAngle ? -MaxAngle : parsed;
  Expect(clampedParse, angle, "ParseAngle clamped to -45..45 against the reference", text);

  // What the dialog stores: the clamped value, and the step derived from it.
  BeamAngle = INT_MIN;  // a value SetBeamAngle can never leave behind
  PhaseStep = INT_MIN;
  SetBeamAngle(parsed);
  if (BeamAngle < -MaxAngle || BeamAngle > MaxAngle)
    Fail("BeamAngle outside -45..45", text, BeamAngle, angle);
  Expect(BeamAngle, angle, "BeamAngle against the clamped exact value", text);
  Expect(PhaseStep, (2 * BeamAngle) / 9, "PhaseStep against (2 * BeamAngle) / 9", text);
  return 0;
}
