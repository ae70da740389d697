#pragma once
// The run-wide working grids. Each exists once, is zero at start (static
// storage) and lives until the process ends; every stage reaches them by
// name. Nothing is allocated per block, row or layer.
#include <cstdint>

constexpr int kPictureSide = 640;
constexpr int kKernelSide = 1284;
// Index of the block's centre cube on both kernel axes.
constexpr int kKernelCentre = 641;

// 640 x 640 cells of R, G, B samples holding 0..255.
using ImagePlane = int16_t[kPictureSide][kPictureSide][3];

// Field frame (cell (l, m) is picture point (640 - l, 640 - m)):
extern float MagnitudeGrid[kPictureSide][kPictureSide];
extern float FieldGrid[kPictureSide][kPictureSide][3];
// Field of one block around its centre cube: cell (p, q) is the observer at
// offset (p - 641, q - 641) from the block's centre.
extern float KernelTable[kKernelSide][kKernelSide][3];

// Picture frame:
extern ImagePlane PicturePlane;
extern ImagePlane StreamImage;
extern ImagePlane ContourImage;
extern ImagePlane WorkPlane;
// Field frame:
extern ImagePlane StreamPlane;
extern ImagePlane ContourPlane;

// Distance of the current layer in mm, always a whole number; set from the
// command line and stepped by one per layer.
extern float CurrentZ;

// Copies the decoded 640 x 640 RGB bytes (row-major, 3 per pixel) into
// PicturePlane and WorkPlane.
void LoadPicture(const unsigned char* pixels);

// WorkPlane := PicturePlane.
void RestoreWorkPlane();

// target(639 - r, 639 - col) := source(r, col) for every cell.
void HalfTurnCopy(const ImagePlane& source, ImagePlane& target);

// Puts every grid and CurrentZ back to their start values. Only tests run
// more than one picture through the grids in one process.
void ResetGrids();
