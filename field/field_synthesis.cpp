#include "field/field_synthesis.h"

#include <cstdlib>

#include "field/block_superposition.h"
#include "field/kernel_cache.h"

namespace {

// color_rows := the first table row of each picture_plane pixel's colour.
void NoteColorRows(const ImagePlane& picture_plane, ColorRows& color_rows) {
  for (int row = 0; row < kPictureSide; ++row)
    for (int col = 0; col < kPictureSide; ++col) {
      const int16_t* px = picture_plane[row][col];
      color_rows[row][col] = static_cast<int16_t>(FirstRowOfColor(px[0], px[1], px[2]));
    }
}

// The colour row of the block of half-size h centred at (p0, q0) when all
// its pixels share it, else -1.
int UniformBlockRow(const ColorRows& color_rows, int p0, int q0, int h) {
  const int first = color_rows[p0 - h][q0 - h];
  if (first < 0) return -1;
  for (int row = p0 - h; row <= p0 + h; ++row)
    for (int col = q0 - h; col <= q0 + h; ++col)
      if (color_rows[row][col] != first) return -1;
  return first;
}

void PaintBlockWhite(ImagePlane& plane, int p0, int q0, int h) {
  for (int row = p0 - h; row <= p0 + h; ++row)
    for (int col = q0 - h; col <= q0 + h; ++col)
      for (int n = 0; n < 3; ++n) plane[row][col][n] = 255;
}

// Finds the uniform blocks of the pass of half-size h for every colour in one
// sweep of the lattice, groups them by colour row in scratch.pass_blocks and
// paints them white in work_plane (-1 in scratch.color_rows). The blocks of a
// pass never overlap, so painting one changes no other block of the pass:
// each row's group holds exactly the blocks a scan of the lattice for that
// colour alone would find, in the same order, and a second row of the same
// colour finds none. Uses scratch.step_blocks as scratch.
void FindPassBlocks(ImagePlane& work_plane, FieldScratch& scratch, int h) {
  const int side = 2 * h + 1;
  PassBlocks& pass = scratch.pass_blocks;
  ColorRows& color_rows = scratch.color_rows;
  int count[kMagnetColorCount] = {};
  int found = 0;
  for (int p0 = h; p0 < kPictureSide - h; p0 += side)
    for (int q0 = h; q0 < kPictureSide - h; q0 += side) {
      const int row = UniformBlockRow(color_rows, p0, q0, h);
      if (row < 0) continue;
      ++count[row];
      scratch.step_blocks[found++] = {static_cast<int16_t>(p0), static_cast<int16_t>(q0)};
    }
  pass.start[0] = 0;
  for (int k = 0; k < kMagnetColorCount; ++k) pass.start[k + 1] = pass.start[k] + count[k];
  int next[kMagnetColorCount];
  for (int k = 0; k < kMagnetColorCount; ++k) next[k] = pass.start[k];
  for (int b = 0; b < found; ++b) {
    const BlockCentre block = scratch.step_blocks[b];
    const int row = color_rows[block.row][block.col];
    pass.blocks[next[row]++] = block;
    PaintBlockWhite(work_plane, block.row, block.col, h);
    for (int p = block.row - h; p <= block.row + h; ++p)
      for (int q = block.col - h; q <= block.col + h; ++q) color_rows[p][q] = -1;
  }
}

// Whether rows a and b use the same kernel in a pass (they may differ in
// sign alone).
bool SharesKernel(const MagnetColor& a, const MagnetColor& b) {
  return a.kind == b.kind && a.angle == b.angle;
}

// The kernel entries that the blocks of row k read, with those of the rows
// after it that share its kernel (the rows the loop below adds together).
KernelWindow WindowOfKernelGroup(const PassBlocks& pass, int k) {
  const MagnetColor& first = MagnetColorTable[k];
  BlockGroup groups[kMagnetColorCount];
  int group_count = 0;
  for (int j = k; j < kMagnetColorCount; ++j) {
    const int count = pass.start[j + 1] - pass.start[j];
    if (count == 0) continue;
    if (!SharesKernel(MagnetColorTable[j], first)) break;
    groups[group_count++] = {pass.blocks + pass.start[j], count, 1.0f};
  }
  return KernelWindowOf(groups, group_count);
}

}  // namespace

void SynthesizeField(Workspace& workspace, FieldScratch& scratch, float z, int thickness,
                     const RunOptions& options) {
  const int layers = std::abs(thickness);
  const float z_step = thickness >= 1 ? 1.0f : -1.0f;
  scratch.cache_notices = CacheNotices{};
  TurnFieldGrid(workspace.field_grid);
  float layer_z = z;
  for (int layer = 1; layer <= layers; ++layer) {
    workspace.observer->LayerStarted(static_cast<int>(layer_z), layer, layers);
    NoteColorRows(workspace.picture_plane, scratch.color_rows);
    int step = 0;
    for (int h : kBlockHalfSizes) {
      FindPassBlocks(workspace.work_plane, scratch, h);
      const PassBlocks& pass = scratch.pass_blocks;
      // Steps in a row that need the same kernel (a colour and its sign
      // partner, say) are added together once the kernel is about to change.
      BlockGroup waiting[kMagnetColorCount];
      int waiting_count = 0;
      const MagnetColor* waiting_row = nullptr;
      KernelWindow window;
      for (int k = 0; k < kMagnetColorCount; ++k) {
        workspace.observer->StepStarted(++step, kStepsPerLayer);
        const int count = pass.start[k + 1] - pass.start[k];
        if (count == 0) continue;
        const MagnetColor& row = MagnetColorTable[k];
        if (waiting_row && !SharesKernel(*waiting_row, row)) {
          AddBlockGroups(workspace, scratch.block_runs, waiting, waiting_count, options);
          waiting_count = 0;
        }
        // A kernel is loaded or computed only where the group's blocks read
        // it.
        if (waiting_count == 0) window = WindowOfKernelGroup(pass, k);
        PrepareKernel(workspace, scratch, row, h, layer_z, options, window);
        waiting[waiting_count++] = {pass.blocks + pass.start[k], count,
                                    static_cast<float>(row.sign)};
        waiting_row = &row;
      }
      AddBlockGroups(workspace, scratch.block_runs, waiting, waiting_count, options);
    }
    RestoreWorkPlane(workspace);
    layer_z = layer_z + z_step;
  }
  TurnFieldGrid(workspace.field_grid);
}
