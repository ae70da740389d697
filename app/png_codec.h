#pragma once
// How the run uses LodePNG: the one codec state, its settings, the limits on
// what a hostile input may make the decoder do, the error lines, and the
// picture files.
#include <lodepng.h>

#include "core/regular_file.h"

#include <string>
#include <vector>

// Largest input file read at all: a 640 x 640 drawing in any PNG flavour,
// with generous room for ancillary chunks, is far smaller.
constexpr size_t kMaxInputFileBytes = 64u << 20;

// Writes the run's settings into a freshly made state: raw pixels as 8-bit
// RGB, conversion on, unknown chunks kept, and decompression limits.
void SetUpPngState(lodepng::State& state);

// lead + code in decimal + ": " + the library's text for the code + "\n".
std::string CodecErrorLine(const char* lead, unsigned code);

// "fluxart: out of memory while " + doing + "; …" and a line end: the one
// line of every allocation that failed, in the codec (its error 83) or in
// the run.
std::string OutOfMemoryLine(const char* doing);
constexpr unsigned kCodecOutOfMemory = 83;

enum class InputStatus { kDecoded, kDecodeError, kTooLarge, kWrongSize };

struct DecodedInput {
  InputStatus status = InputStatus::kDecodeError;
  unsigned error = 0;  // codec error code for kDecodeError
  unsigned width = 0, height = 0;
  FileKind file_kind = FileKind::kRegular;  // what the name was, for LoadAndDecodeInput
  std::string file_reason;                  // the system's text for kUnreadable
};

// Decodes the bytes of an input file into pixels with state. The header is
// inspected first, so that a picture that is not 640 x 640 is never decoded
// (kWrongSize, with its size) and a huge announced size cannot allocate
// anything. On kDecoded, pixels holds 640 * 640 * 3 bytes and an unfit
// colour profile (DropProfileUnfitForRgb) and the unknown chunks unsafe to
// copy (DropChunksUnsafeToCopy) have been dropped.
DecodedInput DecodeInputBytes(const std::vector<unsigned char>& file_bytes, lodepng::State& state,
                              std::vector<unsigned char>& pixels);

// Drops from state an ICC profile that cannot describe RGB pictures (grey,
// CMYK, or too short to say), so that it is not carried into the outputs,
// which the encoder would refuse with it. An RGB profile is kept.
void DropProfileUnfitForRgb(lodepng::State& state);

// Drops from state the kept chunks the codec does not know that are not
// marked safe to copy (a lower-case fourth letter): they may describe the
// image data, which the outputs do not share with the drawing, as the
// animation chunks acTL, fcTL and fdAT do. Chunks safe to copy are kept.
void DropChunksUnsafeToCopy(lodepng::State& state);

// Loads the file into file_bytes (files above kMaxInputFileBytes are not
// read: kTooLarge) and decodes it with DecodeInputBytes. Only a regular file
// is read, never waited on; anything else (missing, a folder, a FIFO, a
// device, unreadable) decodes as an empty buffer (error 48) with file_kind
// saying what it was. file_bytes is emptied after a
// successful decode.
DecodedInput LoadAndDecodeInput(const std::string& name, lodepng::State& state,
                                std::vector<unsigned char>& file_bytes,
                                std::vector<unsigned char>& pixels);

// The line, ending in a line end, that tells why the input called name was
// not decoded (any status but kDecoded): too large, the decoder's error
// (followed by a line saying what the name is when it is not a readable,
// non-empty file), or its size when it is not 640 x 640.
std::string InputProblemLine(const std::string& name, const DecodedInput& input);

enum class WriteResult { kWritten, kEncodeFailed, kSaveFailed };

// A picture is written in two steps, so that pictures can be encoded at the
// same time (each with its own state) and saved one after another.
// EncodePicture encodes pixels (640 x 640 RGB) with state (text chunks
// compressed) into the emptied png_bytes and gives the encoder's error code,
// 0 when png_bytes holds the file. The file takes the interlace method and
// the kept chunks of the decoded input, which state still holds.
unsigned EncodePicture(lodepng::State& state, const std::vector<unsigned char>& pixels,
                       std::vector<unsigned char>& png_bytes);
// Given the encode's error code: an encode failure prints the "encoder
// error" line and writes nothing; otherwise prints message as a line and
// saves png_bytes whole (core/whole_file.h), replacing an existing file. A
// file that cannot be saved prints one line naming it and the reason, and
// leaves nothing under its name but what was there before.
WriteResult SavePicture(const char* file_name, const char* message, unsigned encode_error,
                        const std::vector<unsigned char>& png_bytes);

// Encodes pixels with state as EncodePicture does, together with a few
// pixels in the colours the drawings use, and writes nothing: the codec's
// error code, 0 when the run's pictures can be encoded with these settings.
// Lets a run find a setting the encoder refuses before it computes.
unsigned TryPictureEncoding(lodepng::State& state, const std::vector<unsigned char>& pixels,
                            std::vector<unsigned char>& png_bytes);
