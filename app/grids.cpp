#include "app/grids.h"

#include <cstring>
#include <initializer_list>

float MagnitudeGrid[kPictureSide][kPictureSide];
float FieldGrid[kPictureSide][kPictureSide][3];
float KernelTable[kKernelSide][kKernelSide][3];
ImagePlane PicturePlane;
ImagePlane StreamImage;
ImagePlane ContourImage;
ImagePlane WorkPlane;
ImagePlane StreamPlane;
ImagePlane ContourPlane;
float CurrentZ = 3.0f;

void LoadPicture(const unsigned char* pixels) {
  for (int r = 0; r < kPictureSide; ++r)
    for (int col = 0; col < kPictureSide; ++col)
      for (int k = 0; k < 3; ++k) {
        int16_t sample = pixels[1920 * r + 3 * col + k];
        PicturePlane[r][col][k] = sample;
        WorkPlane[r][col][k] = sample;
      }
}

void RestoreWorkPlane() { std::memcpy(WorkPlane, PicturePlane, sizeof(ImagePlane)); }

void HalfTurnCopy(const ImagePlane& source, ImagePlane& target) {
  for (int r = 0; r < kPictureSide; ++r)
    for (int col = 0; col < kPictureSide; ++col)
      for (int k = 0; k < 3; ++k)
        target[kPictureSide - 1 - r][kPictureSide - 1 - col][k] = source[r][col][k];
}

void ResetGrids() {
  std::memset(MagnitudeGrid, 0, sizeof(MagnitudeGrid));
  std::memset(FieldGrid, 0, sizeof(FieldGrid));
  std::memset(KernelTable, 0, sizeof(KernelTable));
  for (ImagePlane* plane :
       {&PicturePlane, &StreamImage, &ContourImage, &WorkPlane, &StreamPlane, &ContourPlane})
    std::memset(*plane, 0, sizeof(ImagePlane));
  CurrentZ = 3.0f;
}
