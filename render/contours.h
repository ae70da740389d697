#pragma once
// Contour drawing: fills MagnitudeGrid from FieldGrid, draws the banded
// contour levels into ContourPlane and turns it into ContourImage. Prints
// its stage message first.
void DrawContours();
