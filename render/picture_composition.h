#pragma once
// Composition of the three output pictures into the run's pixel buffer.
#include <vector>

#include "core/workspace.h"

// Each fills the 640 x 640 x 3 bytes of pixels (which must already have that
// size) from picture_plane and the drawings in the picture frame: magnets in
// their own colour first, then the drawing, otherwise white.
// Contour picture: contour_image cells that are not black.
void ComposeContourPicture(const Workspace& workspace, std::vector<unsigned char>& pixels);
// Streamline picture: stream_image cells that are not black.
void ComposeStreamPicture(const Workspace& workspace, std::vector<unsigned char>& pixels);
// Combined picture: pure red or pure blue stream_image cells, then
// contour_image cells that are not black.
void ComposeCombinedPicture(const Workspace& workspace, std::vector<unsigned char>& pixels);
