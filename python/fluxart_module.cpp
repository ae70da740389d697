// The fluxart module for Python: the field of a drawing as a NumPy array, a
// whole run as the program makes it, and the colour table, all from the
// program's own stages. Each call has a Workspace and a field scratch of its
// own on the heap and runs with the GIL released, so calls from several
// threads run side by side. Kernel cache files are shared through their folder with the
// program's guards: checks on load, files written whole under locked
// temporary names, stale temporaries swept. No signal handlers are
// installed: Ctrl-C stays Python's, and a file being written is finished.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/command_line.h"
#include "app/console_observer.h"
#include "app/output_names.h"
#include "app/png_codec.h"
#include "app/run.h"
#include "core/magnet_color_names.h"
#include "core/magnet_color_table.h"
#include "core/run_observer.h"
#include "core/run_options.h"
#include "core/stale_temporaries.h"
#include "core/workspace.h"
#include "field/field_scratch.h"
#include "field/field_synthesis.h"
#include "module_texts.h"

namespace py = pybind11;

namespace {

[[noreturn]] void Raise(PyObject* type, const std::string& line) {
  PyErr_SetString(type, line.c_str());
  throw py::error_already_set();
}

std::string WithoutLineEnd(std::string line) {
  while (!line.empty() && line.back() == '\n') line.pop_back();
  return line;
}

// A path given as str, bytes or os.PathLike, as the file system spells it.
std::string PathText(const py::object& path) {
  return py::module_::import("os").attr("fsdecode")(path).cast<std::string>();
}

// z or w read as the command line reads them, rounded half away from zero;
// a value the program would pass over for its default raises ValueError.
float WholeMillimetres(const char* what, double value) {
  float rounded = 0.0f;
  if (!(std::fabs(value) < 1e6) || !AcceptWholeNumber(static_cast<float>(value), &rounded))
    Raise(PyExc_ValueError, std::string("fluxart: ") + what + " = " +
                                py::repr(py::float_(value)).cast<std::string>() +
                                " is out of range; give a number of millimetres greater than -1001 "
                                "and less than 1001");
  return rounded;
}

// The run's options for cache_dir: None is the current folder; a folder
// given must exist.
RunOptions OptionsFor(const py::object& cache_dir) {
  RunOptions options;
  if (cache_dir.is_none()) return options;
  options.cache_folder = PathText(cache_dir);
  std::error_code error;
  if (!std::filesystem::is_directory(options.cache_folder, error))
    Raise(PyExc_FileNotFoundError, "fluxart: the cache folder " + options.cache_folder +
                                       " is not a folder; give an existing one");
  return options;
}

std::string ShapeText(const py::array& array) {
  std::string text;
  for (py::ssize_t axis = 0; axis < array.ndim(); ++axis)
    text += (axis ? " x " : "") + std::to_string(array.shape(axis));
  return text + " of " + py::str(array.dtype()).cast<std::string>();
}

// The drawing's 640 x 640 RGB pixels: a (640, 640, 3) uint8 array as it is,
// or a PNG file decoded as a run decodes its input. A file that is no
// drawing raises with the program's line: OSError when it cannot be read at
// all, ValueError otherwise.
std::vector<unsigned char> DrawingPixels(const py::object& drawing) {
  if (py::isinstance<py::array>(drawing)) {
    const py::array array = drawing.cast<py::array>();
    if (!array.dtype().is(py::dtype::of<std::uint8_t>()) || array.ndim() != 3 ||
        array.shape(0) != kPictureSide || array.shape(1) != kPictureSide || array.shape(2) != 3)
      Raise(PyExc_ValueError, "fluxart: the drawing array is " + ShapeText(array) +
                                  "; it must be 640 x 640 x 3 of uint8 (RGB, row 0 at the top)");
    const auto rgb =
        py::array_t<std::uint8_t, py::array::c_style | py::array::forcecast>::ensure(array);
    return std::vector<unsigned char>(rgb.data(), rgb.data() + rgb.size());
  }
  const std::string name = PathText(drawing);
  std::vector<unsigned char> file_bytes, pixels;
  DecodedInput input;
  {
    py::gil_scoped_release released;
    lodepng::State state;
    SetUpPngState(state);
    input = LoadAndDecodeInput(name, state, file_bytes, pixels);
  }
  if (input.status == InputStatus::kDecoded) return pixels;
  const std::string line = WithoutLineEnd(InputProblemLine(name, input));
  std::error_code error;
  if (!std::filesystem::exists(name, error)) Raise(PyExc_FileNotFoundError, line);
  if (std::filesystem::is_directory(name, error) || !std::ifstream(name, std::ios::binary))
    Raise(PyExc_OSError, line);
  Raise(PyExc_ValueError, line);
}

// What field() is told as it runs. The notices (a kernel cache file not
// kept, say) are kept for Python's warnings once the call holds the GIL
// again. Progress goes to the callable progress(done, total), in steps of
// the whole call, when one is given: at most every 0.1 s, since each call
// takes the GIL from whatever Python thread holds it, and once more at the
// end (Finish). A callable that raises is not called again; Finish raises
// its error.
class FieldObserver : public RunObserver {
 public:
  explicit FieldObserver(py::object progress) : progress_(std::move(progress)) {}

  void LayerStarted(int /*z*/, int layer, int layers) override {
    layer_ = layer;
    layers_ = layers;
  }

  void StepStarted(int step, int steps) override {
    steps_ = steps;
    if (progress_.is_none() || error_) return;
    const auto now = std::chrono::steady_clock::now();
    if (told_ && now - last_told_ < std::chrono::milliseconds(100)) return;
    told_ = true;
    last_told_ = now;
    py::gil_scoped_acquire held;
    Tell((layer_ - 1) * steps + step - 1, layers_ * steps);
  }

