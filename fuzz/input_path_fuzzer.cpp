// Fuzz target: the bytes of an input file on the program's own path. They
// are decoded with the run's codec settings and limits, size-checked, loaded
// into the workspace as a run does, and a picture that passes goes through
// the field synthesis of one layer, every pass. Kernel values do not matter
// to the decomposition, so the kernel preparation is replaced here by one
// that fills the window it is asked for with the block's number of cubes,
// (2h + 1)^2, and records the request. Every field cell then adds up the
// signs of all the magnet pixels, once each, which the checks below compare
// with the picture; a window too small for its blocks leaves another
// block's count where they read. Last, a small picture is encoded with the
// same codec state, which still holds the chunks kept from the input, as
// the program's output files are.
#include <lodepng.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <set>
#include <vector>

#include "app/png_codec.h"
#include "core/magnet_color_table.h"
#include "core/run_options.h"
#include "core/workspace.h"
#include "field/field_scratch.h"
#include "field/field_synthesis.h"
#include "field/kernel_cache.h"

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t max_size);

namespace {

constexpr float kLayerZ = 3.0f;
// Each block found costs one addition over the whole field grid; pictures
// with more magnet pixels than this skip the synthesis so that an iteration
// stays short.
constexpr int kMaxMagnetPixels = 96;

int kernel_requests = 0;
// What the stand-in last filled: the half-size, and where.
int filled_half_size = -1;
KernelWindow filled_window{0, 0, 0, 0};

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "input_path check failed: %s\n", what);
  std::abort();
}

// The one workspace and field scratch of this process, made at the first
// input.
Workspace& TheWorkspace() {
  static const std::unique_ptr<Workspace> workspace = std::make_unique<Workspace>();
  return *workspace;
}
FieldScratch& TheFieldScratch() {
  static const std::unique_ptr<FieldScratch> scratch = std::make_unique<FieldScratch>();
  return *scratch;
}

bool IsPassHalfSize(int h) {
  for (int pass : kBlockHalfSizes)
    if (h == pass) return true;
  return false;
}

void StandInKernel(Workspace& ws, int kind, int h, const KernelWindow& window) {
  Check(IsPassHalfSize(h), "kernel asked for a pass's half-size");
  Check(kind >= AxialDipole && kind <= Monopole, "kernel kind is a table kind");
  Check(0 <= window.row_begin && window.row_begin < window.row_end &&
            window.row_end <= kKernelSide && 0 <= window.column_begin &&
            window.column_begin < window.column_end && window.column_end <= kKernelSide,
        "kernel window lies in the table");
  ++kernel_requests;
  if (h == filled_half_size && Covers(filled_window, window)) return;
  const float cubes = static_cast<float>((2 * h + 1) * (2 * h + 1));
  for (int p = window.row_begin; p < window.row_end; ++p)
    std::fill(&ws.kernel_table[p][window.column_begin][0],
              &ws.kernel_table[p][window.column_end - 1][2] + 1, cubes);
  filled_half_size = h;
  filled_window = window;
}

int PackedColor(int r, int g, int b) { return (r << 16) | (g << 8) | b; }

// The table's colours by 24-bit value, for a quick look at every pixel.
const std::vector<bool>& TableColors() {
  static std::vector<bool> colors;
  if (colors.empty()) {
    colors.resize(1 << 24);
    for (const MagnetColor& row : MagnetColorTable) colors[PackedColor(row.r, row.g, row.b)] = true;
  }
  return colors;
}

