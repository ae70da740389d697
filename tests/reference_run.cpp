#include "tests/reference_run.h"

#include <cstdio>
#include <string>
#include <vector>

#include "app/banners.h"
#include "app/grids.h"
#include "app/output_names.h"
#include "app/png_codec.h"
#include "field/kernel_cache.h"
#include "render/contours.h"
#include "render/picture_output.h"
#include "render/streamlines.h"
#include "render/vector_tables.h"
#include "tests/reference_block_kernels.h"
#include "tests/reference_contours.h"
#include "tests/reference_field.h"

namespace {

struct RememberedKernel {
  int h = -1, kind = 0, angle = 0, z = 0;
};
RememberedKernel remembered;

}  // namespace

void ReferencePrepareKernel(const MagnetColor& row, int h) {
  const int z = static_cast<int>(CurrentZ);
  if (remembered.h == h && remembered.kind == row.kind && remembered.angle == row.angle &&
      remembered.z == z)
    return;
  remembered = {h, row.kind, row.angle, z};
  const std::string name = KernelCacheName(row.kind, h, row.angle, CurrentZ);
  if (h != 0) {
    if (LoadKernelFile(name, KernelTable)) return;
    std::printf(" - Creating New %s File", name.c_str());
    std::fflush(stdout);
  }
  ReferenceKernel(row.kind, h, row.angle, CurrentZ, &KernelTable[0][0][0]);
  if (h != 0) {
    StoreKernelFile(name, KernelTable);
    const std::string wipe = std::string(46, '\b') + std::string(46, ' ') + std::string(46, '\b');
    std::fputs(wipe.c_str(), stdout);
    std::fflush(stdout);
  }
}

int ReferenceRun(const RunSettings& settings) {
  ResetGrids();
  remembered = RememberedKernel{};
  lodepng::State png_state;
  SetUpPngState(png_state);
  CurrentZ = settings.z;

  std::vector<unsigned char> png_file_buffer, pixel_buffer;
  const DecodedInput input =
      LoadAndDecodeInput(settings.input_name, png_state, png_file_buffer, pixel_buffer);
  if (input.status != InputStatus::kDecoded) return 1;
  std::fputs(RunBanner().c_str(), stdout);

  const OutputNames names = BuildOutputNames(settings.input_name, CurrentZ);
  LoadPicture(pixel_buffer.data());
  ReferenceSynthesizeField(settings, ReferencePrepareKernel);

  bool all_written = true;
  ReferenceDrawContours();
  ComposeContourPicture(pixel_buffer);
  WriteResult written =
      WritePicture(names.contour_image, "   +Writing Isopotential Contour File+\n", png_state,
                   pixel_buffer, png_file_buffer);
  if (written == WriteResult::kEncodeFailed) return 1;
  all_written &= written == WriteResult::kWritten;

  if (settings.export_vectors) all_written &= WriteVectorTables(names);

  TraceStreamlines();
  ComposeStreamPicture(pixel_buffer);
  written = WritePicture(names.stream_image, "   +Writing Magnetic Streamlines File+\n", png_state,
                         pixel_buffer, png_file_buffer);
  if (written == WriteResult::kEncodeFailed) return 1;
  all_written &= written == WriteResult::kWritten;

  ComposeCombinedPicture(pixel_buffer);
  written = WritePicture(names.combined_image, "   +Writing Stream & Contours File+\n", png_state,
                         pixel_buffer, png_file_buffer);
  if (written == WriteResult::kEncodeFailed) return 1;
  all_written &= written == WriteResult::kWritten;

  std::fflush(stdout);
  return all_written ? 0 : 1;
}
