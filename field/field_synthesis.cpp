#include "field/field_synthesis.h"

#include <bitset>
#include <cstdio>
#include <cstdlib>

#include "app/grids.h"
#include "field/block_kernels.h"
#include "field/block_superposition.h"

namespace {

constexpr int kHalfSizes[] = {5, 3, 2, 1, 0};
// The four values of the kernel in KernelTable; kind 0 means none yet.
struct KernelMemory {
  int half_size = 0;
  int kind = 0;
  int angle = 0;
  int z = 0;
};
KernelMemory held_kernel;

// Colours present in PicturePlane, by 24-bit RGB value. Painting only turns
// pixels white, so a colour absent from the picture finds no block in the
// whole layer and its lattice need not be scanned.
std::bitset<1 << 24> colours_in_picture;

int PackedColour(int r, int g, int b) { return (r << 16) | (g << 8) | b; }

void NoteColoursInPicture() {
  colours_in_picture.reset();
  for (int row = 0; row < kPictureSide; ++row)
    for (int col = 0; col < kPictureSide; ++col) {
      const int16_t* px = PicturePlane[row][col];
      if (px[0] >= 0 && px[0] <= 255 && px[1] >= 0 && px[1] <= 255 && px[2] >= 0 && px[2] <= 255)
        colours_in_picture.set(PackedColour(px[0], px[1], px[2]));
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

void PaintBlockWhite(int p0, int q0, int h) {
  for (int row = p0 - h; row <= p0 + h; ++row)
    for (int col = q0 - h; col <= q0 + h; ++col)
      for (int n = 0; n < 3; ++n) WorkPlane[row][col][n] = 255;
}

// The uniform blocks of the step being run, in lattice order.
BlockCentre step_blocks[kMaxStepBlocks];

}  // namespace

void ProcessColorStep(const MagnetColor& row, int h) {
  const int side = 2 * h + 1;
  int count = 0;
  for (int p0 = h; p0 < kPictureSide - h; p0 += side)
    for (int q0 = h; q0 < kPictureSide - h; q0 += side) {
      if (!BlockIsUniform(p0, q0, h, row.r, row.g, row.b)) continue;
      PaintBlockWhite(p0, q0, h);
      if (count == 0) PrepareKernel(row, h);
      step_blocks[count++] = {static_cast<int16_t>(p0), static_cast<int16_t>(q0)};
    }
  AddStepBlocks(step_blocks, count, static_cast<float>(row.sign));
}

void ForgetKernel() { held_kernel = KernelMemory{}; }

bool BlockIsUniform(int p0, int q0, int h, int r, int g, int b) {
  for (int row = p0 - h; row <= p0 + h; ++row)
    for (int col = q0 - h; col <= q0 + h; ++col) {
      const int16_t* px = WorkPlane[row][col];
      if (px[0] != r || px[1] != g || px[2] != b) return false;
    }
  return true;
}

void PrepareKernel(const MagnetColor& row, int h) {
  const KernelMemory wanted{h, row.kind, row.angle, static_cast<int>(CurrentZ)};
  if (held_kernel.half_size == wanted.half_size && held_kernel.kind == wanted.kind &&
      held_kernel.angle == wanted.angle && held_kernel.z == wanted.z)
    return;
  held_kernel = wanted;
  switch (row.kind) {
    case AxialDipole:
      AxialDipoleKernel(h);
      break;
    case PlanarDipole:
      PlanarDipoleKernel(h, row.angle);
      break;
    case Monopole:
      MonopoleKernel(h);
      break;
    default:
      break;
  }
}

void SynthesizeField(const RunSettings& settings) {
  const int layers = std::abs(settings.thickness);
  const float z_step = settings.thickness >= 1 ? 1.0f : -1.0f;
  TurnFieldGrid();
  for (int layer = 1; layer <= layers; ++layer) {
    std::printf("\n\n   +Calculating Vector Fields for Z layer %d (%d/%d) +\n\n",
                static_cast<int>(CurrentZ), layer, layers);
    NoteColoursInPicture();
    int step = 0;
    for (int h : kHalfSizes)
      for (const MagnetColor& row : MagnetColorTable) {
        PrintStep(&step);
        if (colours_in_picture.test(PackedColour(row.r, row.g, row.b))) ProcessColorStep(row, h);
      }
    RestoreWorkPlane();
    CurrentZ = CurrentZ + z_step;
  }
  TurnFieldGrid();
}
