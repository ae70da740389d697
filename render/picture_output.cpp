#include "render/picture_output.h"

#include <cstdio>
#include <string>

#include "app/grids.h"
#include "app/png_codec.h"
#include "core/whole_file.h"
#include "field/magnet_color_table.h"

namespace {

bool IsMagnet(const int16_t* cell) { return IsMagnetColor(cell[0], cell[1], cell[2]); }

bool IsBlack(const int16_t* cell) { return cell[0] == 0 && cell[1] == 0 && cell[2] == 0; }

bool IsPureStroke(const int16_t* cell) {
  const bool red = cell[0] == 255 && cell[1] == 0 && cell[2] == 0;
  const bool blue = cell[0] == 0 && cell[1] == 0 && cell[2] == 255;
  return red || blue;
}

void Put(unsigned char* pixel, const int16_t* cell) {
  for (int k = 0; k < 3; ++k) pixel[k] = static_cast<unsigned char>(cell[k] & 0xFF);
}

void PutWhite(unsigned char* pixel) { pixel[0] = pixel[1] = pixel[2] = 255; }

unsigned char* PixelAt(std::vector<unsigned char>& pixels, int r, int col) {
  return &pixels[(static_cast<size_t>(r) * kPictureSide + col) * 3];
}

}  // namespace

void ComposeContourPicture(std::vector<unsigned char>& pixels) {
  for (int r = 0; r < kPictureSide; ++r)
    for (int col = 0; col < kPictureSide; ++col) {
      unsigned char* pixel = PixelAt(pixels, r, col);
      if (IsMagnet(PicturePlane[r][col]))
        Put(pixel, PicturePlane[r][col]);
      else if (!IsBlack(ContourImage[r][col]))
        Put(pixel, ContourImage[r][col]);
      else
        PutWhite(pixel);
    }
}

void ComposeStreamPicture(std::vector<unsigned char>& pixels) {
  for (int r = 0; r < kPictureSide; ++r)
    for (int col = 0; col < kPictureSide; ++col) {
      unsigned char* pixel = PixelAt(pixels, r, col);
      if (IsMagnet(PicturePlane[r][col]))
        Put(pixel, PicturePlane[r][col]);
      else if (!IsBlack(StreamImage[r][col]))
        Put(pixel, StreamImage[r][col]);
      else
        PutWhite(pixel);
    }
}

void ComposeCombinedPicture(std::vector<unsigned char>& pixels) {
  for (int r = 0; r < kPictureSide; ++r)
    for (int col = 0; col < kPictureSide; ++col) {
      unsigned char* pixel = PixelAt(pixels, r, col);
      if (IsMagnet(PicturePlane[r][col]))
        Put(pixel, PicturePlane[r][col]);
      else if (IsPureStroke(StreamImage[r][col]))
        Put(pixel, StreamImage[r][col]);
      else if (!IsBlack(ContourImage[r][col]))
        Put(pixel, ContourImage[r][col]);
      else
        PutWhite(pixel);
    }
}

unsigned TryPictureEncoding(lodepng::State& state, const std::vector<unsigned char>& pixels,
                            std::vector<unsigned char>& png_bytes) {
  std::vector<unsigned char> trial = pixels;
  const unsigned char drawing_colours[][3] = {{255, 255, 0},  {0, 255, 0}, {0, 255, 255},
                                              {255, 0, 0},    {0, 0, 255}, {255, 0, 255},
                                              {255, 255, 255}};
  for (size_t k = 0; k < sizeof drawing_colours / 3 && 3 * k + 2 < trial.size(); ++k)
    for (int n = 0; n < 3; ++n) trial[3 * k + n] = drawing_colours[k][n];
  state.encoder.text_compression = 1;
  png_bytes.clear();
  const unsigned error = lodepng::encode(png_bytes, trial, kPictureSide, kPictureSide, state);
  png_bytes.clear();
  return error;
}

WriteResult WritePicture(const char* file_name, const char* message, lodepng::State& state,
                         const std::vector<unsigned char>& pixels,
                         std::vector<unsigned char>& png_bytes) {
  state.encoder.text_compression = 1;
  png_bytes.clear();  // keeps its storage; the encoder appends
  const unsigned error = lodepng::encode(png_bytes, pixels, kPictureSide, kPictureSide, state);
  if (error) {
    std::fputs(CodecErrorLine("encoder error ", error).c_str(), stdout);
    return WriteResult::kEncodeFailed;
  }
  std::puts(message);
  std::string reason;
  if (!WriteWholeFile(file_name, png_bytes.data(), png_bytes.size(), true, &reason)) {
    std::fputs(CouldNotWriteLine(file_name, reason).c_str(), stdout);
    return WriteResult::kSaveFailed;
  }
  return WriteResult::kWritten;
}
