#include "tools/raster.h"

#include <lodepng.h>

#include <algorithm>
#include <cmath>
#include <tuple>

bool operator==(const Rgb& a, const Rgb& b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
bool operator!=(const Rgb& a, const Rgb& b) { return !(a == b); }
bool operator<(const Rgb& a, const Rgb& b) {
  return std::tie(a.r, a.g, a.b) < std::tie(b.r, b.g, b.b);
}

RgbCanvas MakeCanvas(int width, int height, Rgb fill) {
  RgbCanvas canvas;
  canvas.width = width;
  canvas.height = height;
  canvas.rgb.resize(static_cast<size_t>(width) * height * 3);
  for (size_t i = 0; i < canvas.rgb.size(); i += 3) {
    canvas.rgb[i] = static_cast<unsigned char>(fill.r);
    canvas.rgb[i + 1] = static_cast<unsigned char>(fill.g);
    canvas.rgb[i + 2] = static_cast<unsigned char>(fill.b);
  }
  return canvas;
}

Rgb PixelAt(const RgbCanvas& canvas, int row, int col) {
  const unsigned char* p = &canvas.rgb[(static_cast<size_t>(row) * canvas.width + col) * 3];
  return Rgb{p[0], p[1], p[2]};
}

void PaintPixel(RgbCanvas& canvas, int row, int col, Rgb color) {
  if (row < 0 || col < 0 || row >= canvas.height || col >= canvas.width) return;
  unsigned char* p = &canvas.rgb[(static_cast<size_t>(row) * canvas.width + col) * 3];
  p[0] = static_cast<unsigned char>(color.r);
  p[1] = static_cast<unsigned char>(color.g);
  p[2] = static_cast<unsigned char>(color.b);
}

void FillRect(RgbCanvas& canvas, int row0, int col0, int rows, int cols, Rgb color) {
  for (int row = row0; row < row0 + rows; ++row)
    for (int col = col0; col < col0 + cols; ++col) PaintPixel(canvas, row, col, color);
}

void FrameRect(RgbCanvas& canvas, int row0, int col0, int rows, int cols, int thickness,
               Rgb color) {
  FillRect(canvas, row0, col0, thickness, cols, color);
  FillRect(canvas, row0 + rows - thickness, col0, thickness, cols, color);
  FillRect(canvas, row0, col0, rows, thickness, color);
  FillRect(canvas, row0, col0 + cols - thickness, rows, thickness, color);
}

void FillDisc(RgbCanvas& canvas, double centre_row, double centre_col, double radius, Rgb color) {
  for (int row = 0; row < canvas.height; ++row)
    for (int col = 0; col < canvas.width; ++col) {
      const double dr = row + 0.5 - centre_row, dc = col + 0.5 - centre_col;
      if (dr * dr + dc * dc <= radius * radius) PaintPixel(canvas, row, col, color);
    }
}

void DrawLine(RgbCanvas& canvas, double row0, double col0, double row1, double col1, int thickness,
              Rgb color) {
  // Samples closer than a quarter pixel apart cannot skip a pixel.
  const double span = std::max(std::fabs(row1 - row0), std::fabs(col1 - col0));
  const int samples = static_cast<int>(std::ceil(span * 4)) + 1;
  const int before = (thickness - 1) / 2;
  for (int i = 0; i <= samples; ++i) {
    const double t = static_cast<double>(i) / samples;
    const int row = static_cast<int>(std::floor(row0 + (row1 - row0) * t));
    const int col = static_cast<int>(std::floor(col0 + (col1 - col0) * t));
    FillRect(canvas, row - before, col - before, thickness, thickness, color);
  }
}

void DrawArrow(RgbCanvas& canvas, double centre_row, double centre_col, double length,
               double clock_degrees, int thickness, Rgb color) {
  const double pi = std::acos(-1.0);
  // A clock hand at angle a points up-and-right: rows fall with cos a.
  auto step_row = [&](double degrees) { return -std::cos(degrees * pi / 180); };
  auto step_col = [&](double degrees) { return std::sin(degrees * pi / 180); };
  const double half = length / 2;
  const double tip_row = centre_row + step_row(clock_degrees) * half;
  const double tip_col = centre_col + step_col(clock_degrees) * half;
  DrawLine(canvas, centre_row - step_row(clock_degrees) * half,
           centre_col - step_col(clock_degrees) * half, tip_row, tip_col, thickness, color);
  const double barb = length / 3;
  for (double turn : {150.0, -150.0})
    DrawLine(canvas, tip_row, tip_col, tip_row + step_row(clock_degrees + turn) * barb,
             tip_col + step_col(clock_degrees + turn) * barb, thickness, color);
}

RgbCanvas Shrink(const RgbCanvas& canvas, int factor) {
  RgbCanvas small = MakeCanvas(canvas.width / factor, canvas.height / factor);
  const int area = factor * factor;
  for (int row = 0; row < small.height; ++row)
    for (int col = 0; col < small.width; ++col) {
      int sum[3] = {0, 0, 0};
      for (int dr = 0; dr < factor; ++dr)
        for (int dc = 0; dc < factor; ++dc) {
          const Rgb p = PixelAt(canvas, row * factor + dr, col * factor + dc);
          sum[0] += p.r;
          sum[1] += p.g;
          sum[2] += p.b;
        }
      PaintPixel(
          small, row, col,
          Rgb{(sum[0] + area / 2) / area, (sum[1] + area / 2) / area, (sum[2] + area / 2) / area});
    }
  return small;
}

unsigned WritePngFile(const std::string& path, const RgbCanvas& canvas) {
  // Stored as 8-bit RGB, as paint programs write it, not as a palette
  // picture, which the encoder would otherwise pick for few colours.
  lodepng::State state;
  state.info_raw.colortype = LCT_RGB;
  state.info_raw.bitdepth = 8;
  state.info_png.color.colortype = LCT_RGB;
  state.info_png.color.bitdepth = 8;
  state.encoder.auto_convert = 0;
  std::vector<unsigned char> file;
  const unsigned error = lodepng::encode(file, canvas.rgb, static_cast<unsigned>(canvas.width),
                                         static_cast<unsigned>(canvas.height), state);
  return error ? error : lodepng::save_file(file, path);
}

unsigned ReadPngFile(const std::string& path, RgbCanvas* canvas) {
  unsigned width = 0, height = 0;
  std::vector<unsigned char> pixels;
  const unsigned error = lodepng::decode(pixels, width, height, path, LCT_RGB, 8);
  if (error) return error;
  canvas->width = static_cast<int>(width);
  canvas->height = static_cast<int>(height);
  canvas->rgb = std::move(pixels);
  return 0;
}
