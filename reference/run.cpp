#include "reference/run.h"

#include <cstdio>
#include <string>
#include <vector>

#include "app/banners.h"
#include "app/output_names.h"
#include "app/png_codec.h"
#include "field/kernel_cache.h"
#include "reference/contours.h"
#include "reference/field.h"
#include "reference/kernels.h"
#include "render/picture_composition.h"
#include "render/streamlines.h"
#include "render/vector_tables.h"

void ReferencePrepareKernel(Workspace& workspace, FieldScratch& scratch, const MagnetColor& row,
                            int h, float z) {
  const int whole_z = static_cast<int>(z);
  HeldKernel& held = scratch.held_kernel;
  if (held.half_size == h && held.kind == row.kind && held.angle == row.angle &&
      held.z == whole_z && Covers(held.window, KernelWindow()))
    return;
  held = {h, row.kind, row.angle, whole_z, KernelWindow()};
  const std::string name = KernelCacheName(row.kind, h, row.angle, z);
  if (h != 0) {
    if (LoadKernelFile(name, workspace.kernel_table)) return;
    workspace.observer->KernelBeingMade(name);
  }
  ReferenceKernel(row.kind, h, row.angle, z, &workspace.kernel_table[0][0][0]);
  if (h != 0)
    workspace.observer->KernelFinished(name, StoreKernelFile(name, workspace.kernel_table));
}

int ReferenceRun(const RunSettings& settings, Workspace& workspace, FieldScratch& field_scratch) {
  lodepng::State png_state;
  SetUpPngState(png_state);

  std::vector<unsigned char> png_file_buffer, pixel_buffer;
  const DecodedInput input =
      LoadAndDecodeInput(settings.input_name, png_state, png_file_buffer, pixel_buffer);
  if (input.status != InputStatus::kDecoded) return 1;
  std::fputs(RunBanner().c_str(), stdout);

  const OutputNames names = BuildOutputNames(settings.input_name, settings.z);
  StartRun(workspace, pixel_buffer.data());
  ReferenceSynthesizeField(workspace, field_scratch, settings.z, settings.thickness,
                           ReferencePrepareKernel);

  bool all_written = true;
  ReferenceDrawContours(workspace);
  ComposeContourPicture(workspace, pixel_buffer);
  WriteResult written =
      SavePicture(names.contour_image, "   +Writing Isopotential Contour File+\n",
                  EncodePicture(png_state, pixel_buffer, png_file_buffer), png_file_buffer);
  if (written == WriteResult::kEncodeFailed) return 1;
  all_written &= written == WriteResult::kWritten;

  if (settings.export_vectors)
    all_written &= WriteVectorTables(workspace, names.i_table, names.j_table, names.k_table);

  workspace.observer->StageStarted(RunStage::kStreamlines);
  TraceStreamlines(workspace);
  ComposeStreamPicture(workspace, pixel_buffer);
  written = SavePicture(names.stream_image, "   +Writing Magnetic Streamlines File+\n",
                        EncodePicture(png_state, pixel_buffer, png_file_buffer), png_file_buffer);
  if (written == WriteResult::kEncodeFailed) return 1;
  all_written &= written == WriteResult::kWritten;

  ComposeCombinedPicture(workspace, pixel_buffer);
  written = SavePicture(names.combined_image, "   +Writing Stream & Contours File+\n",
                        EncodePicture(png_state, pixel_buffer, png_file_buffer), png_file_buffer);
  if (written == WriteResult::kEncodeFailed) return 1;
  all_written &= written == WriteResult::kWritten;

  std::fflush(stdout);
  return all_written ? 0 : 1;
}
