// Steering model: the beam angle, the phase step it gives and the five element delays.
#include "steering.h"

static_assert(sizeof(int) == 4, "the arithmetic assumes 32-bit int");

namespace {
constexpr int MaxAngle = 45;
// The double nearest to 2/9: one phase step per 4.5 degrees.
constexpr double StepPerDegree = 0.2222222222222222;
}  // namespace

int BeamAngle = 0;
int PhaseStep = 0;
int ElementDelay[ElementCount] = {0, 0, 0, 0, 0};

void SetBeamAngle(int value) {
  if (value > MaxAngle) value = MaxAngle;
  if (value < -MaxAngle) value = -MaxAngle;
  BeamAngle = value;
  // Stored through memory so that an x87 build rounds the product to double like every
  // other build: kept in extended precision, 45 * StepPerDegree would truncate to 9.
  volatile double product = static_cast<double>(value) * StepPerDegree;
  PhaseStep = static_cast<int>(product);
}

void ComputeElementDelays() {
  const int s = PhaseStep;
  if (s >= 0) {
    for (int i = 0; i < ElementCount; ++i) ElementDelay[i] = (ElementCount - 1 - i) * s;
  } else {
    for (int i = 0; i < ElementCount; ++i) {
      const int product = i * s;
      ElementDelay[i] = product < 0 ? -product : product;
    }
  }
}
