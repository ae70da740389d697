#pragma once
// Compares what two builds of fluxart wrote for the same input: pictures by
// their decoded pixels, vector tables value by value after checking that
// each table is laid out as its platform writes it. Used by the cross-build
// test to hold the Windows build to the Linux one.
#include <string>
#include <vector>

// How one platform's runtime writes a table: the line end of text mode and
// the number of exponent digits of "%.8e" for the values it produces.
struct TableStyle {
  const char* line_end;
  int exponent_digits;
};
extern const TableStyle kLinuxTableStyle;    // "\n", 2 digits (1.00000001e-01)
extern const TableStyle kWindowsTableStyle;  // "\r\n", 3 digits (1.00000001e-001)

// Parses a whole table held in text: 640 lines of 640 values separated by
// single commas, every line (the last too) ending with style.line_end, each
// value "-d.dddddddde+XX" with exactly style.exponent_digits exponent digits.
// Gives the 409,600 values in file order, each read as the nearest 32-bit
// float, or false and err naming the first line and value that break the
// layout. The tables hold 32-bit floats, and nine digits single out each
// one: two runtimes that round a tie in the ninth digit differently still
// give the same float, while any other difference shows.
bool ParseVectorTable(const std::string& text, const TableStyle& style, std::vector<float>* values,
                      std::string* err);

// True when both hold the same values in the same order, compared exactly;
// otherwise err names the first differing line and column and both values.
bool SameTableValues(const std::vector<float>& expected, const std::vector<float>& actual,
                     std::string* err);

// Decodes both PNG files to 8-bit RGB and compares them pixel for pixel.
// False with err naming the file that does not decode, a size mismatch, or
// the number of differing pixels and the first of them.
bool SamePicturePixels(const std::string& expected_png, const std::string& actual_png,
                       std::string* err);
