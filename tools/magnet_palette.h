#pragma once
// The 372 magnet colours as something a paint program can load: the
// GIMP/Inkscape palette file (.gpl) listing them by name in table order.
#include <string>

// The whole .gpl file: header, comments, then one line per table row,
// "R G B<tab>name", in table order.
std::string GimpPaletteText();
