#include "reference/contours.h"

#include <cmath>
#include <cstdio>

ValueRange ReferenceComputeMagnitudes(Workspace& workspace) {
  const FieldGrid& field = workspace.field_grid;
  MagnitudeGrid& magnitudes = workspace.magnitude_grid;
  ValueRange range{100000000.0f, -100000000.0f};
  for (int l = 0; l < 640; ++l)
    for (int m = 0; m < 640; ++m) {
      const float c0 = field[l][m][0], c1 = field[l][m][1], c2 = field[l][m][2];
      const float s = (c0 * c0 + c1 * c1) + c2 * c2;
      const float value = static_cast<float>(std::sqrt(std::sqrt(static_cast<double>(s))));
      magnitudes[l][m] = value;
      if (value < range.lowest) range.lowest = value;
      if (value > range.highest) range.highest = value;
    }
  return range;
}

ContourSweeps ReferenceDrawContourBands(Workspace& workspace, float lowest, float step) {
  ImagePlane& plane = workspace.contour_plane;
  MagnitudeGrid& magnitudes = workspace.magnitude_grid;
  float f = 0.0f;
  int sweeps_left = 13, color_index = -1, marked = 0, sweeps = 0;
  for (;;) {
    f = f + 0.02f;
    for (int k = 0; k < 100; ++k) {
      color_index = color_index + 1;
      if (color_index == 3) color_index = 0;
      const float h = static_cast<float>(k) * step + lowest;
      const float lo = (1.0f - f) * h;
      const float hi = (1.0f + f) * h;
      for (int l = 0; l < 640; ++l)
        for (int m = 0; m < 640; ++m) {
          int16_t* cell = plane[l][m];
          const float v = magnitudes[l][m];
          if (lo < v && v < hi && cell[0] < 1 && cell[1] < 1 && cell[2] < 1) {
            if (color_index == 0) cell[0] = 255;
            cell[1] = 255;
            if (color_index == 2) cell[2] = 255;
            marked = marked + 1;
          }
        }
    }
    sweeps = sweeps + 1;
    if (marked > 35999) break;
    sweeps_left = sweeps_left - 1;
    if (sweeps_left == 0) break;
  }
  return {sweeps, marked, f};
}

void ReferenceDrawContours(Workspace& workspace) {
  workspace.observer->StageStarted(RunStage::kContours);
  const ValueRange range = ReferenceComputeMagnitudes(workspace);
  const float step = (range.highest - range.lowest) / 100.0f;
  ReferenceDrawContourBands(workspace, range.lowest, step);
  for (int l = 0; l < 640; ++l)
    for (int m = 0; m < 640; ++m)
      for (int n = 0; n < 3; ++n)
        workspace.contour_image[639 - l][639 - m][n] = workspace.contour_plane[l][m][n];
}
