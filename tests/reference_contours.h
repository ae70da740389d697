#pragma once
// The contour stage written out plainly: the magnitude pass, then every
// level of every sweep as a scan of all 409,600 cells. The evaluation the
// program's contour drawing must match byte for byte.
#include "render/contours.h"

// Fills MagnitudeGrid from FieldGrid cell by cell; gives the lowest and
// highest value met.
ValueRange ReferenceComputeMagnitudes();

// Draws the bands of MagnitudeGrid into ContourPlane, level by level, sweep
// by sweep, each level a full scan.
ContourSweeps ReferenceDrawContourBands(float lowest, float step);

// The whole stage, message included, ending with the turn into ContourImage.
void ReferenceDrawContours();
