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
