// Prints how well the program's values, converted to tesla, agree with the
// closed-form field of real block magnets: the figures of the README section
// "Reading the values in tesla". Each magnet is drawn alone, the real
// fluxart binary is run on it with the vector tables, and the tables are
// read back and compared with the block formulas of reference/closed_form.h.
//
// Usage: tesla_agreement
// Runs in a scratch folder of its own (kernel cache included) and takes
// about a minute on two cores.
#include <lodepng.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "reference/closed_form.h"
#include "tests/test_support.h"

namespace {

const int kGaps = 5;
const double kGap[kGaps] = {0.5, 1.5, 2.5, 4.5, 9.5};
const double kRemanence = 1.3;  // tesla, an N42 grade

struct Run {
  std::vector<double> table[3];  // i, j, k
};

[[noreturn]] void Fail(const char* what, int z, int w) {
  std::fprintf(stderr, "tesla_agreement: %s at z = %d, w = %d; check that build/fluxart is built\n",
               what, z, w);
  std::exit(1);
}

// Draws one rows x cols rectangle of colour (r, g, b) with its top-left
// pixel at (row0, col0), runs fluxart at z with w layers and reads the
// tables back. Ends the program on any failure.
Run RunOne(const ScratchDir& dir, int row0, int col0, int rows, int cols,
           const unsigned char rgb[3], int z, int w) {
  std::vector<unsigned char> pixels(640 * 640 * 3, 255);
  for (int r = row0; r < row0 + rows; ++r)
    for (int c = col0; c < col0 + cols; ++c) std::copy(rgb, rgb + 3, &pixels[(r * 640 + c) * 3]);
  if (lodepng::encode(dir / "block.png", pixels, 640, 640, LCT_RGB, 8) != 0)
    Fail("could not write the drawing", z, w);
  RunResult result =
      RunFluxart(dir.path(), {"block.png", std::to_string(z), std::to_string(w), "v"});
  if (result.status != 0) Fail("fluxart failed", z, w);
  Run run;
  for (int n = 0; n < 3; ++n) {
    run.table[n] = ReadVectorTable(dir / VectorTableName("block", z, "ijk"[n]));
    if (run.table[n].empty()) Fail("a vector table is missing or malformed", z, w);
  }
  return run;
}

Vec3 ProgramField(const Run& run, int row, int col) {
  Vec3 field;
  for (int n = 0; n < 3; ++n) field[n] = kTeslaPerUnitValue * TableValueAt(run.table[n], row, col);
  return field;
}

double Length(const Vec3& v) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

double Difference(const Vec3& a, const Vec3& b) {
  return Length({a[0] - b[0], a[1] - b[1], a[2] - b[2]});
}

const unsigned char kRed[3] = {255, 0, 0};              // north face towards the field plane
const unsigned char kLightYellow[3] = {255, 255, 128};  // north pole up (towards row 0)

// An axial S x S x w block centred on picture point (320, 320), its face
// `gap` below the field plane: on the axis (program against the vendors'
// formula) and worst anywhere within 10 mm of it, as a share of the local
// strength, split into above the inside (2 mm or more from an edge), near
// the edges (less than 2 mm either side) and outside (2 mm or more beyond).
struct AxialFigures {
  double axis = 0, inside = 0, edges = 0, outside = 0;
};

AxialFigures MeasureAxial(const ScratchDir& dir, int side, int w, double gap) {
  const int row0 = 320 - side / 2, row1 = row0 + side - 1, z = static_cast<int>(gap + 0.5);
  AxialFigures figures;
  Run run = RunOne(dir, row0, row0, side, side, kRed, z, w);
  const double exact_axis = OnAxisBlockField(side, side, w, gap);
  figures.axis = ProgramField(run, 320, 320)[2] / exact_axis - 1;
  const Box box = {row0 - 0.5, row1 + 0.5, row0 - 0.5, row1 + 0.5, -gap - w, -gap};
  for (int row = row0 - 10; row <= row1 + 10; ++row)
    for (int col = row0 - 10; col <= row1 + 10; ++col) {
      Vec3 exact = BlockMagnetField(box, 2, +1, row, col);
      double share = Difference(ProgramField(run, row, col), exact) / Length(exact);
      double inset = std::min({row - box.row0, box.row1 - row, col - box.col0, box.col1 - col});
      double& worst = inset >= 2 ? figures.inside : inset > -2 ? figures.edges : figures.outside;
      worst = std::max(worst, share);
    }
  return figures;
}

// An in-plane block, light yellow (north pole up), width x length in the
// drawing and w thick, cut at mid-height by the field plane: on the axis
// beyond the north face at each gap (one run gives them all), and the worst
// anywhere outside it within 10 mm, at that gap or more from it, as a share
// of the local strength.
struct PlanarFigures {
  double axis[kGaps] = {};
  double around[kGaps] = {};
};

PlanarFigures MeasurePlanar(const ScratchDir& dir, int width, int length, int w) {
  const int row0 = 320 - length / 2, row1 = row0 + length - 1;
  const int col0 = 320 - width / 2, col1 = col0 + width - 1;
  PlanarFigures figures;
  Run run = RunOne(dir, row0, col0, length, width, kLightYellow, -(w - 1) / 2, w);
  for (int g = 0; g < kGaps; ++g) {
    const int row = row0 - static_cast<int>(kGap[g] + 0.5);
    figures.axis[g] =
        -ProgramField(run, row, 320)[0] / OnAxisBlockField(width, w, length, kGap[g]) - 1;
  }
  const Box box = {row0 - 0.5, row1 + 0.5, col0 - 0.5, col1 + 0.5, -w / 2.0, w / 2.0};
  for (int row = row0 - 10; row <= row1 + 10; ++row)
    for (int col = col0 - 10; col <= col1 + 10; ++col) {
      const double gap = std::max({box.row0 - row, row - box.row1, box.col0 - col, col - box.col1});
      if (gap < 0) continue;  // inside the magnet
      Vec3 exact = BlockMagnetField(box, 0, -1, row, col);
      const double share = Difference(ProgramField(run, row, col), exact) / Length(exact);
      for (int g = 0; g < kGaps; ++g)
        if (gap >= kGap[g]) figures.around[g] = std::max(figures.around[g], share);
    }
  return figures;
}

void PrintGapHeader(const char* first) {
  std::printf("| %s |", first);
  for (double gap : kGap) std::printf(" %.1f mm |", gap);
  std::printf("\n|---|");
  for (int g = 0; g < kGaps; ++g) std::printf("---|");
  std::printf("\n");
}

std::string Percent(double share) {
  char text[32];
  const double p = 100 * share;
  if (std::fabs(p) < 0.005)
    std::snprintf(text, sizeof text, "0.00 %%");
  else
    std::snprintf(text, sizeof text, std::fabs(p) >= 10 ? "%+.0f %%" : "%+.2f %%", p);
  return text;
}

void WorkedExample(const ScratchDir& dir) {
  // 20 x 20 x 3 mm, face 2.5 mm below the plane: z = 3, w = 3. An even side
  // has no field point on the axis; the four nearest are 0.5 mm off it in
  // both directions, and (320, 320) is one of them.
  Run run = RunOne(dir, 310, 310, 20, 20, kRed, 3, 3);
  const double value = TableValueAt(run.table[2], 320, 320);
  const Box box = {309.5, 329.5, 309.5, 329.5, -5.5, -2.5};
  const double exact = BlockMagnetField(box, 2, +1, 320, 320)[2];
  std::printf(
      "Worked example: 20 x 20 x 3 mm, Br = %.1f T, drawn at rows and columns 310-329,\n"
      "run at z = 3, w = 3; k table at picture point (320, 320), line 320, value 320:\n"
      "  table value %.8e -> %.2f mT; closed form at that point %.2f mT (%s);\n"
      "  closed form on the axis %.2f mT\n\n",
      kRemanence, value, 1000 * kRemanence * kTeslaPerUnitValue * value, 1000 * kRemanence * exact,
      Percent(kTeslaPerUnitValue * value / exact - 1).c_str(),
      1000 * kRemanence * OnAxisBlockField(20, 20, 3, 2.5));
}

}  // namespace