  void Notice(const std::string& line) override { notices.push_back(line); }

  // With the GIL held, after the run.
  void Finish() {
    if (!progress_.is_none() && !error_) Tell(layers_ * steps_, layers_ * steps_);
    if (error_) throw std::move(*error_);
  }

  std::vector<std::string> notices;

 private:
  void Tell(int done, int total) {
    try {
      progress_(done, total);
    } catch (py::error_already_set& error) {
      error_.emplace(std::move(error));
    }
  }

  py::object progress_;
  std::optional<py::error_already_set> error_;
  bool told_ = false;
  std::chrono::steady_clock::time_point last_told_;
  int layer_ = 1;
  int layers_ = 0;
  int steps_ = 0;
};

// Each notice as a RuntimeWarning; raises when the warnings filter makes one
// an error.
void WarnOf(const std::vector<std::string>& lines) {
  for (const std::string& line : lines)
    if (PyErr_WarnEx(PyExc_RuntimeWarning, line.c_str(), 1) != 0) throw py::error_already_set();
}

py::array_t<float> Field(const py::object& drawing, double z, double w, const py::object& cache_dir,
                         const py::object& progress) {
  const float start_z = WholeMillimetres("z", z);
  const int thickness = static_cast<int>(WholeMillimetres("w", w));
  const RunOptions options = OptionsFor(cache_dir);
  const std::vector<unsigned char> pixels = DrawingPixels(drawing);
  // A drawing file is never a kernel cache file the call may write, nor
  // swept away as a stale temporary.
  const std::string drawing_name = py::isinstance<py::array>(drawing) ? "" : PathText(drawing);
  if (!drawing_name.empty()) {
    const std::string clash =
        CacheFileThatIsTheInput(drawing_name, start_z, thickness, options.cache_folder);
    if (!clash.empty()) Raise(PyExc_ValueError, WithoutLineEnd(CacheClashLine(clash)));
  }
  py::array_t<float> field({kPictureSide, kPictureSide, 3});
  float* out = field.mutable_data();
  FieldObserver observer(progress);
  {
    py::gil_scoped_release released;
    const auto workspace = std::make_unique<Workspace>();
    const auto field_scratch = std::make_unique<FieldScratch>();
    workspace->observer = &observer;
    StartRun(*workspace, pixels.data());
    RemoveStaleTemporaries(options.cache_folder, drawing_name);
    SynthesizeField(*workspace, *field_scratch, start_z, thickness, options);
    // Picture point (r + 1, c + 1) is field cell (639 - r, 639 - c).
    const FieldGrid& grid = workspace->field_grid;
    for (int r = 0; r < kPictureSide; ++r)
      for (int c = 0; c < kPictureSide; ++c)
        for (int n = 0; n < 3; ++n) *out++ = grid[kPictureSide - 1 - r][kPictureSide - 1 - c][n];
  }
  observer.Finish();
  WarnOf(observer.notices);
  return field;
}

std::vector<std::string> Run(const py::object& path, double z, double w, bool tables,
                             const py::object& cache_dir) {
  const float start_z = WholeMillimetres("z", z);
  const float thickness = WholeMillimetres("w", w);
  const RunOptions options = OptionsFor(cache_dir);
  // The drawing is checked first, so that what the run would refuse before
  // its banner raises with the run's line.
  DrawingPixels(path);
  const std::string name = PathText(path);
  std::vector<std::string> args = {name, std::to_string(static_cast<int>(start_z)),
                                   std::to_string(static_cast<int>(thickness))};
  if (tables) args.push_back("v");
  py::module_::import("sys").attr("stdout").attr("flush")();
  int status = 0;
  {
    py::gil_scoped_release released;
    const auto workspace = std::make_unique<Workspace>();
    const auto field_scratch = std::make_unique<FieldScratch>();
    ConsoleObserver console;
    workspace->observer = &console;
    status = RunFluxart(args, *workspace, *field_scratch, options);
    std::fflush(stdout);
  }
  if (status != 0)
    Raise(PyExc_OSError, "fluxart: the run on " + name + " ended with status " +
                             std::to_string(status) + "; the lines it printed say why");
  const OutputNames names = BuildOutputNames(name, start_z);
  std::vector<std::string> written = {names.contour_image};
  if (tables) written.insert(written.end(), {names.i_table, names.j_table, names.k_table});
  written.insert(written.end(), {names.stream_image, names.combined_image});
  return written;
}

py::list Colours() {
  py::list rows;
  for (int row = 0; row < kMagnetColorCount; ++row) {
    const MagnetColor& color = MagnetColorTable[row];
    rows.append(py::make_tuple(color.r, color.g, color.b, color.sign, color.kind, color.angle,
                               MagnetColorName(row)));
  }
  return rows;
}

}  // namespace

PYBIND11_MODULE(fluxart, module) {
  // Each text begins with the signature in Python's own types; pybind11's
  // would say "object" for the paths.
  py::options options;
  options.disable_function_signatures();
  module.doc() = kModuleDoc;
  module.def("field", &Field, py::arg("drawing"), py::arg("z") = 3, py::arg("w") = 1,
             py::arg("cache_dir") = py::none(), py::arg("progress") = py::none(), kFieldDoc);
  module.def("run", &Run, py::arg("path"), py::arg("z") = 3, py::arg("w") = 1,
             py::arg("tables") = false, py::arg("cache_dir") = py::none(), kRunDoc);
  module.def("colours", &Colours, kColoursDoc);
  module.attr("TESLA_PER_UNIT") = 2.5 / (4 * 3.14159265358979323846);
  module.attr("SIDE") = kPictureSide;
}
