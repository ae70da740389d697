#include "app/png_codec.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "core/regular_file.h"
#include "core/whole_file.h"
#include "core/workspace.h"
#include "core/write_failure.h"

void SetUpPngState(lodepng::State& state) {
  state.info_raw.colortype = LCT_RGB;
  state.decoder.color_convert = 1;
  state.decoder.remember_unknown_chunks = 1;
  // Bounds on what compressed chunks may expand to. Scanlines of a 640 x 640
  // picture need at most 640 * (640 * 8 + 1) bytes; text and ICC profiles are
  // kept far below the library's default of 16 MB each.
  state.decoder.zlibsettings.max_output_size = 8u << 20;
  state.decoder.max_text_size = 1u << 20;
  state.decoder.max_icc_size = 1u << 20;
}

std::string CodecErrorLine(const char* lead, unsigned code) {
  return std::string(lead) + std::to_string(code) + ": " + lodepng_error_text(code) + "\n";
}

namespace {

// The second line of a drawing that could not be read: what the name is.
std::string FileProblemLine(const std::string& name, const DecodedInput& input) {
  const std::string lead = "fluxart: " + name;
  switch (input.file_kind) {
    case FileKind::kMissing:
      if (!name.empty() && name.back() == '\r')
        return "fluxart: the name " + name.substr(0, name.size() - 1) +
               " is followed by a carriage return, and no file has that name; give the name "
               "without it\n";
      return lead + " was not found; check the drawing's name and folder\n";
    case FileKind::kFolder:
      return lead + " is a folder, not a drawing; give the drawing's file name\n";
    case FileKind::kNotRegular:
      return lead + " is not a regular file (a device, a pipe or a socket); give a PNG file\n";
    case FileKind::kUnreadable:
      return lead + " cannot be read (" + input.file_reason + "); check its permissions\n";
    case FileKind::kRegular:
      break;
  }
  return input.error == 48 ? lead + " is empty; give a PNG file\n" : "";
}

// Reads the whole regular file into bytes; false when it holds more than
// limit bytes, which are then not read.
bool ReadWholeStream(std::FILE* file, std::size_t limit, std::vector<unsigned char>& bytes) {
  if (std::fseek(file, 0, SEEK_END) != 0) return false;
  const long size = std::ftell(file);  // -1 past 2 GiB on 32-bit Windows
  if (size < 0 || static_cast<unsigned long>(size) > limit) return false;
  std::rewind(file);
  bytes.resize(static_cast<std::size_t>(size));
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
  return true;
}

}  // namespace

std::string OutOfMemoryLine(const char* doing) {
  return std::string("fluxart: out of memory while ") + doing +
         "; close other programs or allow fluxart more memory\n";
}

std::string InputProblemLine(const std::string& name, const DecodedInput& input) {
  if (input.status == InputStatus::kDecodeError && input.error == kCodecOutOfMemory)
    return OutOfMemoryLine("decoding the drawing");
  if (input.status == InputStatus::kDecodeError)
    return CodecErrorLine("decoder error ", input.error) + FileProblemLine(name, input);
  if (input.status == InputStatus::kTooLarge)
    return "fluxart: " + name + " is larger than " + std::to_string(kMaxInputFileBytes >> 20) +
           " MiB; a 640 x 640 drawing is far smaller\n";
  return "fluxart: " + name + " is " + std::to_string(input.width) + " x " +
         std::to_string(input.height) + " pixels; the drawing must be 640 x 640\n";
}

void DropProfileUnfitForRgb(lodepng::State& state) {
  const LodePNGInfo& info = state.info_png;
  // The colour space signature sits at bytes 16 to 19 of the profile's header.
  const bool rgb = info.iccp_defined && info.iccp_profile_size >= 20 &&
                   std::memcmp(info.iccp_profile + 16, "RGB ", 4) == 0;
  if (info.iccp_defined && !rgb) lodepng_clear_icc(&state.info_png);
}

