// Writes the paint-program palette fluxart.gpl and the legend picture
// palette_legend.png into a folder (default: docs).
// Usage: make_palette [folder]
#include <cstdio>
#include <string>

#include <lodepng.h>

#include "tools/magnet_palette.h"
#include "tools/palette_legend.h"

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : "docs";
  const std::string palette_path = folder + "/fluxart.gpl";
  std::FILE* file = std::fopen(palette_path.c_str(), "wb");
  const std::string text = GimpPaletteText();
  if (!file || std::fwrite(text.data(), 1, text.size(), file) != text.size() ||
      std::fclose(file) != 0) {
    std::printf("make_palette: could not write %s; check that the folder exists and is writable\n",
                palette_path.c_str());
    return 1;
  }
  std::printf("%s\n", palette_path.c_str());

  const std::string legend_path = folder + "/palette_legend.png";
  const unsigned error = WritePngFile(legend_path, PaintPaletteLegend());
  if (error) {
    std::printf("make_palette: could not write %s: %s\n", legend_path.c_str(),
                lodepng_error_text(error));
    return 1;
  }
  std::printf("%s\n", legend_path.c_str());
  return 0;
}
