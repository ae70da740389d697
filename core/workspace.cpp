#include "core/workspace.h"

#include <cstring>
#include <initializer_list>

void LoadPicture(Workspace& workspace, const unsigned char* pixels) {
  for (int r = 0; r < kPictureSide; ++r)
    for (int col = 0; col < kPictureSide; ++col)
      for (int k = 0; k < 3; ++k) {
        const int16_t sample = pixels[1920 * r + 3 * col + k];
        workspace.picture_plane[r][col][k] = sample;
        workspace.work_plane[r][col][k] = sample;
      }
}

void StartRun(Workspace& workspace, const unsigned char* pixels) {
  LoadPicture(workspace, pixels);
  std::memset(workspace.field_grid, 0, sizeof(FieldGrid));
  std::memset(workspace.magnitude_grid, 0, sizeof(MagnitudeGrid));
  for (ImagePlane* plane : {&workspace.stream_plane, &workspace.contour_plane,
                            &workspace.stream_image, &workspace.contour_image})
    std::memset(*plane, 0, sizeof(ImagePlane));
}

void RestoreWorkPlane(Workspace& workspace) {
  std::memcpy(workspace.work_plane, workspace.picture_plane, sizeof(ImagePlane));
}

void HalfTurnCopy(const ImagePlane& source, ImagePlane& target) {
  for (int r = 0; r < kPictureSide; ++r)
    for (int col = 0; col < kPictureSide; ++col)
      for (int k = 0; k < 3; ++k)
        target[kPictureSide - 1 - r][kPictureSide - 1 - col][k] = source[r][col][k];
}
