#include "app/run.h"

#include <cstdio>
#include <filesystem>
#include <iostream>

#include "app/banners.h"
#include "app/command_line.h"
#include "app/output_names.h"
#include "app/png_codec.h"
#include "core/stale_temporaries.h"
#include "field/field_synthesis.h"
#include "render/contours.h"
#include "render/picture_composition.h"
#include "render/streamlines.h"
#include "render/vector_tables.h"

namespace {

// Reads the file name at the prompt; false when the user ends the run.
bool AskForInputName(RunSettings* settings) {
  std::fputs(UsageBanner().c_str(), stdout);
  std::fputs(kPromptText, stdout);
  std::fflush(stdout);
  std::string line;
  if (!std::getline(std::cin, line)) line.clear();
  if (!PromptLineNamesFile(line)) return false;
  settings->input_name = line;
  return true;
}

// Writes the composed picture. False when the encode failed, which ends the
// run; a file that could not be saved clears *all_written and the run goes on.
bool WriteOutput(const char* file_name, const char* message, lodepng::State& png_state,
                 const std::vector<unsigned char>& pixel_buffer,
                 std::vector<unsigned char>& png_file_buffer, bool* all_written) {
  const WriteResult written =
      WritePicture(file_name, message, png_state, pixel_buffer, png_file_buffer);
  if (written == WriteResult::kSaveFailed) *all_written = false;
  return written != WriteResult::kEncodeFailed;
}

}  // namespace

int RunFluxart(const std::vector<std::string>& args, Workspace& workspace) {
  lodepng::State png_state;
  SetUpPngState(png_state);

  RunSettings settings;
  if (!ParseArguments(args, &settings) && !AskForInputName(&settings)) return 0;

  std::vector<unsigned char> png_file_buffer;
  std::vector<unsigned char> pixel_buffer;
  DecodedInput input =
      LoadAndDecodeInput(settings.input_name, png_state, png_file_buffer, pixel_buffer);
  if (input.status == InputStatus::kTooLarge) {
    std::printf("fluxart: %s is larger than %u MiB; a 640 x 640 drawing is far smaller\n",
                settings.input_name.c_str(), static_cast<unsigned>(kMaxInputFileBytes >> 20));
    return 1;
  }
  if (input.status == InputStatus::kDecodeError) {
    std::fputs(CodecErrorLine("decoder error ", input.error).c_str(), stdout);
    return 1;
  }
  std::fputs(RunBanner().c_str(), stdout);
  if (input.status == InputStatus::kWrongSize) {
    std::printf("\nfluxart: %s is %u x %u pixels; the drawing must be 640 x 640\n",
                settings.input_name.c_str(), input.width, input.height);
    return 1;
  }

  const OutputNames names = BuildOutputNames(settings.input_name, settings.z);
  const std::string clash =
      OutputThatIsTheInput(names, settings.input_name, settings.export_vectors);
  if (!clash.empty()) {
    std::printf("\nfluxart: %s is both the drawing and an output of this run; rename the drawing\n",
                clash.c_str());
    return 1;
  }
  if (const unsigned error = TryPictureEncoding(png_state, pixel_buffer, png_file_buffer)) {
    std::fputs(("\n" + CodecErrorLine("encoder error ", error)).c_str(), stdout);
    return 1;
  }
  // Temporary files of killed runs, in the cache's folder and the outputs'.
  RemoveStaleTemporaries(".");
  const std::string output_folder =
      std::filesystem::path(names.contour_image).parent_path().string();
  if (!output_folder.empty()) RemoveStaleTemporaries(output_folder);

  StartRun(workspace, pixel_buffer.data(), settings.z);
  SynthesizeField(workspace, settings.thickness);

  bool all_written = true;
  DrawContours(workspace);
  ComposeContourPicture(workspace, pixel_buffer);
  if (!WriteOutput(names.contour_image, "   +Writing Isopotential Contour File+\n", png_state,
                   pixel_buffer, png_file_buffer, &all_written))
    return 1;

  if (settings.export_vectors)
    all_written &= WriteVectorTables(workspace, names.i_table, names.j_table, names.k_table);

  TraceStreamlines(workspace);
  ComposeStreamPicture(workspace, pixel_buffer);
  if (!WriteOutput(names.stream_image, "   +Writing Magnetic Streamlines File+\n", png_state,
                   pixel_buffer, png_file_buffer, &all_written))
    return 1;

  ComposeCombinedPicture(workspace, pixel_buffer);
  if (!WriteOutput(names.combined_image, "   +Writing Stream & Contours File+\n", png_state,
                   pixel_buffer, png_file_buffer, &all_written))
    return 1;

  std::fflush(stdout);
  return all_written ? 0 : 1;
}
