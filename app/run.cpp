#include "app/run.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <new>

#include "app/banners.h"
#include "app/command_line.h"
#include "app/output_names.h"
#include "app/png_codec.h"
#include "core/interruption.h"
#include "core/parallel_rows.h"
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

// The three output pictures, composed and encoded at once.
enum OutputPicture { kContourPicture, kStreamPicture, kCombinedPicture, kOutputPictures };
static_assert(kOutputPictures == ComposedPictures::kCount, "one composed picture per output");
// The line each picture's file gets as it is written.
const char* const kWritingLines[kOutputPictures] = {"   +Writing Isopotential Contour File+\n",
                                                    "   +Writing Magnetic Streamlines File+\n",
                                                    "   +Writing Stream & Contours File+\n"};
struct EncodedPictures {
  std::vector<unsigned char> files[kOutputPictures];
  unsigned errors[kOutputPictures] = {};
};

// pixels := output picture k, of picture_bytes, from the drawn contours and
// streamlines.
void ComposeOutputPicture(const Workspace& workspace, int k, size_t picture_bytes,
                          std::vector<unsigned char>& pixels) {
  pixels.resize(picture_bytes);
  if (k == kContourPicture) ComposeContourPicture(workspace, pixels);
  if (k == kStreamPicture) ComposeStreamPicture(workspace, pixels);
  if (k == kCombinedPicture) ComposeCombinedPicture(workspace, pixels);
}

void ComposeOutputPictures(const Workspace& workspace, size_t picture_bytes,
                           std::vector<unsigned char> (&pixels)[kOutputPictures]) {
  for (int k = 0; k < kOutputPictures; ++k)
    ComposeOutputPicture(workspace, k, picture_bytes, pixels[k]);
}

// Composes the three pictures from the drawn contours and streamlines and
// encodes them, two threads at a time when there are two processors: the
// combined picture, the largest file, on one, the others on the other, each
// composed on the thread that encodes it. Each encode has its own copy of
// the run's settings.
EncodedPictures EncodeOutputPictures(const Workspace& workspace, const lodepng::State& png_state,
                                     size_t picture_bytes) {
  EncodedPictures encoded;
  std::vector<unsigned char> pixels[kOutputPictures];
  const int parts = DefaultThreadCount() > 1 ? 2 : 1;
  const int part_of[kOutputPictures] = {0, 0, 1};
  RunParts(parts, [&](int part) {
    for (int k = 0; k < kOutputPictures; ++k) {
      if (part_of[k] % parts != part) continue;
      ComposeOutputPicture(workspace, k, picture_bytes, pixels[k]);
      lodepng::State state = png_state;
      encoded.errors[k] = EncodePicture(state, pixels[k], encoded.files[k]);
    }
  });
  return encoded;
}

// Saves an encoded picture. False when the encode failed, which ends the
// run; a file that could not be saved clears *all_written and the run goes on.
bool SaveOutput(const char* file_name, const char* message, const EncodedPictures& encoded,
                OutputPicture picture, bool* all_written) {
  const WriteResult written =
      SavePicture(file_name, message, encoded.errors[picture], encoded.files[picture]);
  if (written == WriteResult::kSaveFailed) *all_written = false;
  return written != WriteResult::kEncodeFailed;
}

constexpr char kReadingTheDrawing[] = "reading the drawing";

