#pragma once
// The state of one run that every layer shares: the picture planes, the
// field, the kernel table and who is told how the run goes. main makes one
// Workspace and hands it to every stage, which reads and writes only what
// its signature names; the height z and the settings travel as arguments,
// and the field stage keeps its own state and scratch beside it
// (field/field_scratch.h). It is some 43 MB, so it lives in static storage or
// on the heap, never on a stack; nothing in it is allocated per run, block or
// layer.
#include <cstdint>

#include "core/run_observer.h"

constexpr int kPictureSide = 640;
constexpr int kKernelSide = 1284;
// Index of the block's centre cube on both kernel axes.
constexpr int kKernelCentre = 641;

// 640 x 640 cells of R, G, B samples holding 0..255.
using ImagePlane = int16_t[kPictureSide][kPictureSide][3];
// Field frame: cell (l, m) is picture point (640 - l, 640 - m).
using FieldGrid = float[kPictureSide][kPictureSide][3];
using MagnitudeGrid = float[kPictureSide][kPictureSide];
// Field of one block around its centre cube: cell (p, q) is the observer at
// offset (p - 641, q - 641) from the block's centre.
using KernelTable = float[kKernelSide][kKernelSide][3];

struct Workspace {
  // Picture frame:
  ImagePlane picture_plane;  // the drawing as decoded
  ImagePlane work_plane;     // the drawing with the blocks found so far painted white
  ImagePlane stream_image;
  ImagePlane contour_image;
  // Field frame:
  ImagePlane stream_plane;
  ImagePlane contour_plane;
  FieldGrid field_grid;
  MagnitudeGrid magnitude_grid;

  // Written by the field stage's kernel preparation and read by its
  // superposition; what it holds is the field stage's to know.
  KernelTable kernel_table;

  // Who is told how the run goes (core/run_observer.h); main sets the
  // console's.
  RunObserver* observer = &SilentObserver();

  // Scratch of the contour sweep, kept here so that it allocates nothing
  // per call: the cells it still has to try.
  int contour_waiting_cells[kPictureSide * kPictureSide];
};

// Copies the decoded 640 x 640 RGB bytes (row-major, 3 per pixel) into
// picture_plane and work_plane.
void LoadPicture(Workspace& workspace, const unsigned char* pixels);

// Makes workspace ready for a run on the decoded pixels: loads the picture
// and clears what the stages add or draw into (the field, the magnitudes and
// the stream and contour planes and images), so that a workspace that ran
// before gives the same result as a fresh one. The kernel table is kept.
void StartRun(Workspace& workspace, const unsigned char* pixels);

// work_plane := picture_plane.
void RestoreWorkPlane(Workspace& workspace);

// target(639 - r, 639 - col) := source(r, col) for every cell.
void HalfTurnCopy(const ImagePlane& source, ImagePlane& target);
