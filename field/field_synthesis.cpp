#include "field/field_synthesis.h"

#include <cstdio>
#include <cstdlib>

#include "field/block_superposition.h"
#include "field/kernel_cache.h"

namespace {

constexpr int kHalfSizes[] = {5, 3, 2, 1, 0};

// Painting only turns pixels white, so a colour absent from the picture
// finds no block in the whole layer and its lattice need not be scanned.
void NoteColorsInPicture(Workspace& workspace) {
  ColorSet& colors = workspace.colors_in_picture;
  colors.Clear();
  for (int row = 0; row < kPictureSide; ++row)
    for (int col = 0; col < kPictureSide; ++col) {
      const int16_t* px = workspace.picture_plane[row][col];
      colors.Add(px[0], px[1], px[2]);
    }
}

// "    Processing Step 0001 of 1860 ", then each later step replaces its
// thirteen-character number part in place.
void PrintStep(int* step) {
  if (*step == 0) {
    *step = 1;
    std::printf("    Processing Step %04d of 1860 ", *step);
  } else {
    ++*step;
    std::printf("\b\b\b\b\b\b\b\b\b\b\b\b\b%04d of 1860 ", *step);
  }
  std::fflush(stdout);
}

void PaintBlockWhite(ImagePlane& plane, int p0, int q0, int h) {
  for (int row = p0 - h; row <= p0 + h; ++row)
    for (int col = q0 - h; col <= q0 + h; ++col)
      for (int n = 0; n < 3; ++n) plane[row][col][n] = 255;
}

}  // namespace

bool BlockIsUniform(const Workspace& workspace, int p0, int q0, int h, int r, int g, int b) {
  for (int row = p0 - h; row <= p0 + h; ++row)
    for (int col = q0 - h; col <= q0 + h; ++col) {
      const int16_t* px = workspace.work_plane[row][col];
      if (px[0] != r || px[1] != g || px[2] != b) return false;
    }
  return true;
}

void ProcessColorStep(Workspace& workspace, const MagnetColor& row, int h,
                      const RunOptions& options) {
  const int side = 2 * h + 1;
  int count = 0;
  for (int p0 = h; p0 < kPictureSide - h; p0 += side)
    for (int q0 = h; q0 < kPictureSide - h; q0 += side) {
      if (!BlockIsUniform(workspace, p0, q0, h, row.r, row.g, row.b)) continue;
      PaintBlockWhite(workspace.work_plane, p0, q0, h);
      if (count == 0) PrepareKernel(workspace, row, h, options);
      workspace.step_blocks[count++] = {static_cast<int16_t>(p0), static_cast<int16_t>(q0)};
    }
  AddStepBlocks(workspace, workspace.step_blocks, count, static_cast<float>(row.sign), options);
}

void SynthesizeField(Workspace& workspace, int thickness, const RunOptions& options) {
  const int layers = std::abs(thickness);
  const float z_step = thickness >= 1 ? 1.0f : -1.0f;
  const float start_z = workspace.z;
  TurnFieldGrid(workspace.field_grid);
  for (int layer = 1; layer <= layers; ++layer) {
    std::printf("\n\n   +Calculating Vector Fields for Z layer %d (%d/%d) +\n\n",
                static_cast<int>(workspace.z), layer, layers);
    NoteColorsInPicture(workspace);
    int step = 0;
    for (int h : kHalfSizes)
      for (const MagnetColor& row : MagnetColorTable) {
        PrintStep(&step);
        if (workspace.colors_in_picture.Contains(row.r, row.g, row.b))
          ProcessColorStep(workspace, row, h, options);
      }
    RestoreWorkPlane(workspace);
    workspace.z = workspace.z + z_step;
  }
  TurnFieldGrid(workspace.field_grid);
  workspace.z = start_z;
}
