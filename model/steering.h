// Steering model: the beam angle, the phase step it gives and the five element delays.
#pragma once

// Number of antenna elements, numbered 0 (top) to 4 (bottom).
constexpr int ElementCount = 5;

// Last accepted angle in degrees, always within -45..45.
extern int BeamAngle;
// Ticks by which each element starts after its neighbour, derived from BeamAngle (-10..10).
extern int PhaseStep;
// Ticks each element waits before it radiates; refreshed by ComputeElementDelays.
extern int ElementDelay[ElementCount];

// Clamps value to -45..45, stores it as BeamAngle and derives PhaseStep.
void SetBeamAngle(int value);

// Fills ElementDelay from PhaseStep: the first element to fire has delay 0.
void ComputeElementDelays();
