// Writes a copy of a PNG picture made factor times smaller on each side by
// averaging factor x factor blocks (for the small pictures in docs/).
// Usage: shrink_png input.png output.png factor
#include <cstdio>
#include <cstdlib>

#include <lodepng.h>

#include "tools/raster.h"

int main(int argc, char** argv) {
  if (argc != 4 || std::atoi(argv[3]) < 1) {
    std::printf("usage: shrink_png input.png output.png factor\n");
    return 1;
  }
  const int factor = std::atoi(argv[3]);
  RgbCanvas picture;
  unsigned error = ReadPngFile(argv[1], &picture);
  if (error) {
    std::printf("shrink_png: could not read %s: %s\n", argv[1], lodepng_error_text(error));
    return 1;
  }
  if (picture.width % factor || picture.height % factor) {
    std::printf("shrink_png: %s is %d x %d, not a multiple of %d\n", argv[1], picture.width,
                picture.height, factor);
    return 1;
  }
  error = WritePngFile(argv[2], Shrink(picture, factor));
  if (error) {
    std::printf("shrink_png: could not write %s: %s\n", argv[2], lodepng_error_text(error));
    return 1;
  }
  return 0;
}
