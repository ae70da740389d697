#include "reference/field.h"

#include <cstdlib>

void ReferenceAddBlockField(Workspace& workspace, int p0, int q0, float sign) {
  FieldGrid& field = workspace.field_grid;
  const KernelTable& kernel = workspace.kernel_table;
  for (int l = 0; l < 640; ++l)
    for (int m = 0; m < 640; ++m)
      for (int n = 0; n < 3; ++n)
        field[l][m][n] = field[l][m][n] + sign * kernel[1281 - p0 - l][1281 - q0 - m][n];
}

void ReferenceSynthesizeField(Workspace& workspace, FieldScratch& scratch, float z, int thickness,
                              KernelPreparer prepare) {
  ImagePlane& work = workspace.work_plane;
  const int layers = std::abs(thickness);
  for (int layer = 1; layer <= layers; ++layer) {
    workspace.observer->LayerStarted(static_cast<int>(z), layer, layers);
    int step = 0;
    for (int h : {5, 3, 2, 1, 0})
      for (const MagnetColor& row : MagnetColorTable) {
        step = step + 1;
        workspace.observer->StepStarted(step, 5 * kMagnetColorCount);
        bool kernel_ready = false;
        for (int p0 = h; p0 < 640 - h; p0 += 2 * h + 1)
          for (int q0 = h; q0 < 640 - h; q0 += 2 * h + 1) {
            bool uniform = true;
            for (int p = p0 - h; p <= p0 + h && uniform; ++p)
              for (int q = q0 - h; q <= q0 + h && uniform; ++q)
                uniform =
                    work[p][q][0] == row.r && work[p][q][1] == row.g && work[p][q][2] == row.b;
            if (!uniform) continue;
            for (int p = p0 - h; p <= p0 + h; ++p)
              for (int q = q0 - h; q <= q0 + h; ++q)
                for (int n = 0; n < 3; ++n) work[p][q][n] = 255;
            if (!kernel_ready) {
              prepare(workspace, scratch, row, h, z);
              kernel_ready = true;
            }
            ReferenceAddBlockField(workspace, p0, q0, static_cast<float>(row.sign));
          }
      }
    RestoreWorkPlane(workspace);
    z = thickness >= 1 ? z + 1.0f : z - 1.0f;
  }
}
