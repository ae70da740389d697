#include "app/command_line.h"

#include <cmath>
#include <sstream>

float ReadNumber(const std::string& text) {
  std::istringstream stream(text);
  float value = 0.0f;
  stream >> value;  // on failure the stream stores 0, or +-max on overflow
  return value;
}

bool AcceptWholeNumber(float v, float* rounded) {
  if (!(v > -1001.0f && v < 1001.0f)) return false;
  *rounded = std::round(v);
  return true;
}

bool ParseArguments(const std::vector<std::string>& args, RunSettings* settings) {
  *settings = RunSettings();
  if (args.empty() || args.size() > 4) return false;
  settings->input_name = args[0];
  float rounded = 0.0f;
  if (args.size() >= 2 && AcceptWholeNumber(ReadNumber(args[1]), &rounded)) settings->z = rounded;
  if (args.size() >= 3 && AcceptWholeNumber(ReadNumber(args[2]), &rounded))
    settings->thickness = static_cast<int>(rounded);
  if (args.size() == 4 && !args[3].empty())
    settings->export_vectors = args[3][0] == 'v' || args[3][0] == 'V';
  return true;
}

bool PromptLineNamesFile(const std::string& line) { return line.size() > 4; }
