// The browser build's entry points. A run takes the command line as main
// does, on the instance's one Workspace and field scratch, which each run
// first sets back to the state a new process starts with, so that one
// instance serves run after run with its files (the kept kernels) in place;
// the page reads the run's field grid and its three pictures, as composed,
// afterwards, and encodes a picture only when it is downloaded, into the
// bytes the run would have written. Besides runs, the page decodes
// and encodes drawings with the run's own codec settings and messages,
// learns which kernel cache files a run of a drawing may read and what a
// kernel file's name says,
// reads the colour table and the meaning of a colour, reads z and w by the
// command line's rules and formats a field value as the tables do. Strings
// returned stay valid until the next call that returns one.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/console_observer.h"
#include "app/png_codec.h"
#include "app/run.h"
#include "core/file_names.h"
#include "core/magnet_color_names.h"
#include "core/magnet_color_table.h"
#include "core/parallel_rows.h"
#include "core/workspace.h"
#include "field/field_scratch.h"
#include "field/field_synthesis.h"
#include "render/vector_tables.h"

// Hands each event of a run to the page as a call of
// Module.onRunEvent(type, a, b, c, text), when the page gave one.
EM_JS(void, PostRunEvent, (const char* type, int a, int b, int c, const char* text), {
  if (Module.onRunEvent) Module.onRunEvent(UTF8ToString(type), a, b, c, UTF8ToString(text));
});

namespace {

// The console's text, and every event handed to the page as well:
// "layer" (z, layer, layers), "step" (step, steps), "kernel-making" (the
// file's name), "kernel-finished" (stored or not, the kernel's kind and
// angle, the name), "notice" (the line) and "stage" (a RunStage).
class PageObserver : public ConsoleObserver {
 public:
  void LayerStarted(int z, int layer, int layers) override {
    ConsoleObserver::LayerStarted(z, layer, layers);
    PostRunEvent("layer", z, layer, layers, "");
  }
  void StepStarted(int step, int steps) override {
    ConsoleObserver::StepStarted(step, steps);
    PostRunEvent("step", step, steps, 0, "");
  }
  void KernelBeingMade(const std::string& name) override {
    ConsoleObserver::KernelBeingMade(name);
    PostRunEvent("kernel-making", 0, 0, 0, name.c_str());
  }
  void KernelFinished(const std::string& name, bool stored) override {
    ConsoleObserver::KernelFinished(name, stored);
    KernelCacheKey key;
    ParseKernelCacheName(name, &key);
    PostRunEvent("kernel-finished", stored ? 1 : 0, key.kind, key.angle, name.c_str());
  }
  void Notice(const std::string& line) override {
    ConsoleObserver::Notice(line);
    PostRunEvent("notice", 0, 0, 0, line.c_str());
  }
  void StageStarted(RunStage stage) override {
    ConsoleObserver::StageStarted(stage);
    PostRunEvent("stage", static_cast<int>(stage), 0, 0, "");
  }
};

PageObserver page_observer;
std::string message;
std::vector<unsigned char> encoded;
ComposedPictures composed;

// A kernel cache file a run may read: the layer (from 1) and the step of the
// layer (from 1) at which it would load or make it, the kernel's half-size
// and kind.
struct RunKernel {
  int layer, step, half_size, kind;
  std::string name;
};
std::vector<RunKernel> run_kernels;
// Some 43 MB and 20 MB: static storage, zero at start.
Workspace workspace;
FieldScratch field_scratch;

}  // namespace

