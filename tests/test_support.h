#pragma once
// Helpers shared by the tests: pictures made by the project's own code,
// scratch folders, and runs of the real binary.
#include <string>
#include <vector>

// A 640 x 640 RGB picture, white unless painted.
struct Drawing {
  int width = 640, height = 640;
  std::vector<unsigned char> rgb;  // width * height * 3
  Drawing(int w = 640, int h = 640);
  void Paint(int row, int col, int r, int g, int b);
  void FillRect(int row0, int col0, int rows, int cols, int r, int g, int b);
};

// Encodes the drawing as an 8-bit RGB PNG file; aborts the test on failure.
void WritePng(const std::string& path, const Drawing& drawing);

// A fresh empty folder under the system's temporary folder, removed with
// everything in it when the object goes.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

struct RunResult {
  int status = -1;     // exit status of the program
  std::string output;  // everything it wrote to standard output
};

// Runs the fluxart binary in folder with the given arguments, feeding
// stdin_text to its standard input. The environment variable
// FLUXART_PROGRAM, when set, is the command run instead (scripts/bench
// times the wasm build in node with it).
RunResult RunFluxart(const std::string& folder, const std::vector<std::string>& args,
                     const std::string& stdin_text = "");

std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);

// The name of a vector table that a run at height z writes for a drawing
// named stem + ".png": "pic" at z = 3 gives "pic__________Z5003_k_vector.txt"
// for component 'k'. The stem has no "." and at most 12 characters.
std::string VectorTableName(const std::string& stem, int z, char component);

// One vector table read back as 640 x 640 values in file order; empty when
// the file is missing or does not hold 640 lines of 640 numbers.
std::vector<double> ReadVectorTable(const std::string& path);

// The value of a table read by ReadVectorTable at picture point (row, col),
// 1 to 640: the tables are turned half a turn, so that is line 640 - row,
// value 640 - col.
double TableValueAt(const std::vector<double>& table, int row, int col);