int main() {
  ScratchDir dir;
  std::printf("B = Br x %.6f x value\n\n", kTeslaPerUnitValue);
  WorkedExample(dir);

  const int sides[] = {11, 21, 41}, thicknesses[] = {1, 3, 5};
  AxialFigures axial[3][3][kGaps];
  for (int s = 0; s < 3; ++s)
    for (int t = 0; t < 3; ++t)
      for (int g = 0; g < kGaps; ++g)
        axial[s][t][g] = MeasureAxial(dir, sides[s], thicknesses[t], kGap[g]);

  std::printf("Axial (red) square on its axis, program against the block formula:\n\n");
  PrintGapHeader("Block (mm) \\ gap");
  for (int s = 0; s < 3; ++s)
    for (int t = 0; t < 3; ++t) {
      std::printf("| %d x %d x %d |", sides[s], sides[s], thicknesses[t]);
      for (int g = 0; g < kGaps; ++g) std::printf(" %s |", Percent(axial[s][t][g].axis).c_str());
      std::printf("\n");
    }

  std::printf(
      "\nAxial square, worst anywhere within 10 mm (share of the local strength),\n"
      "above the inside (2 mm or more from an edge) / near the edges (less than 2 mm\n"
      "either side) / outside (2 mm or more beyond):\n\n");
  PrintGapHeader("Block (mm) \\ gap");
  for (int s = 0; s < 3; ++s)
    for (int t = 0; t < 3; ++t) {
      std::printf("| %d x %d x %d |", sides[s], sides[s], thicknesses[t]);
      for (int g = 0; g < kGaps; ++g)
        std::printf(" %.2f / %.2f / %.2f %% |", 100 * axial[s][t][g].inside,
                    100 * axial[s][t][g].edges, 100 * axial[s][t][g].outside);
      std::printf("\n");
    }

  const int planar[][3] = {{11, 21, 1}, {21, 41, 1}, {11, 41, 3}, {21, 41, 3}, {21, 21, 5}};
  const int kPlanar = sizeof planar / sizeof planar[0];
  PlanarFigures planar_figures[kPlanar];
  for (int p = 0; p < kPlanar; ++p)
    planar_figures[p] = MeasurePlanar(dir, planar[p][0], planar[p][1], planar[p][2]);
  std::printf(
      "\nIn-plane (light yellow) block, field plane at mid-height (z = -(w - 1) / 2),\n"
      "on its axis beyond the north face, program against the block formula:\n\n");
  PrintGapHeader("Width x length x thickness (mm) \\ gap");
  for (int p = 0; p < kPlanar; ++p) {
    std::printf("| %d x %d x %d |", planar[p][0], planar[p][1], planar[p][2]);
    for (double share : planar_figures[p].axis) std::printf(" %s |", Percent(share).c_str());
    std::printf("\n");
  }
  std::printf(
      "\nIn-plane block, worst anywhere outside it within 10 mm, at the gap or more\n"
      "from it (share of the local strength):\n\n");
  PrintGapHeader("Width x length x thickness (mm) \\ gap");
  for (int p = 0; p < kPlanar; ++p) {
    std::printf("| %d x %d x %d |", planar[p][0], planar[p][1], planar[p][2]);
    for (double share : planar_figures[p].around) std::printf(" %.2f %% |", 100 * share);
    std::printf("\n");
  }

  // The worst of every figure above at each gap, and from which gap on
  // everything stays within 1, 5 and 10 %.
  double worst[kGaps] = {};
  for (int g = 0; g < kGaps; ++g) {
    for (int s = 0; s < 3; ++s)
      for (int t = 0; t < 3; ++t) {
        const AxialFigures& f = axial[s][t][g];
        worst[g] = std::max({worst[g], std::fabs(f.axis), f.inside, f.edges, f.outside});
      }
    for (int p = 0; p < kPlanar; ++p)
      worst[g] =
          std::max({worst[g], std::fabs(planar_figures[p].axis[g]), planar_figures[p].around[g]});
  }
  std::printf("\nWorst of all the above at each gap:");
  for (int g = 0; g < kGaps; ++g) std::printf(" %.1f mm %.2f %%;", kGap[g], 100 * worst[g]);
  std::printf("\n");
  for (double limit : {0.01, 0.05, 0.10}) {
    int from = kGaps;
    while (from > 0 && worst[from - 1] < limit) --from;
    if (from < kGaps)
      std::printf("Within %.0f %% from a gap of %.1f mm on\n", 100 * limit, kGap[from]);
    else
      std::printf("Not within %.0f %% at any gap measured\n", 100 * limit);
  }
  return 0;
}
