#pragma once
// Composition of the three output pictures into the run's pixel buffer, and
// their PNG files.
#include <lodepng.h>

#include <vector>

// Each fills the 640 x 640 x 3 bytes of pixels (which must already have that
// size) from PicturePlane and the drawings in the picture frame: magnets in
// their own colour first, then the drawing, otherwise white.
// Contour picture: ContourImage cells that are not black.
void ComposeContourPicture(std::vector<unsigned char>& pixels);
// Streamline picture: StreamImage cells that are not black.
void ComposeStreamPicture(std::vector<unsigned char>& pixels);
// Combined picture: pure red or pure blue StreamImage cells, then
// ContourImage cells that are not black.
void ComposeCombinedPicture(std::vector<unsigned char>& pixels);

enum class WriteResult { kWritten, kEncodeFailed, kSaveFailed };

// Encodes pixels (640 x 640 RGB) with state (text chunks compressed) into
// the emptied png_bytes, prints message as a line and saves the file whole
// (core/whole_file.h), replacing an existing one. The file takes the interlace method and the
// kept chunks of the decoded input, which state still holds. An encode
// failure prints the "encoder error" line and writes nothing; a file that
// cannot be saved prints one line naming it and the reason, and leaves
// nothing under its name but what was there before.
WriteResult WritePicture(const char* file_name, const char* message, lodepng::State& state,
                         const std::vector<unsigned char>& pixels,
                         std::vector<unsigned char>& png_bytes);

// Encodes pixels with state as WritePicture does, together with a few
// pixels in the colours the drawings use, and writes nothing: the codec's
// error code, 0 when the run's pictures can be encoded with these settings.
// Lets a run find a setting the encoder refuses before it computes.
unsigned TryPictureEncoding(lodepng::State& state, const std::vector<unsigned char>& pixels,
                            std::vector<unsigned char>& png_bytes);
