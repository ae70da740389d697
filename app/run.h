#pragma once
// One run of fluxart, in order: settings (from the arguments or the
// prompt), decode, banner, names, field, contours, tables, streamlines,
// pictures. Before the field: the outputs must not be the drawing, the
// encoder must accept the run's settings, and stale temporary files of
// killed runs are removed.
#include <string>
#include <vector>

#include "core/run_options.h"
#include "core/workspace.h"
#include "field/field_scratch.h"

// Runs the program on args (the arguments after the program name), reading
// the prompt's answer from standard input when the arguments do not drive
// the run, printing the banners, the messages and the pictures' lines to
// standard output and telling workspace.observer how the stages go.
// workspace holds the run's state and field_scratch the field stage's (a
// kernel it holds from an earlier run is used again); workspace.field_grid
// holds the run's field afterwards. Returns the
// exit status: 0 for a completed run with every file written, or the user's
// own exit at the prompt; 1 when the run ended on a failure or a file could
// not be written. options.cache_folder is where the kernel cache files are
// (the current folder for the program).
int RunFluxart(const std::vector<std::string>& args, Workspace& workspace,
               FieldScratch& field_scratch, const RunOptions& options = RunOptions());

// A run's three pictures as composed, before encoding, in the order
// contours, streamlines, both: 640 x 640 RGB pixels each, and the names of
// the files the run would have written them to ("" when the run ended
// before them).
struct ComposedPictures {
  static constexpr int kCount = 3;
  std::vector<unsigned char> pixels[kCount];
  std::string names[kCount];
};

// RunFluxart, with the pictures kept in *composed instead of encoded and
// written, for a caller that encodes one only when it is wanted (the page,
// with EncodeOutputPicture). The console text and every other file are the
// run's own; the run does not try the encoder first, so an encoder error
// shows only when a picture is encoded.
int RunFluxartComposing(const std::vector<std::string>& args, Workspace& workspace,
                        FieldScratch& field_scratch, const RunOptions& options,
                        ComposedPictures* composed);

// Encodes picture (640 x 640 RGB) into png_bytes as a run of the drawing
// whose PNG file is drawing_file writes its pictures: with the codec
// settings the run takes from its input (the interlace method, the kept
// chunks), so the bytes are those of the run's file. "" when encoded;
// otherwise the program's line saying why not (the drawing's decoder error,
// the encoder's), and png_bytes is empty.
std::string EncodeOutputPicture(const std::vector<unsigned char>& drawing_file,
                                const std::vector<unsigned char>& picture,
                                std::vector<unsigned char>& png_bytes);
