#include "app/banners.h"

namespace {

struct BannerLine {
  int blanks;
  const char* text;  // nullptr for a line of blanks only
};

#ifdef _WIN32
const char kCacheLine[] = "This version can use up to 5 GB of Cache Files per z layer";
#else
const char kCacheLine[] = "This version can use up to 4 GB of Cache Files per z layer";
#endif

// FLUXART_VERSION is the project's version, handed in by the build.
const char kTitle[] = "Fluxart Beta v" FLUXART_VERSION;

const char kDashes[] = "------------------------------------------------------------";

// blanks, then the text, then blanks up to the width.
std::string PadLine(const BannerLine& line, size_t width) {
  std::string out(line.text ? line.blanks : 0, ' ');
  if (line.text) out += line.text;
  if (out.size() < width) out.append(width - out.size(), ' ');
  return out;
}

}  // namespace

const char kPromptText[] = "      PNG 640x640 filename? (blank to exit): ";

std::string UsageBanner() {
  static const BannerLine kLines[] = {
      {26, kTitle},
      {0, nullptr},
      {7, "You draw virtual magnets and Fluxart draws the fields!(tm)"},
      {0, nullptr},
      {7, "Usage: fluxart myfile.png or fluxart myfile.png z w v"},
      {0, nullptr},
      {7, "Where z is the distance in mm away from the magnetic surface"},
      {10, "between -1000 and 1000 millimeters, the default is 3 mm"},
      {0, nullptr},
      {7, "Where w is the thickness of the magnetic surface in mm"},
      {10, "between -1000 and 1000 millimeters, the default is 1 mm"},
      {0, nullptr},
      {6, "Where v is the letter 'v' which exports the vector text tables"},
      {0, nullptr},
      {5, "example - 'fluxart testgrid01.png' writes the png files for 3 mm"},
      {5, "example - 'fluxart testgrid01.png 3' writes the png files for 3 mm"},
      {5, "example - 'fluxart testgrid01.png 3 1 v' writes the png files and"},
      {6, "the vector data files in text format for 3 mm away and 1 mm thick"},
      {0, nullptr},
      {5, "Huedial(tm) on a White Background (255 255 255)"},
      {0, nullptr},
      {19, "XY Plane Color RGB values"},
      {11, "12:00 oclock light yellow     (255 255 128)"},
      {11, "1:30  oclock orange           (255 128 000)"},
      {11, "3:00  oclock aqua             (000 255 255)"},
      {11, "4:30  oclock purple           (128 000 255)"},
      {11, "6:00  oclock dark green       (000 128 064)"},
      {11, "7:30  oclock brown            (128 064 000)"},
      {11, "9:00  oclock green            (000 255 000)"},
      {11, "10:30 oclock lavender         (255 128 255)"},
      {0, nullptr},
      {11, "blue z axis into page south   (000 000 255)"},
      {11, "red  z axis out of page north (255 000 000)"},
      {11, "pink monopole source          (255 000 128)"},
      {11, "dark purple monopole sink     (128 000 128)"},
      {0, nullptr},
      {6, "Pink and dark purple can be used for electric field modeling"},
      {0, nullptr},
      {7, "Free software with no warranty; cache files may be deleted"},
      {0, nullptr},
      {6, kCacheLine},
      {0, nullptr},
      {0, nullptr},
  };
  std::string out = "\n";
  for (const BannerLine& line : kLines) out += PadLine(line, 72) + "\n";
  return out;
}

std::string RunBanner() {
  static const BannerLine kLines[] = {
      {3, kDashes},
      {0, nullptr},
      {23, kTitle},
      {0, nullptr},
      {3, "You draw virtual magnets and Fluxart draws the fields!(tm)"},
      {0, nullptr},
      {18, "Usage: fluxart myfile.png"},
      {0, nullptr},
      {3, "Each pixel is a 1mm cube of permanent magnet and the program"},
      {9, "generates the vector fields 3mm above the plane"},
      {0, nullptr},
      {9, "Questions and orders: see the README of fluxart"},
      {0, nullptr},
      {3, "Free software with no warranty; see the README for details"},
      {0, nullptr},
  };
  std::string out = "\n\n";
  for (const BannerLine& line : kLines) out += PadLine(line, 64) + "\n";
  out += PadLine({3, kDashes}, 64);
  return out;
}