// The run itself; *doing names what it is doing, for the out-of-memory line.
// With composed, the pictures are kept there instead of encoded and saved.
int RunSteps(const std::vector<std::string>& args, Workspace& workspace,
             FieldScratch& field_scratch, const RunOptions& options, ComposedPictures* composed,
             const char** doing) {
  *doing = kReadingTheDrawing;
  lodepng::State png_state;
  SetUpPngState(png_state);

  RunSettings settings;
  if (!ParseArguments(args, &settings) && !AskForInputName(&settings)) return 0;

  std::vector<unsigned char> png_file_buffer;
  std::vector<unsigned char> pixel_buffer;
  DecodedInput input =
      LoadAndDecodeInput(settings.input_name, png_state, png_file_buffer, pixel_buffer);
  if (input.status == InputStatus::kTooLarge || input.status == InputStatus::kDecodeError) {
    std::fputs(InputProblemLine(settings.input_name, input).c_str(), stdout);
    return 1;
  }
  std::fputs(RunBanner().c_str(), stdout);
  if (input.status == InputStatus::kWrongSize) {
    std::fputs(("\n" + InputProblemLine(settings.input_name, input)).c_str(), stdout);
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
  const std::string cache_clash = CacheFileThatIsTheInput(settings.input_name, settings.z,
                                                          settings.thickness, options.cache_folder);
  if (!cache_clash.empty()) {
    std::fputs(("\n" + CacheClashLine(cache_clash)).c_str(), stdout);
    return 1;
  }
  *doing = "preparing the run";
  // The trial encode and the loading of the drawing into the workspace run
  // at once; a refused setting still ends the run before anything is
  // computed or any file is touched.
  unsigned trial_error = 0;
  const int parts = DefaultThreadCount() > 1 && !composed ? 2 : 1;
  RunParts(parts, [&](int part) {
    if (part == parts - 1 && !composed)
      trial_error = TryPictureEncoding(png_state, pixel_buffer, png_file_buffer);
    if (part == 0) StartRun(workspace, pixel_buffer.data());
  });
  if (trial_error) {
    const std::string line = trial_error == kCodecOutOfMemory
                                 ? OutOfMemoryLine("preparing the run")
                                 : CodecErrorLine("encoder error ", trial_error);
    std::fputs(("\n" + line).c_str(), stdout);
    return 1;
  }
  // Temporary files of killed runs, in the cache's folder and the outputs'.
  RemoveStaleTemporaries(options.cache_folder, settings.input_name);
  const std::string output_folder =
      std::filesystem::path(names.contour_image).parent_path().string();
  if (!output_folder.empty()) RemoveStaleTemporaries(output_folder, settings.input_name);

  *doing = "computing the field";
  SynthesizeField(workspace, field_scratch, settings.z, settings.thickness, options);

  // Both drawing stages run before any picture is saved, so that the three
  // encodes can share the processors; the console and the files come out in
  // the order of a run that finished each picture before the next stage.
  bool all_written = true;
  *doing = "drawing the contours";
  DrawContours(workspace);
  *doing = "tracing the streamlines";
  TraceStreamlines(workspace);
  if (composed) {
    *doing = "composing the pictures";
    ComposeOutputPictures(workspace, pixel_buffer.size(), composed->pixels);
    const char* const file_names[kOutputPictures] = {names.contour_image, names.stream_image,
                                                     names.combined_image};
    for (int k = 0; k < kOutputPictures; ++k) composed->names[k] = file_names[k];
  }
  *doing = "encoding the pictures";
  const EncodedPictures encoded =
      composed ? EncodedPictures()
               : EncodeOutputPictures(workspace, png_state, pixel_buffer.size());
  *doing = "writing the output files";
  // A kept picture is told as written.
  const auto output = [&](const char* file_name, OutputPicture picture) {
    if (!composed)
      return SaveOutput(file_name, kWritingLines[picture], encoded, picture, &all_written);
    std::puts(kWritingLines[picture]);
    return true;
  };
  if (!output(names.contour_image, kContourPicture)) return 1;

  if (settings.export_vectors)
    all_written &= WriteVectorTables(workspace, names.i_table, names.j_table, names.k_table);

  workspace.observer->StageStarted(RunStage::kStreamlines);
  if (!output(names.stream_image, kStreamPicture)) return 1;
  if (!output(names.combined_image, kCombinedPicture)) return 1;

  std::fflush(stdout);
  return all_written ? 0 : 1;
}

}  // namespace

int RunFluxart(const std::vector<std::string>& args, Workspace& workspace,
               FieldScratch& field_scratch, const RunOptions& options) {
  return RunFluxartComposing(args, workspace, field_scratch, options, nullptr);
}

int RunFluxartComposing(const std::vector<std::string>& args, Workspace& workspace,
                        FieldScratch& field_scratch, const RunOptions& options,
                        ComposedPictures* composed) {
  const char* doing = "starting";
  if (composed)
    for (std::string& name : composed->names) name.clear();
  try {
    return RunSteps(args, workspace, field_scratch, options, composed, &doing);
  } catch (const std::bad_alloc&) {
    // Whatever was being written is incomplete: none of it stays.
    RemoveRegisteredTemporaries();
    // Lines before the banner have no blank line in front.
    const bool before_banner = std::strcmp(doing, kReadingTheDrawing) == 0;
    std::fputs(((before_banner ? "" : "\n") + OutOfMemoryLine(doing)).c_str(), stdout);
    std::fflush(stdout);
    return 1;
  }
}

std::string EncodeOutputPicture(const std::vector<unsigned char>& drawing_file,
                                const std::vector<unsigned char>& picture,
                                std::vector<unsigned char>& png_bytes) {
  png_bytes.clear();
  lodepng::State state;
  SetUpPngState(state);
  std::vector<unsigned char> drawing;
  const DecodedInput input = DecodeInputBytes(drawing_file, state, drawing);
  if (input.status != InputStatus::kDecoded) return InputProblemLine("the drawing", input);
  const unsigned error = EncodePicture(state, picture, png_bytes);
  if (!error) return std::string();
  png_bytes.clear();
  return error == kCodecOutOfMemory ? OutOfMemoryLine("encoding the pictures")
                                    : CodecErrorLine("encoder error ", error);
}
