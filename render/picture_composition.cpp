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

// Every pixel: the magnet's own colour; else a pure red or blue cell of
// strokes, when given; else a cell of drawing that is not black; else white.
void Compose(const ImagePlane& picture, const ImagePlane* strokes, const ImagePlane& drawing,
             std::vector<unsigned char>& pixels) {
  for (int r = 0; r < kPictureSide; ++r)
    for (int col = 0; col < kPictureSide; ++col) {
      unsigned char* pixel = PixelAt(pixels, r, col);
      if (IsMagnet(picture[r][col]))
        Put(pixel, picture[r][col]);
      else if (strokes && IsPureStroke((*strokes)[r][col]))
        Put(pixel, (*strokes)[r][col]);
      else if (!IsBlack(drawing[r][col]))
        Put(pixel, drawing[r][col]);
      else
        PutWhite(pixel);
    }
}

}  // namespace

void ComposeContourPicture(const Workspace& workspace, std::vector<unsigned char>& pixels) {
  Compose(workspace.picture_plane, nullptr, workspace.contour_image, pixels);
}

void ComposeStreamPicture(const Workspace& workspace, std::vector<unsigned char>& pixels) {
  Compose(workspace.picture_plane, nullptr, workspace.stream_image, pixels);
}

void ComposeCombinedPicture(const Workspace& workspace, std::vector<unsigned char>& pixels) {
  Compose(workspace.picture_plane, &workspace.stream_image, workspace.contour_image, pixels);
}
