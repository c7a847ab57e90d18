// Element geometry shared by the wavefronts and the antenna figure.
#pragma once

#include "steering.h"

// The x of the element column.
inline int ElementColumn(int width) {
  return width / 5;
}

// The element rows, top to bottom: ((3 + i) * height) / 10, multiplied before dividing.
inline void ElementRows(int height, int (&y)[ElementCount]) {
  for (int i = 0; i < ElementCount; ++i) y[i] = ((3 + i) * height) / 10;
}
