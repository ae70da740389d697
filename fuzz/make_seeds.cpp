// Writes the seed corpora of the fuzz targets into DIR/<target>/:
//   input_path:   one drawing with blocks of table colours in every PNG
//                 flavour the decoder reads (colour types, bit depths,
//                 palettes, interlacing, ancillary chunks), and pictures of
//                 the wrong size;
//   command_line: argument lists from the edge cases of the number rules;
//   kernel_cache: descriptions of cache files (see kernel_cache_fuzzer.cpp).
// Usage: make_seeds DIR
#include <lodepng.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "core/magnet_color_table.h"
#include "core/workspace.h"

namespace {

struct Picture {
  unsigned width, height;
  std::vector<unsigned char> rgb;
  Picture(unsigned w, unsigned h) : width(w), height(h), rgb(size_t{w} * h * 3, 255) {}
  void Fill(unsigned row0, unsigned col0, unsigned rows, unsigned cols, const MagnetColor& c) {
    for (unsigned r = row0; r < row0 + rows && r < height; ++r)
      for (unsigned k = col0; k < col0 + cols && k < width; ++k) {
        unsigned char* p = &rgb[(size_t{r} * width + k) * 3];
        p[0] = static_cast<unsigned char>(c.r);
        p[1] = static_cast<unsigned char>(c.g);
        p[2] = static_cast<unsigned char>(c.b);
      }
  }
};

const MagnetColor& Row(int index) { return MagnetColorTable[index]; }
// Rows of the named colours.
constexpr int kBlue = 360, kRed = 361, kLightYellow = 364, kDarkGreen = 365, kPink = 370,
              kDarkPurple = 371;

// Blocks of the 3 x 3 lattice and stray pixels, at the corners and edges
// too: red, blue, light yellow and dark green, pink and dark purple, and
// fine directions (left out for few colours: seven in all, with white).
Picture Drawing(bool few_colors) {
  Picture p(kPictureSide, kPictureSide);
  p.Fill(0, 0, 9, 9, Row(kRed));
  p.Fill(631, 631, 9, 9, Row(kBlue));
  p.Fill(300, 300, 3, 3, Row(kLightYellow));
  p.Fill(300, 303, 3, 3, Row(kDarkGreen));
  p.Fill(99, 600, 6, 6, Row(kPink));
  p.Fill(99, 606, 3, 3, Row(kDarkPurple));
  if (few_colors) return p;
  p.Fill(637, 10, 3, 30, Row(0));
  p.Fill(10, 637, 30, 3, Row(149));
  for (int k = 0; k < 20; ++k) p.Fill(200 + k, 200 + 2 * k, 1, 1, Row(7 * k));
  return p;
}

// Only white and red: fits a two-colour palette or one bit of grey.
Picture TwoColorDrawing() {
  Picture p(kPictureSide, kPictureSide);
  p.Fill(3, 3, 6, 6, Row(kRed));
  p.Fill(634, 630, 6, 9, Row(kRed));
  return p;
}

void Save(const std::string& path, const std::vector<unsigned char>& bytes) {
  if (lodepng::save_file(bytes, path)) std::fprintf(stderr, "could not write %s\n", path.c_str());
}

struct Flavour {
  const char* name;
  LodePNGColorType type;
  unsigned depth;
  unsigned interlace;
  int colors;  // 2, 7, or 0 for all the drawing has
  bool chunks;
};

void AddChunks(lodepng::State& state) {
  LodePNGInfo& info = state.info_png;
  lodepng_add_text(&info, "Title", "magnets");
  lodepng_add_itext(&info, "Author", "en", "Author", "fluxart seeds");
  state.encoder.text_compression = 1;
  lodepng_add_text(&info, "Comment", "a longer text that the encoder compresses, compresses");
  info.background_defined = 1;
  info.background_r = info.background_g = info.background_b = 255;
  info.gama_defined = 1;
  info.gama_gamma = 45455;
  info.srgb_defined = 1;
  info.srgb_intent = 0;
  info.phys_defined = 1;
  info.phys_x = info.phys_y = 3780;
  info.phys_unit = 1;
  info.time_defined = 1;
  info.time.year = 2026;
  info.time.month = info.time.day = 1;
  // An unknown ancillary chunk before the image data.
  unsigned char* chunk = nullptr;
  size_t chunk_size = 0;
  const unsigned char note[4] = {'n', 'o', 't', 'e'};
  lodepng_chunk_create(&chunk, &chunk_size, 4, "fuZz", note);
  info.unknown_chunks_data[0] = chunk;
  info.unknown_chunks_size[0] = chunk_size;
}

void WriteInputSeeds(const std::string& dir) {
  const Flavour flavours[] = {
      {"rgb8", LCT_RGB, 8, 0, 0, false},
      {"rgb16", LCT_RGB, 16, 0, 0, false},
      {"rgba8", LCT_RGBA, 8, 0, 0, false},
      {"rgba16", LCT_RGBA, 16, 0, 0, false},
      {"grey1", LCT_GREY, 1, 0, 2, false},
      {"grey2", LCT_GREY, 2, 0, 2, false},
      {"grey4", LCT_GREY, 4, 0, 2, false},
      {"grey8", LCT_GREY, 8, 0, 0, false},
      {"grey16", LCT_GREY, 16, 0, 0, false},
      {"grey_alpha8", LCT_GREY_ALPHA, 8, 0, 0, false},
      {"grey_alpha16", LCT_GREY_ALPHA, 16, 0, 0, false},
      {"palette1", LCT_PALETTE, 1, 0, 2, false},
      {"palette2", LCT_PALETTE, 2, 0, 2, false},
      {"palette4", LCT_PALETTE, 4, 0, 7, false},
      {"palette8", LCT_PALETTE, 8, 0, 0, false},
      {"rgb8_interlaced", LCT_RGB, 8, 1, 0, false},
      {"palette4_interlaced", LCT_PALETTE, 4, 1, 7, false},
      {"rgb8_chunks", LCT_RGB, 8, 0, 0, true},
  };
  for (const Flavour& f : flavours) {
    const Picture picture = f.colors == 2 ? TwoColorDrawing() : Drawing(f.colors == 7);
    lodepng::State state;
    state.encoder.auto_convert = 0;
    state.encoder.zlibsettings.windowsize = 32768;  // smaller seeds
    state.info_raw.colortype = LCT_RGB;
    state.info_raw.bitdepth = 8;
    state.info_png.color.colortype = f.type;
    state.info_png.color.bitdepth = f.depth;
    state.info_png.interlace_method = f.interlace;
    if (f.type == LCT_PALETTE) {
      std::vector<unsigned> seen;
      for (size_t k = 0; k < picture.rgb.size(); k += 3) {
        const unsigned color =
            (picture.rgb[k] << 16) | (picture.rgb[k + 1] << 8) | picture.rgb[k + 2];
        bool known = false;
        for (unsigned s : seen) known = known || s == color;
        if (known) continue;
        seen.push_back(color);
        lodepng_palette_add(&state.info_png.color, color >> 16, (color >> 8) & 255, color & 255,
                            255);
      }
      // A spare transparent entry where the depth has room: a tRNS chunk.
      if (seen.size() < (1u << f.depth)) lodepng_palette_add(&state.info_png.color, 1, 2, 3, 0);
    }
    if (f.chunks) AddChunks(state);
    std::vector<unsigned char> png;
    const unsigned error = lodepng::encode(png, picture.rgb, picture.width, picture.height, state);
    if (error) {
      std::fprintf(stderr, "%s: encoder error %u: %s\n", f.name, error, lodepng_error_text(error));
      continue;
    }
    Save(dir + "/" + f.name + ".png", png);
  }
  for (std::pair<unsigned, unsigned> size :
       {std::make_pair(641u, 640u), std::make_pair(640u, 639u), std::make_pair(1u, 1u)}) {
    Picture picture(size.first, size.second);
    std::vector<unsigned char> png;
    lodepng::encode(png, picture.rgb, picture.width, picture.height, LCT_RGB, 8);
    Save(dir + "/size_" + std::to_string(size.first) + "x" + std::to_string(size.second) + ".png",
         png);
  }
}

void WriteCommandLineSeeds(const std::string& dir) {
  const char* const lists[][5] = {
      {"pic.png"},
      {"pic.png", "1001"},
      {"pic.png", "1000.5"},
      {"pic.png", "-1000.5"},
      {"pic.png", "2.5"},
      {"pic.png", "-2.5"},
      {"pic.png", "abc"},
      {"pic.png", "3", "abc"},
      {"pic.png", "3", "-2"},
      {"pic.png", "3", "1", "x"},
      {"pic.png", "3", "1", "Vx"},
      {"pic.png", "3", "1", "v", "extra"},
      {"pic.png", "3mm", "  -1e2", ""},
      {"pic.png", "1e50", "-1e-50"},
      {"pic.png", ".5e1", "+0x10"},
      {"a.pn"},
  };
  int index = 0;
  for (const auto& list : lists) {
    std::string bytes;
    for (const char* arg : list) {
      if (!arg) break;
      if (arg != list[0]) bytes += '\0';
      bytes += arg;
    }
    Save(dir + "/args" + std::to_string(index++),
         std::vector<unsigned char>(bytes.begin(), bytes.end()));
  }
}

void WriteKernelCacheSeeds(const std::string& dir) {
  // kind/h byte = (kind - 1) + 3 * h; z bytes give z + 1001.
  auto seed = [&](const std::string& name, int kind, int h, int angle, int z, int shape,
                  std::vector<unsigned char> payload) {
    const int z_code = z + 1001;
    std::vector<unsigned char> bytes = {
        static_cast<unsigned char>((kind - 1) + 3 * h), static_cast<unsigned char>(angle),
        static_cast<unsigned char>(z_code >> 8), static_cast<unsigned char>(z_code & 255),
        static_cast<unsigned char>(shape)};
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    Save(dir + "/" + name, bytes);
  };
  const std::vector<unsigned char> nan_at_start = {0, 0, 0, 0, 0, 0, 0xc0, 0x7f};
  const std::vector<unsigned char> inf_at_end = {0x01, 0x2d, 0xe1, 0xb8, 0, 0, 0x80, 0x7f};
  seed("exact_axial", AxialDipole, 5, 0, 3, 1, {});
  seed("exact_planar_nan", PlanarDipole, 3, 45, 3, 1, nan_at_start);
  seed("exact_monopole_inf_last", Monopole, 2, 0, -2, 1, inf_at_end);
  seed("longer", PlanarDipole, 1, 179, 1000, 2, {0});
  seed("shorter", Monopole, 1, 0, -1001, 3, {3});
  seed("empty", AxialDipole, 1, 0, 0, 0, {});
  seed("tiny", PlanarDipole, 2, 90, 5, 0, {1, 2, 3, 4, 5, 6, 7, 8, 9});
  seed("single_cube", AxialDipole, 0, 0, 3, 1, {});
  seed("missing", Monopole, 5, 0, 3, 4, {});
  seed("folder", PlanarDipole, 5, 0, 3, 5, {});
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds DIR\n");
    return 2;
  }
  const std::string root = argv[1];
  for (const char* target : {"", "/input_path", "/command_line", "/kernel_cache"})
    mkdir((root + target).c_str(), 0755);
  WriteInputSeeds(root + "/input_path");
  WriteCommandLineSeeds(root + "/command_line");
  WriteKernelCacheSeeds(root + "/kernel_cache");
  return 0;
}
