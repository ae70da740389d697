#include "render/picture_composition.h"

#include "core/magnet_color_table.h"

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

void ComposeContourPicture(const Workspace& workspace, std::vector<unsigned char>& pixels) {
  const ImagePlane& picture = workspace.picture_plane;
  const ImagePlane& contour = workspace.contour_image;
  for (int r = 0; r < kPictureSide; ++r)
    for (int col = 0; col < kPictureSide; ++col) {
      unsigned char* pixel = PixelAt(pixels, r, col);
      if (IsMagnet(picture[r][col]))
        Put(pixel, picture[r][col]);
      else if (!IsBlack(contour[r][col]))
        Put(pixel, contour[r][col]);
      else
        PutWhite(pixel);
    }
}

void ComposeStreamPicture(const Workspace& workspace, std::vector<unsigned char>& pixels) {
  const ImagePlane& picture = workspace.picture_plane;
  const ImagePlane& stream = workspace.stream_image;
  for (int r = 0; r < kPictureSide; ++r)
    for (int col = 0; col < kPictureSide; ++col) {
      unsigned char* pixel = PixelAt(pixels, r, col);
      if (IsMagnet(picture[r][col]))
        Put(pixel, picture[r][col]);
      else if (!IsBlack(stream[r][col]))
        Put(pixel, stream[r][col]);
      else
        PutWhite(pixel);
    }
}

void ComposeCombinedPicture(const Workspace& workspace, std::vector<unsigned char>& pixels) {
  const ImagePlane& picture = workspace.picture_plane;
  const ImagePlane& stream = workspace.stream_image;
  const ImagePlane& contour = workspace.contour_image;
  for (int r = 0; r < kPictureSide; ++r)
    for (int col = 0; col < kPictureSide; ++col) {
      unsigned char* pixel = PixelAt(pixels, r, col);
      if (IsMagnet(picture[r][col]))
        Put(pixel, picture[r][col]);
      else if (IsPureStroke(stream[r][col]))
        Put(pixel, stream[r][col]);
      else if (!IsBlack(contour[r][col]))
        Put(pixel, contour[r][col]);
      else
        PutWhite(pixel);
    }
}