void DropChunksUnsafeToCopy(lodepng::State& state) {
  LodePNGInfo& info = state.info_png;
  for (int place = 0; place < 3; ++place) {
    unsigned char* data = info.unknown_chunks_data[place];
    const std::size_t size = info.unknown_chunks_size[place];
    std::size_t kept = 0;
    // The codec made these buffers of whole chunks; each is moved down over
    // the dropped ones before it.
    for (std::size_t at = 0; at + 12 <= size;) {
      const std::size_t chunk = lodepng_chunk_length(data + at) + std::size_t{12};
      if (chunk > size - at) break;
      if (lodepng_chunk_safetocopy(data + at)) {
        std::memmove(data + kept, data + at, chunk);
        kept += chunk;
      }
      at += chunk;
    }
    info.unknown_chunks_size[place] = kept;
  }
}

DecodedInput DecodeInputBytes(const std::vector<unsigned char>& file_bytes, lodepng::State& state,
                              std::vector<unsigned char>& pixels) {
  DecodedInput result;
  LodePNGState header_state;
  lodepng_state_init(&header_state);
  unsigned width = 0, height = 0;
  unsigned error =
      lodepng_inspect(&width, &height, &header_state, file_bytes.data(), file_bytes.size());
  lodepng_state_cleanup(&header_state);
  if (!error && (width != kPictureSide || height != kPictureSide)) {
    result.status = InputStatus::kWrongSize;
    result.width = width;
    result.height = height;
    return result;
  }

  error = lodepng::decode(pixels, width, height, state, file_bytes);
  if (error) {
    result.error = error;
    return result;
  }
  DropProfileUnfitForRgb(state);
  DropChunksUnsafeToCopy(state);
  result.status = InputStatus::kDecoded;
  result.width = width;
  result.height = height;
  return result;
}

DecodedInput LoadAndDecodeInput(const std::string& name, lodepng::State& state,
                                std::vector<unsigned char>& file_bytes,
                                std::vector<unsigned char>& pixels) {
  file_bytes.clear();
  FileKind kind = FileKind::kRegular;
  std::string reason;
  std::FILE* file = OpenRegularFile(name, &kind, &reason);
  if (file) {
    const bool fits = ReadWholeStream(file, kMaxInputFileBytes, file_bytes);
    std::fclose(file);
    if (!fits) {
      DecodedInput result;
      result.status = InputStatus::kTooLarge;
      return result;
    }
  }
  DecodedInput result = DecodeInputBytes(file_bytes, state, pixels);
  result.file_kind = kind;
  result.file_reason = reason;
  if (result.status == InputStatus::kDecoded) file_bytes.clear();
  return result;
}

unsigned TryPictureEncoding(lodepng::State& state, const std::vector<unsigned char>& pixels,
                            std::vector<unsigned char>& png_bytes) {
  std::vector<unsigned char> trial = pixels;
  const unsigned char drawing_colours[][3] = {{255, 255, 0},  {0, 255, 0}, {0, 255, 255},
                                              {255, 0, 0},    {0, 0, 255}, {255, 0, 255},
                                              {255, 255, 255}};
  for (size_t k = 0; k < sizeof drawing_colours / 3 && 3 * k + 2 < trial.size(); ++k)
    for (int n = 0; n < 3; ++n) trial[3 * k + n] = drawing_colours[k][n];
  state.encoder.text_compression = 1;
  png_bytes.clear();
  const unsigned error = lodepng::encode(png_bytes, trial, kPictureSide, kPictureSide, state);
  png_bytes.clear();
  return error;
}

unsigned EncodePicture(lodepng::State& state, const std::vector<unsigned char>& pixels,
                       std::vector<unsigned char>& png_bytes) {
  state.encoder.text_compression = 1;
  png_bytes.clear();  // keeps its storage; the encoder appends
  return lodepng::encode(png_bytes, pixels, kPictureSide, kPictureSide, state);
}

WriteResult SavePicture(const char* file_name, const char* message, unsigned encode_error,
                        const std::vector<unsigned char>& png_bytes) {
  if (encode_error) {
    const std::string line = encode_error == kCodecOutOfMemory
                                 ? OutOfMemoryLine("encoding the pictures")
                                 : CodecErrorLine("encoder error ", encode_error);
    std::fputs(line.c_str(), stdout);
    return WriteResult::kEncodeFailed;
  }
  std::puts(message);
  std::string reason;
  if (!WriteWholeFile(file_name, png_bytes.data(), png_bytes.size(), true, &reason)) {
    ReportWriteFailure(file_name, reason.c_str());
    return WriteResult::kSaveFailed;
  }
  return WriteResult::kWritten;
}
