#pragma once
// Composition of the three output pictures into the run's pixel buffer, and
// their PNG files.
#include <lodepng.h>

#include <vector>

// Each fills the 640 x 640 x 3 bytes of pixels: magnets in their own colour,
// then the drawing, otherwise white.
void ComposeContourPicture(std::vector<unsigned char>& pixels);
void ComposeStreamPicture(std::vector<unsigned char>& pixels);
void ComposeCombinedPicture(std::vector<unsigned char>& pixels);

enum class WriteResult { kWritten, kEncodeFailed, kSaveFailed };

// Encodes pixels (640 x 640 RGB) with state into the emptied png_bytes,
// prints message and saves the file. An encode failure prints the
// "encoder error" line; a file that cannot be saved prints one line naming it.
WriteResult WritePicture(const char* file_name, const char* message, lodepng::State& state,
                         const std::vector<unsigned char>& pixels,
                         std::vector<unsigned char>& png_bytes);