void RunOneLayer(Workspace& ws, FieldScratch& scratch) {
  const std::vector<bool>& table_colors = TableColors();
  std::set<int> colors;
  int magnet_pixels = 0, signs = 0;
  for (int r = 0; r < kPictureSide; ++r)
    for (int c = 0; c < kPictureSide; ++c) {
      const int16_t* px = ws.picture_plane[r][c];
      Check(px[0] >= 0 && px[0] <= 255 && px[1] >= 0 && px[1] <= 255 && px[2] >= 0 && px[2] <= 255,
            "picture samples are bytes");
      const int color = PackedColor(px[0], px[1], px[2]);
      if (!table_colors[color]) continue;
      ++magnet_pixels;
      colors.insert(color);
      signs += MagnetColorTable[FirstRowOfColor(px[0], px[1], px[2])].sign;
    }
  if (magnet_pixels > kMaxMagnetPixels) return;

  kernel_requests = 0;
  RunOptions options;
  options.threads = 1;
  SynthesizeField(ws, scratch, kLayerZ, 1, options);

  // The pixels are as they were; a kernel was asked for exactly when there
  // were magnets, at most once per pass and colour; every cell got every
  // magnet pixel's sign once.
  Check(std::memcmp(ws.work_plane, ws.picture_plane, sizeof(ImagePlane)) == 0,
        "the work plane is the picture again");
  Check((magnet_pixels == 0) == (kernel_requests == 0), "a kernel exactly when a block is found");
  Check(kernel_requests <= static_cast<int>(std::size(kBlockHalfSizes) * colors.size()),
        "at most one kernel per pass and colour");
  for (int l = 0; l < kPictureSide; l += 639)
    for (int m = 0; m < kPictureSide; m += 639)
      for (int n = 0; n < 3; ++n)
        Check(ws.field_grid[l][m][n] == static_cast<float>(signs),
              "every cell gets every magnet pixel once");
}

// Recomputes the CRC of every whole chunk after the signature, so that
// mutations inside a chunk reach the code that reads it.
void FixChunkCrcs(uint8_t* data, size_t size) {
  size_t at = 8;
  while (at + 12 <= size) {
    const size_t length = lodepng_chunk_length(data + at);
    if (length > size - at - 12) return;
    lodepng_chunk_generate_crc(data + at);
    at += length + 12;
  }
}

uint32_t BigEndian32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

void AppendBigEndian32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

// Changes the pixels rather than the compressed stream: inflates the image
// data, mutates a short run of it, deflates it again into one IDAT chunk in
// place of the old ones. Mutations of the compressed bytes themselves almost
// always break its checksum, so without this the pictures that pass the
// decoder would hardly ever differ from the seeds. Returns the new size, or
// 0 when the input has no image data that inflates.
size_t MutateImageData(uint8_t* data, size_t size, size_t max_size, unsigned seed) {
  std::vector<uint8_t> compressed;
  size_t first = 0, last = 0;
  for (size_t at = 8; at + 12 <= size;) {
    const size_t length = BigEndian32(data + at);
    if (length > size - at - 12) break;
    if (std::memcmp(data + at + 4, "IDAT", 4) == 0) {
      if (first == 0) first = at;
      last = at + 12 + length;
      compressed.insert(compressed.end(), data + at + 8, data + at + 8 + length);
    }
    at += 12 + length;
  }
  if (first == 0) return 0;

  LodePNGDecompressSettings inflate_settings;
  lodepng_decompress_settings_init(&inflate_settings);
  inflate_settings.max_output_size = 8u << 20;
  unsigned char* raw = nullptr;
  size_t raw_size = 0;
  if (lodepng_zlib_decompress(&raw, &raw_size, compressed.data(), compressed.size(),
                              &inflate_settings) != 0 ||
      raw_size == 0) {
    std::free(raw);
    return 0;
  }
  const size_t offset = (seed >> 1) % raw_size;
  const size_t window = std::min<size_t>(48, raw_size - offset);
  std::vector<uint8_t> run(raw + offset, raw + offset + window);
  run.resize(LLVMFuzzerMutate(run.data(), run.size(), run.size()));
  std::copy(run.begin(), run.end(), raw + offset);
  // Half the time the run is repeated on the next two scanlines too (of a
  // plain 640-line picture), which makes blocks for the decomposition.
  const size_t stride = raw_size % kPictureSide == 0 ? raw_size / kPictureSide : 0;
  if (stride != 0 && (seed & 1) != 0)
    for (size_t below = offset + stride;
         below + run.size() <= raw_size && below <= offset + 2 * stride; below += stride)
      std::copy(run.begin(), run.end(), raw + below);

  LodePNGCompressSettings deflate_settings;
  lodepng_compress_settings_init(&deflate_settings);
  unsigned char* deflated = nullptr;
  size_t deflated_size = 0;
  const unsigned error =
      lodepng_zlib_compress(&deflated, &deflated_size, raw, raw_size, &deflate_settings);
  std::free(raw);
  std::vector<uint8_t> rebuilt(data, data + first);
  if (error == 0) {
    AppendBigEndian32(rebuilt, static_cast<uint32_t>(deflated_size));
    const size_t chunk_start = rebuilt.size();
    rebuilt.insert(rebuilt.end(), {'I', 'D', 'A', 'T'});
    rebuilt.insert(rebuilt.end(), deflated, deflated + deflated_size);
    AppendBigEndian32(rebuilt, lodepng_crc32(&rebuilt[chunk_start], deflated_size + 4));
  }
  std::free(deflated);
  rebuilt.insert(rebuilt.end(), data + last, data + size);
  if (error != 0 || rebuilt.size() > max_size) return 0;
  std::copy(rebuilt.begin(), rebuilt.end(), data);
  return rebuilt.size();
}

}  // namespace

