// Beam angle clamp, angle-to-step mapping and element delays.
#include <climits>
#include <cstdint>

#include "model/steering.h"
#include "test_support.h"

namespace {

class Steering : public PlatformTest {};

// The step for each absolute angle, band by band.
int StepFromBands(int angle) {
  const int magnitude = angle < 0 ? -angle : angle;
  const int firstAngleOfStep[] = {0, 5, 9, 14, 18, 23, 27, 32, 36, 41, 45};
  int step = 0;
  for (int s = 0; s <= 10; ++s)
    if (magnitude >= firstAngleOfStep[s]) step = s;
  return angle < 0 ? -step : step;
}

TEST_F(Steering, EveryAngleInRangeGivesTheBandStepAndTheIntegerQuotient) {
  for (int angle = -45; angle <= 45; ++angle) {
    SetBeamAngle(angle);
    EXPECT_EQ(BeamAngle, angle);
    EXPECT_EQ(PhaseStep, StepFromBands(angle)) << "angle " << angle;
    EXPECT_EQ(PhaseStep, (2 * angle) / 9) << "angle " << angle;
  }
}

TEST_F(Steering, ValuesOutsideTheRangeClampToItsEnds) {
  const struct Case {
    int value, angle, step;
  } cases[] = {
      {100, 45, 10},       {-99, -45, -10},         {46, 45, 10},          {-46, -45, -10},
      {45, 45, 10},        {-45, -45, -10},         {44, 44, 9},           {INT_MAX, 45, 10},
      {INT_MIN, -45, -10}, {INT_MIN + 1, -45, -10}, {INT_MAX - 1, 45, 10},
  };
  for (const Case& c : cases) {
    SetBeamAngle(c.value);
    EXPECT_EQ(BeamAngle, c.angle) << "value " << c.value;
    EXPECT_EQ(PhaseStep, c.step) << "value " << c.value;
  }
}

TEST_F(Steering, ClampHoldsAcrossTheWhole32BitRange) {
  // A stride prime to the range visits values of every magnitude and both signs.
  for (std::int64_t v = INT_MIN; v <= INT_MAX; v += 999983) {
    const int value = static_cast<int>(v);
    const int expected = value > 45 ? 45 : value < -45 ? -45 : value;
    SetBeamAngle(value);
    ASSERT_EQ(BeamAngle, expected) << "value " << value;
    ASSERT_EQ(PhaseStep, (2 * expected) / 9) << "value " << value;
  }
}

TEST_F(Steering, DelaysFollowTheSignOfTheStep) {
  const struct Case {
    int angle;
    int delays[ElementCount];
  } cases[] = {
      {14, {12, 9, 6, 3, 0}},   // step 3: the bottom element fires first
      {-14, {0, 3, 6, 9, 12}},  // step -3: the top element fires first
      {4, {0, 0, 0, 0, 0}},     // step 0
      {-4, {0, 0, 0, 0, 0}},      {45, {40, 30, 20, 10, 0}},  // step 10
      {-45, {0, 10, 20, 30, 40}}, {5, {4, 3, 2, 1, 0}},
  };
  for (const Case& c : cases) {
    SetBeamAngle(c.angle);
    ComputeElementDelays();
    for (int i = 0; i < ElementCount; ++i)
      EXPECT_EQ(ElementDelay[i], c.delays[i]) << "angle " << c.angle << " element " << i;
  }
}

TEST_F(Steering, ZeroAfterAnotherAngleBringsEveryDelayBackToZero) {
  SetBeamAngle(30);
  ComputeElementDelays();
  ASSERT_EQ(ElementDelay[0], 24);
  SetBeamAngle(0);
  ComputeElementDelays();
  for (int i = 0; i < ElementCount; ++i) EXPECT_EQ(ElementDelay[i], 0);
}

}  // namespace
