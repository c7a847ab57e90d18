#!/usr/bin/env python3
"""Prints the table of steps and drawn tilts in docs/beam.md.

It re-derives the program's formulas in Python (the phase step of model/steering.cpp, the
radius growth of model/wavefronts.cpp, the rows of model/geometry.h) rather than running the
program's code: a change there has to be made here as well.

Neighbouring elements start `step` ticks apart, so their arcs' radii differ by u * step
pixels (u = width / 200 per tick) while their rows are height / 10 apart: the common tangent
of the arcs leaves the array at sin(theta) = (u * step) / (height / 10).
Usage: tilt-table.py [WIDTH HEIGHT]   (client size; default 992 673, the window's client
area on a 1024 x 768 screen under Wine)
"""
import math
import sys


def phase_step(angle):
    # The program multiplies by the double nearest 2/9 and truncates toward zero.
    return int(angle * 0.2222222222222222)


def main():
    width, height = (int(a) for a in sys.argv[1:3]) if len(sys.argv) == 3 else (992, 673)
    u = width // 200
    print(f"Client area {width} x {height}: radius step u = {u} px a tick, "
          f"rows about {height // 10} px apart.\n")
    print("| angles typed | step | radius difference (px) | sin θ | drawn tilt θ |")
    print("|---|---|---|---|---|")
    for step in range(0, 11):
        typed = [a for a in range(0, 46) if phase_step(a) == step]
        span = f"{typed[0]}–{typed[-1]}" if len(typed) > 1 else f"{typed[0]}"
        ratio = u * step / (height / 10)
        tilt = f"{math.degrees(math.asin(ratio)):.1f}°" if ratio <= 1 else "none"
        print(f"| {span} | {step} | {u * step} | {ratio:.3f} | {tilt} |")


if __name__ == "__main__":
    main()