// The program's kernel preparation, replaced for this target (see above):
// every step that finds a block asks for its kernel.
void PrepareKernel(Workspace& ws, FieldScratch&, const MagnetColor& row, int h, float z,
                   const RunOptions&, const KernelWindow& window) {
  Check(row.angle >= 0 && row.angle < 360, "planar angle in whole degrees");
  Check(z == kLayerZ, "kernel asked for at the layer's height");
  StandInKernel(ws, row.kind, h, window);
}

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t max_size,
                                          unsigned int seed) {
  // One mutation in eight changes the pixels; of the others, one in four
  // keeps its broken checksums for the CRC check itself.
  if (seed % 8 == 0) {
    const size_t changed = MutateImageData(data, size, max_size, seed / 8);
    if (changed != 0) return changed;
  }
  size = LLVMFuzzerMutate(data, size, max_size);
  if (seed % 4 != 1) FixChunkCrcs(data, size);
  return size;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  lodepng::State state;
  SetUpPngState(state);
  const std::vector<unsigned char> file_bytes(data, data + size);
  std::vector<unsigned char> pixels;
  const DecodedInput input = DecodeInputBytes(file_bytes, state, pixels);
  if (input.status == InputStatus::kWrongSize)
    Check(input.width != kPictureSide || input.height != kPictureSide, "wrong size is wrong");
  if (input.status != InputStatus::kDecoded) return 0;
  Check(input.width == kPictureSide && input.height == kPictureSide,
        "decoded picture is 640 x 640");
  Check(pixels.size() == static_cast<size_t>(kPictureSide) * kPictureSide * 3,
        "decoded picture holds 640 x 640 RGB pixels");

  Workspace& ws = TheWorkspace();
  StartRun(ws, pixels.data());
  RunOneLayer(ws, TheFieldScratch());

  // An 8 x 8 corner of the picture, encoded with the state of the decode.
  std::vector<unsigned char> corner;
  for (int r = 0; r < 8; ++r)
    corner.insert(corner.end(), pixels.begin() + r * 1920, pixels.begin() + r * 1920 + 24);
  state.encoder.text_compression = 1;
  std::vector<unsigned char> png;
  if (lodepng::encode(png, corner, 8, 8, state) == 0) {
    lodepng::State check;
    SetUpPngState(check);
    std::vector<unsigned char> again;
    unsigned width = 0, height = 0;
    Check(lodepng::decode(again, width, height, check, png) == 0, "an encoded picture decodes");
    Check(width == 8 && height == 8 && again == corner, "an encoded picture keeps its pixels");
  }
  return 0;
}
