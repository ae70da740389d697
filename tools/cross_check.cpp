// cross_check: the checks the Windows cross-build test makes on what the
// Linux and Windows builds wrote, and the drawings it feeds them.
//   cross_check pictures LINUX.png WINDOWS.png   same decoded pixels
//   cross_check tables LINUX.txt WINDOWS.txt     same values; LF and two
//                                                exponent digits against
//                                                CRLF and three
//   cross_check drawing small|wrong-size OUT.png writes a test drawing
// Exit status 0 when the check holds, 1 with one line saying why otherwise.
#include <lodepng.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/output_comparison.h"

namespace {

bool ReadWholeFile(const std::string& path, std::string* text) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  text->assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return true;
}

int CheckTables(const std::string& linux_path, const std::string& windows_path) {
  std::string linux_text, windows_text, err;
  std::vector<float> linux_values, windows_values;
  if (!ReadWholeFile(linux_path, &linux_text) || !ReadWholeFile(windows_path, &windows_text)) {
    std::printf("cannot read %s or %s\n", linux_path.c_str(), windows_path.c_str());
    return 1;
  }
  if (!ParseVectorTable(linux_text, kLinuxTableStyle, &linux_values, &err)) {
    std::printf("%s: %s\n", linux_path.c_str(), err.c_str());
    return 1;
  }
  if (!ParseVectorTable(windows_text, kWindowsTableStyle, &windows_values, &err)) {
    std::printf("%s: %s\n", windows_path.c_str(), err.c_str());
    return 1;
  }
  if (!SameTableValues(linux_values, windows_values, &err)) {
    std::printf("%s against %s: %s\n", linux_path.c_str(), windows_path.c_str(), err.c_str());
    return 1;
  }
  return 0;
}

int CheckPictures(const std::string& linux_path, const std::string& windows_path) {
  std::string err;
  if (SamePicturePixels(linux_path, windows_path, &err)) return 0;
  std::printf("%s against %s: %s\n", linux_path.c_str(), windows_path.c_str(), err.c_str());
  return 1;
}

struct Canvas {
  unsigned width, height;
  std::vector<unsigned char> rgb;
  Canvas(unsigned w, unsigned h) : width(w), height(h), rgb(size_t{w} * h * 3, 255) {}
  void Fill(unsigned row0, unsigned col0, unsigned side, unsigned char r, unsigned char g,
            unsigned char b) {
    for (unsigned row = row0; row < row0 + side; ++row)
      for (unsigned col = col0; col < col0 + side; ++col) {
        unsigned char* pixel = &rgb[(size_t{row} * width + col) * 3];
        pixel[0] = r, pixel[1] = g, pixel[2] = b;
      }
  }
};

// "small" needs only six kernels, all cheap to compute: 3 x 3 blocks of
// orange, red and pink on the lattice of 3 x 3 blocks (a planar dipole, an
// axial dipole and a monopole of half-size 1, the three that go to the
// cache), and single pixels of orange, blue and dark purple (the same kinds
// for one cube, never cached; blue and dark purple with the sign reversed).
int WriteDrawing(const std::string& name, const std::string& path) {
  Canvas canvas(640, 640);
  if (name == "small") {
    // Block corners 3n, so each block is centred on a lattice point 1 + 3n.
    canvas.Fill(300, 300, 3, 255, 128, 0);
    canvas.Fill(99, 498, 3, 255, 0, 0);
    canvas.Fill(498, 120, 3, 255, 0, 128);
    canvas.Fill(320, 40, 1, 255, 128, 0);
    canvas.Fill(20, 600, 1, 0, 0, 255);
    canvas.Fill(639, 639, 1, 128, 0, 128);
  } else if (name == "wrong-size") {
    canvas = Canvas(641, 640);
  } else {
    std::printf("unknown drawing %s: use small or wrong-size\n", name.c_str());
    return 1;
  }
  const unsigned error = lodepng::encode(path, canvas.rgb, canvas.width, canvas.height, LCT_RGB, 8);
  if (error)
    std::printf("%s: encoder error %u: %s\n", path.c_str(), error, lodepng_error_text(error));
  return error ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 3 && args[0] == "pictures") return CheckPictures(args[1], args[2]);
  if (args.size() == 3 && args[0] == "tables") return CheckTables(args[1], args[2]);
  if (args.size() == 3 && args[0] == "drawing") return WriteDrawing(args[1], args[2]);
  std::printf(
      "usage: cross_check pictures LINUX.png WINDOWS.png | tables LINUX.txt WINDOWS.txt | "
      "drawing small|wrong-size OUT.png\n");
  return 2;
}
