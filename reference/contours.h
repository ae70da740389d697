#pragma once
// The contour stage written out plainly: the magnitude pass, then every
// level of every sweep as a scan of all 409,600 cells. The evaluation the
// program's contour drawing must match byte for byte.
#include "core/workspace.h"
#include "render/contours.h"

// Fills magnitude_grid from field_grid cell by cell; gives the lowest and
// highest value met.
ValueRange ReferenceComputeMagnitudes(Workspace& workspace);

// Draws the bands of magnitude_grid into contour_plane, level by level,
// sweep by sweep, each level a full scan.
ContourSweeps ReferenceDrawContourBands(Workspace& workspace, float lowest, float step);

// The whole stage, message included, ending with the turn into
// contour_image.
void ReferenceDrawContours(Workspace& workspace);
