// Prints a field profile across a magnet: the program's values beside the
// closed-form field of the charged sheets it approximates, one line per
// picture row: "row program closed_form", into OUTPUT. Used to draw the
// accuracy plot of the README (scripts/make-accuracy-plot).
//
// Usage: accuracy_profile KIND_COLOUR Z COMPONENT OUTPUT
//   KIND_COLOUR  yellow (light yellow, north up) | blue | pink
//   Z            height in mm
//   COMPONENT    0 (along rows), 1 (along columns) or 2 (up)
// The magnet is a 99 x 99 square in the middle of the picture; the profile
// runs down the picture column through its centre. Kernel cache files are
// made in the working directory.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <memory>

#include "core/workspace.h"
#include "field/field_scratch.h"
#include "field/field_synthesis.h"
#include "reference/closed_form.h"

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: accuracy_profile yellow|blue|pink Z COMPONENT OUTPUT\n");
    return 2;
  }
  struct {
    const char* name;
    unsigned char r, g, b;
    int sign, kind, angle;
  } const colors[] = {{"yellow", 255, 255, 128, +1, 2, 0},
                      {"blue", 0, 0, 255, +1, 1, 0},
                      {"pink", 255, 0, 128, +1, 3, 0}};
  int which = -1;
  for (int i = 0; i < 3; ++i)
    if (std::strcmp(argv[1], colors[i].name) == 0) which = i;
  const float z = static_cast<float>(std::atof(argv[2]));
  const int component = std::atoi(argv[3]);
  if (which < 0 || component < 0 || component > 2) {
    std::fprintf(stderr, "accuracy_profile: unknown colour or component\n");
    return 2;
  }
  const auto& color = colors[which];
  const int r0 = 275, r1 = 373, c0 = 264, c1 = 362, centre_col = (c0 + c1) / 2;

  static unsigned char pixels[640 * 640 * 3];
  std::memset(pixels, 255, sizeof pixels);
  for (int r = r0; r <= r1; ++r)
    for (int c = c0; c <= c1; ++c) {
      unsigned char* p = &pixels[(r * 640 + c) * 3];
      p[0] = color.r;
      p[1] = color.g;
      p[2] = color.b;
    }
  const auto workspace = std::make_unique<Workspace>();
  const auto field_scratch = std::make_unique<FieldScratch>();
  StartRun(*workspace, pixels);
  SynthesizeField(*workspace, *field_scratch, z, 1);  // silent: no observer is set
  std::FILE* out = std::fopen(argv[4], "w");
  if (!out) {
    std::fprintf(stderr, "accuracy_profile: cannot write %s\n", argv[4]);
    return 1;
  }
  // Picture row r is field-frame row 640 - r (and likewise for columns).
  const int m = 640 - centre_col;
  for (int r = 1; r <= 640; ++r) {
    const int l = 640 - r;
    Vec3 exact = AreaField(color.kind, color.angle, color.sign, r0, r1, c0, c1, r, centre_col, z);
    std::fprintf(out, "%d %.9g %.9g\n", r, workspace->field_grid[l][m][component],
                 exact[component]);
  }
  return std::fclose(out) == 0 ? 0 : 1;
}
