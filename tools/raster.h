#pragma once
// Small raster drawing for the project's own pictures: example drawings, the
// palette legend and shrunken copies of output pictures. Pixels are 8-bit
// R, G, B, rows top to bottom; row and column 0 are the top-left corner.
#include <string>
#include <vector>

struct Rgb {
  int r = 0, g = 0, b = 0;
};
bool operator==(const Rgb& a, const Rgb& b);
bool operator!=(const Rgb& a, const Rgb& b);
bool operator<(const Rgb& a, const Rgb& b);

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};

struct RgbCanvas {
  int width = 0, height = 0;
  std::vector<unsigned char> rgb;  // width * height * 3
};

// A canvas of the given size filled with one colour.
RgbCanvas MakeCanvas(int width, int height, Rgb fill = kWhite);

// Colour at (row, col); the position must be inside the canvas.
Rgb PixelAt(const RgbCanvas& canvas, int row, int col);

// Paints one pixel; positions outside the canvas are ignored.
void PaintPixel(RgbCanvas& canvas, int row, int col, Rgb color);

// Rectangle of rows x cols pixels with its top-left pixel at (row0, col0).
void FillRect(RgbCanvas& canvas, int row0, int col0, int rows, int cols, Rgb color);

// Rectangle outline, thickness pixels wide, inside the given rectangle.
void FrameRect(RgbCanvas& canvas, int row0, int col0, int rows, int cols, int thickness, Rgb color);

// Every pixel whose centre lies within radius of the point (centre_row,
// centre_col), given in pixel-edge coordinates (320, 320 is the middle of a
// 640 x 640 canvas).
void FillDisc(RgbCanvas& canvas, double centre_row, double centre_col, double radius, Rgb color);

// A straight line between two points in pixel-edge coordinates, every pixel
// it passes through painted; thickness widens it to a square pen.
void DrawLine(RgbCanvas& canvas, double row0, double col0, double row1, double col1, int thickness,
              Rgb color);

// An arrow of the given length centred on a point, pointing like a clock
// hand: 0 degrees up, 90 right, 180 down, 270 left.
void DrawArrow(RgbCanvas& canvas, double centre_row, double centre_col, double length,
               double clock_degrees, int thickness, Rgb color);

// Box-filtered copy, factor times smaller on each side (sizes must divide).
RgbCanvas Shrink(const RgbCanvas& canvas, int factor);

// PNG files through LodePNG; both return LodePNG's error code (0 on
// success). WritePngFile stores 8-bit RGB; ReadPngFile converts any PNG to it.
unsigned WritePngFile(const std::string& path, const RgbCanvas& canvas);
unsigned ReadPngFile(const std::string& path, RgbCanvas* canvas);
