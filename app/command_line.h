#pragma once
// Reading the command line: which arguments drive the run, and how the
// numbers z and w are read.
#include <string>
#include <vector>

struct RunSettings {
  float z = 3.0f;     // mm above the sheet, always whole after parsing
  int thickness = 1;  // |w| layers; z steps up when w >= 1, down otherwise
  bool export_vectors = false;
  std::string input_name;
};

// Reads text the way formatted float extraction from a string stream does:
// the longest numeric prefix, 0 when there is none, the largest finite float
// of its sign when out of range.
float ReadNumber(const std::string& text);

// True when -1001 < v < 1001; then *rounded is v rounded half away from zero.
bool AcceptWholeNumber(float v, float* rounded);

// Settings from the arguments after the program name. Returns false when the
// count is 0 or 5 and more: then the usage banner and the prompt decide, and
// *settings holds the defaults.
bool ParseArguments(const std::vector<std::string>& args, RunSettings* settings);

// True when a line read at the prompt names a file (5 characters or more);
// a shorter line ends the run.
bool PromptLineNamesFile(const std::string& line);