extern "C" {

// Runs the program with argv[0..argc) as the arguments after its name, from
// a fresh Workspace and field scratch, in the current folder of the
// in-memory file system, printing to standard output (flushed on return) and
// handing the run's events to the page (see PageObserver). Returns the exit
// status as main would.
EMSCRIPTEN_KEEPALIVE int fluxart_run(int argc, const char* const* argv) {
  workspace.~Workspace();
  new (&workspace) Workspace();  // value-initialised: zeroed, then the members' own initial values
  field_scratch.~FieldScratch();
  new (&field_scratch) FieldScratch();
  workspace.observer = &page_observer;
  const int status = RunFluxartComposing(std::vector<std::string>(argv, argv + argc), workspace,
                                         field_scratch, RunOptions(), &composed);
  std::fflush(stdout);
  return status;
}

// The last run's picture k (0 contours, 1 streamlines, 2 both): 640 * 640 *
// 3 bytes of RGB pixels, and the name of its file; null and "" when the run
// ended before its pictures.
EMSCRIPTEN_KEEPALIVE const unsigned char* fluxart_picture(int k) {
  if (k < 0 || k >= ComposedPictures::kCount || composed.names[k].empty()) return nullptr;
  return composed.pixels[k].data();
}
EMSCRIPTEN_KEEPALIVE const char* fluxart_picture_name(int k) {
  return k >= 0 && k < ComposedPictures::kCount ? composed.names[k].c_str() : "";
}
// The last run's outputs' names up to their kind ("bar_magnet___Z5003_"),
// for the page's own files of the run; "" when the run ended before its
// pictures.
EMSCRIPTEN_KEEPALIVE const char* fluxart_output_stem() {
  const std::string& contours = composed.names[0];
  const size_t kind = sizeof kContourImageSuffix - 1 - 1;  // the suffix after its "_"
  message = contours.size() > kind ? contours.substr(0, contours.size() - kind) : "";
  return message.c_str();
}

// The last message a call left: an error line as the program prints it, or
// a colour's name.
EMSCRIPTEN_KEEPALIVE const char* fluxart_message() { return message.c_str(); }

// Why a file is refused, for the page to say in plain words.
enum DecodeRefusal { kNotRefused, kNotPng, kDamaged, kTooLarge, kWrongSize };

// Decodes size bytes of the file called name into pixels (640 * 640 * 3
// bytes, RGB) as a run reads its input. Returns kNotRefused when decoded;
// otherwise why not, pixels are unspecified and fluxart_message() holds the
// program's line.
EMSCRIPTEN_KEEPALIVE int fluxart_decode_png(const char* name, const unsigned char* bytes, int size,
                                            unsigned char* pixels) {
  message.clear();
  DecodedInput input;
  std::vector<unsigned char> decoded;
  if (size < 0 || static_cast<size_t>(size) > kMaxInputFileBytes) {
    input.status = InputStatus::kTooLarge;
  } else {
    lodepng::State state;
    SetUpPngState(state);
    const std::vector<unsigned char> file_bytes(bytes, bytes + size);
    input = DecodeInputBytes(file_bytes, state, decoded);
  }
  if (input.status != InputStatus::kDecoded) {
    message = InputProblemLine(name, input);
    constexpr unsigned kNoPngSignature = 28, kInflatesTooLarge = 109;
    if (input.status == InputStatus::kWrongSize) return kWrongSize;
    if (input.status == InputStatus::kTooLarge || input.error == kInflatesTooLarge)
      return kTooLarge;
    return input.error == kNoPngSignature ? kNotPng : kDamaged;
  }
  std::copy(decoded.begin(), decoded.end(), pixels);
  return kNotRefused;
}

// Encodes 640 * 640 * 3 bytes of RGB pixels as a PNG file with the run's
// codec settings. Returns its size (the bytes at fluxart_encoded()), or 0
// with the "encoder error" line in fluxart_message().
namespace {
// Encodes 640 * 640 * 3 bytes of RGB pixels into `encoded` with state's
// settings; gives its size, or 0 with the "encoder error" line in message.
int EncodeInto(lodepng::State& state, const unsigned char* pixels) {
  message.clear();
  const std::vector<unsigned char> raw(pixels, pixels + kPictureSide * kPictureSide * 3);
  const unsigned error = EncodePicture(state, raw, encoded);
  if (error) {
    message = CodecErrorLine("encoder error ", error);
    encoded.clear();
    return 0;
  }
  return static_cast<int>(encoded.size());
}
}  // namespace

EMSCRIPTEN_KEEPALIVE int fluxart_encode_png(const unsigned char* pixels) {
  lodepng::State state;
  SetUpPngState(state);
  return EncodeInto(state, pixels);
}
EMSCRIPTEN_KEEPALIVE const unsigned char* fluxart_encoded() { return encoded.data(); }

// Encodes 640 * 640 * 3 bytes of RGB pixels as the PNG file a run takes its
// drawing from, as fluxart_encode_png does, but as 8-bit RGB rows stored
// unfiltered and uncompressed, several times faster to make and to read. The
// run reads the same pixels and no chunks from it, and takes none of its
// codec settings from how it was compressed, so its outputs are the same
// bytes. Returns the size as fluxart_encode_png does.
EMSCRIPTEN_KEEPALIVE int fluxart_encode_run_input(const unsigned char* pixels) {
  lodepng::State state;
  SetUpPngState(state);
  state.encoder.auto_convert = 0;
  state.info_png.color.colortype = LCT_RGB;
  state.info_png.color.bitdepth = 8;
  state.encoder.filter_strategy = LFS_ZERO;
  state.encoder.zlibsettings.btype = 0;
  return EncodeInto(state, pixels);
}

// Encodes a run's picture (640 * 640 * 3 bytes of RGB pixels) as the run
// whose drawing was the PNG file of size bytes at drawing writes it. Returns
// its size (the bytes at fluxart_encoded()), or 0 with the program's line in
// fluxart_message().
EMSCRIPTEN_KEEPALIVE int fluxart_encode_output(const unsigned char* drawing, int size,
                                               const unsigned char* picture) {
  const std::vector<unsigned char> drawing_file(drawing, drawing + std::max(0, size));
  const std::vector<unsigned char> pixels(picture, picture + kPictureSide * kPictureSide * 3);
  message = EncodeOutputPicture(drawing_file, pixels, encoded);
  return message.empty() ? static_cast<int>(encoded.size()) : 0;
}

// The colour table: kMagnetColorCount rows of six int32 (r, g, b, sign,
// kind, angle), in table order.
EMSCRIPTEN_KEEPALIVE const MagnetColor* fluxart_color_table() { return MagnetColorTable.data(); }
EMSCRIPTEN_KEEPALIVE int fluxart_color_count() { return kMagnetColorCount; }
// The steps of one layer of the field: one per pass and table row.
EMSCRIPTEN_KEEPALIVE int fluxart_steps_per_layer() { return kStepsPerLayer; }
// Threads a run's stages share: one per processor in the threaded build, 1
// in the other, which has no threads.
EMSCRIPTEN_KEEPALIVE int fluxart_threads() { return DefaultThreadCount(); }

// The row a pixel of colour (r, g, b) acts as (the first in table order), or
// -1 for empty space.
EMSCRIPTEN_KEEPALIVE int fluxart_color_row(int r, int g, int b) { return FirstRowOfColor(r, g, b); }

// The palette name of a row ("12:00 light yellow", "dir 045 (+)") in
// fluxart_message(), and the clock direction of its magnetisation in the
// plane in whole degrees, -1 when it has none.
EMSCRIPTEN_KEEPALIVE const char* fluxart_color_name(int row) {
  message = row >= 0 && row < kMagnetColorCount ? MagnetColorName(row) : "empty space";
  return message.c_str();
}
EMSCRIPTEN_KEEPALIVE int fluxart_color_direction(int row) {
  return row >= 0 && row < kMagnetColorCount ? MagnetDirection(row) : -1;
}

// Reads z and w as the command line does (z_text and w_text as the second
// and third arguments) into *z and *thickness.
EMSCRIPTEN_KEEPALIVE void fluxart_read_settings(const char* z_text, const char* w_text, int* z,
                                                int* thickness) {
  RunSettings settings;
  ParseArguments({"drawing.png", z_text, w_text}, &settings);
  *z = static_cast<int>(settings.z);
  *thickness = settings.thickness;
}

// The kernel cache files a run of the drawing (640 * 640 * 3 bytes of RGB
// pixels) with z and w read from z_text and w_text may read: for each layer
// and each pass that keeps its kernels, one per field model of the drawing's
// colours, in the order the run comes to them. Returns how many;
// fluxart_run_kernel(k, facts) gives the name of the k-th and sets facts[0..4)
// to its layer, step, half-size and kind (RunKernel).
EMSCRIPTEN_KEEPALIVE int fluxart_run_kernels(const unsigned char* pixels, const char* z_text,
                                             const char* w_text) {
  RunSettings settings;
  ParseArguments({"drawing.png", z_text, w_text}, &settings);
  bool drawn[kMagnetColorCount] = {};
  int last_colour = -1;
  for (int k = 0; k < kPictureSide * kPictureSide * 3; k += 3) {
    const int colour = pixels[k] << 16 | pixels[k + 1] << 8 | pixels[k + 2];
    if (colour == last_colour) continue;
    last_colour = colour;
    const int row = FirstRowOfColor(pixels[k], pixels[k + 1], pixels[k + 2]);
    if (row >= 0) drawn[row] = true;
  }
  run_kernels.clear();
  const float z_step = settings.thickness >= 1 ? 1.0f : -1.0f;
  float z = settings.z;
  for (int layer = 1; layer <= std::abs(settings.thickness); ++layer, z += z_step) {
    int pass = 0;
    for (int h : kBlockHalfSizes) {
      const size_t pass_begin = run_kernels.size();
      for (int k = 0; h > 0 && k < kMagnetColorCount; ++k) {
        const MagnetColor& row = MagnetColorTable[k];
        if (!drawn[k] || row.kind < AxialDipole || row.kind > Monopole) continue;
        const std::string name = KernelCacheName(row.kind, h, row.angle, z);
        const bool listed =
            std::any_of(run_kernels.begin() + pass_begin, run_kernels.end(),
                        [&](const RunKernel& kernel) { return kernel.name == name; });
        if (!listed)
          run_kernels.push_back({layer, pass * kMagnetColorCount + k + 1, h, row.kind, name});
      }
      ++pass;
    }
  }
  return static_cast<int>(run_kernels.size());
}
EMSCRIPTEN_KEEPALIVE const char* fluxart_run_kernel(int k, int* facts) {
  const RunKernel& kernel = run_kernels.at(k);
  facts[0] = kernel.layer;
  facts[1] = kernel.step;
  facts[2] = kernel.half_size;
  facts[3] = kernel.kind;
  return kernel.name.c_str();
}

// What the kernel cache file called name holds: sets facts[0..3) to its
// kind, half-size and angle and returns 1, or returns 0 when name is not a
// kernel cache file's.
EMSCRIPTEN_KEEPALIVE int fluxart_kernel_of(const char* name, int* facts) {
  KernelCacheKey key;
  if (!ParseKernelCacheName(name, &key)) return 0;
  facts[0] = key.kind;
  facts[1] = key.half_size;
  facts[2] = key.angle;
  return 1;
}

// The kernel cache file that the file called name is, or whose checksums it
// holds; "" for any other file.
EMSCRIPTEN_KEEPALIVE const char* fluxart_kernel_file_of(const char* name) {
  message = IsKernelCacheName(name) ? std::string(name) : CacheNameOfChecksums(name);
  return message.c_str();
}

// A field value as the tables write it (after their first value).
EMSCRIPTEN_KEEPALIVE const char* fluxart_format_value(float value) {
  char text[48];
  FormatTableValue(value, 0, text, sizeof text);
  message = text;
  return message.c_str();
}

// The field grid the last run left: 640 x 640 x 3 floats, cell (l, m) at
// picture point (640 - l, 640 - m), components along rows, columns and up.
EMSCRIPTEN_KEEPALIVE const float* fluxart_field_grid() { return &workspace.field_grid[0][0][0]; }

}  // extern "C"
