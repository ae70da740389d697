// Writes every example drawing into a folder (default: examples), as 8-bit
// RGB 640 x 640 PNG files on white, from the recipes in example_recipes.cpp.
// Usage: make_examples [folder]
#include <cstdio>
#include <string>

#include <lodepng.h>

#include "tools/example_recipes.h"

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : "examples";
  int failures = 0;
  for (const ExampleRecipe& recipe : ExampleRecipes()) {
    const std::string path = folder + "/" + recipe.file_name;
    const unsigned error = WritePngFile(path, PaintExample(recipe));
    if (error) {
      std::printf("make_examples: could not write %s: %s\n", path.c_str(),
                  lodepng_error_text(error));
      ++failures;
    } else {
      std::printf("%-32s %s\n", path.c_str(), recipe.description);
    }
  }
  return failures ? 1 : 0;
}
