// Fuzz target: the number reader and the argument rules of the command line.
// The input is split at zero bytes into the arguments after the program
// name; each piece is also read as a number and as a prompt line on its own.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/command_line.h"

namespace {

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "command_line check failed: %s\n", what);
  std::abort();
}

// What ParseArguments must have made of one number argument.
void CheckNumberSetting(const std::string& text, float setting, float fallback) {
  const float v = ReadNumber(text);
  float rounded = 0.0f;
  if (AcceptWholeNumber(v, &rounded))
    Check(setting == rounded, "an accepted number is taken rounded");
  else
    Check(setting == fallback, "a rejected number leaves the default");
}

void CheckNumber(const std::string& text) {
  const float v = ReadNumber(text);
  Check(std::isfinite(v), "a number read is finite");
  float rounded = 12345.0f;
  const bool accepted = AcceptWholeNumber(v, &rounded);
  Check(accepted == (v > -1001.0f && v < 1001.0f), "accepted exactly inside (-1001, 1001)");
  if (!accepted) {
    Check(rounded == 12345.0f, "a rejected number writes nothing");
    return;
  }
  Check(rounded == std::trunc(rounded), "accepted numbers are whole");
  Check(rounded >= -1001.0f && rounded <= 1001.0f, "accepted numbers stay within 1001");
  const float distance = std::fabs(rounded - v);
  Check(distance <= 0.5f, "rounding moves by at most a half");
  if (distance == 0.5f) Check(std::fabs(rounded) > std::fabs(v), "halves round away from zero");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> args(1);
  for (size_t k = 0; k < size; ++k) {
    if (data[k] == 0)
      args.emplace_back();
    else
      args.back() += static_cast<char>(data[k]);
  }
  if (size == 0) args.clear();

  for (const std::string& piece : args) {
    CheckNumber(piece);
    Check(PromptLineNamesFile(piece) == (piece.size() >= 5),
          "prompt lines of 5 and more name a file");
  }

  RunSettings settings;
  settings.z = 77.0f;
  const bool from_arguments = ParseArguments(args, &settings);
  Check(from_arguments == (!args.empty() && args.size() <= 4), "1 to 4 arguments drive the run");
  if (!from_arguments) {
    const RunSettings defaults;
    Check(settings.z == defaults.z && settings.thickness == defaults.thickness &&
              settings.export_vectors == defaults.export_vectors && settings.input_name.empty(),
          "the prompt starts from the defaults");
    return 0;
  }
  Check(settings.input_name == args[0], "the first argument is the file name");
  CheckNumberSetting(args.size() >= 2 ? args[1] : "3", settings.z, 3.0f);
  CheckNumberSetting(args.size() >= 3 ? args[2] : "1", static_cast<float>(settings.thickness),
                     1.0f);
  Check(settings.thickness >= -1001 && settings.thickness <= 1001, "w stays within 1001");
  const bool wants_tables =
      args.size() == 4 && !args[3].empty() && (args[3][0] == 'v' || args[3][0] == 'V');
  Check(settings.export_vectors == wants_tables,
        "tables only for a fourth argument starting v or V");
  return 0;
}
