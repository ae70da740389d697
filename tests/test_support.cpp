#include "tests/test_support.h"

#include <gtest/gtest.h>
#include <lodepng.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

Drawing::Drawing(int w, int h) : width(w), height(h), rgb(static_cast<size_t>(w) * h * 3, 255) {}

void Drawing::Paint(int row, int col, int r, int g, int b) {
  unsigned char* p = &rgb[(static_cast<size_t>(row) * width + col) * 3];
  p[0] = static_cast<unsigned char>(r);
  p[1] = static_cast<unsigned char>(g);
  p[2] = static_cast<unsigned char>(b);
}

void Drawing::FillRect(int row0, int col0, int rows, int cols, int r, int g, int b) {
  for (int row = row0; row < row0 + rows; ++row)
    for (int col = col0; col < col0 + cols; ++col) Paint(row, col, r, g, b);
}

void WritePng(const std::string& path, const Drawing& drawing) {
  unsigned error = lodepng::encode(path, drawing.rgb, drawing.width, drawing.height, LCT_RGB, 8);
  ASSERT_EQ(error, 0u) << lodepng_error_text(error);
}

ScratchDir::ScratchDir() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/fluxart_test_XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!mkdtemp(buffer.data())) std::abort();
  path_ = buffer.data();
}

ScratchDir::~ScratchDir() {
  std::string command = "chmod -R u+rwx '" + path_ + "' 2>/dev/null; rm -rf '" + path_ + "'";
  if (std::system(command.c_str()) != 0)
    std::fprintf(stderr, "could not remove %s\n", path_.c_str());
}

namespace {

std::string Quote(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

}  // namespace

RunResult RunFluxart(const std::string& folder, const std::vector<std::string>& args,
                     const std::string& stdin_text) {
  ScratchDir io;
  std::ofstream(io / "stdin", std::ios::binary) << stdin_text;
  const char* program = std::getenv("FLUXART_PROGRAM");
  std::string command =
      "cd " + Quote(folder) + " && " + (program ? std::string(program) : Quote(FLUXART_BINARY));
  for (const std::string& arg : args) command += " " + Quote(arg);
  command += " < " + Quote(io / "stdin") + " > " + Quote(io / "stdout");
  int raw = std::system(command.c_str());
  RunResult result;
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.output = ReadFile(io / "stdout");
  return result;
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

bool FileExists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

std::string VectorTableName(const std::string& stem, int z, char component) {
  return stem + std::string(13 - stem.size(), '_') + "Z" + std::to_string(z + 5000) + "_" +
         component + "_vector.txt";
}

std::vector<double> ReadVectorTable(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::vector<double> values;
  values.reserve(640 * 640);
  std::string line;
  while (std::getline(file, line)) {
    const char* p = line.c_str();
    for (int m = 0; m < 640; ++m) {
      char* end = nullptr;
      values.push_back(std::strtod(p, &end));
      if (end == p || *end != (m < 639 ? ',' : '\0')) return {};
      p = end + 1;
    }
  }
  if (values.size() != 640u * 640u) return {};
  return values;
}

double TableValueAt(const std::vector<double>& table, int row, int col) {
  return table[static_cast<size_t>(640 - row) * 640 + (640 - col)];
}
