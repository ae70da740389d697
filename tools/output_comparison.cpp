#include "tools/output_comparison.h"

#include <lodepng.h>

#include <cstdio>
#include <cstdlib>

#include "core/workspace.h"

const TableStyle kLinuxTableStyle = {"\n", 2};
const TableStyle kWindowsTableStyle = {"\r\n", 3};

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the value starting at text[pos] when it has the exact shape
// "-d.dddddddde+XX" (sign optional, exponent_digits digits), else 0.
size_t ValueLength(const std::string& text, size_t pos, int exponent_digits) {
  size_t i = pos;
  if (i < text.size() && text[i] == '-') ++i;
  if (i >= text.size() || !IsDigit(text[i++])) return 0;
  if (i >= text.size() || text[i++] != '.') return 0;
  for (int d = 0; d < 8; ++d)
    if (i >= text.size() || !IsDigit(text[i++])) return 0;
  if (i >= text.size() || text[i++] != 'e') return 0;
  if (i >= text.size() || (text[i] != '+' && text[i] != '-')) return 0;
  ++i;
  for (int d = 0; d < exponent_digits; ++d)
    if (i >= text.size() || !IsDigit(text[i++])) return 0;
  if (i < text.size() && IsDigit(text[i])) return 0;  // more exponent digits than expected
  return i - pos;
}

std::string Place(int line, int column) {
  return "line " + std::to_string(line + 1) + ", value " + std::to_string(column + 1);
}

}  // namespace

bool ParseVectorTable(const std::string& text, const TableStyle& style, std::vector<float>* values,
                      std::string* err) {
  const std::string line_end = style.line_end;
  values->clear();
  values->reserve(static_cast<size_t>(kPictureSide) * kPictureSide);
  size_t pos = 0;
  for (int line = 0; line < kPictureSide; ++line) {
    for (int column = 0; column < kPictureSide; ++column) {
      const size_t length = ValueLength(text, pos, style.exponent_digits);
      if (length == 0) {
        *err = Place(line, column) + ": expected a value like 1.00000001e" +
               std::string(style.exponent_digits == 3 ? "-001" : "-01") + ", found \"" +
               text.substr(pos, 20) + "\"";
        return false;
      }
      values->push_back(std::strtof(text.substr(pos, length).c_str(), nullptr));
      pos += length;
      const bool last = column == kPictureSide - 1;
      const std::string separator = last ? line_end : ",";
      if (text.compare(pos, separator.size(), separator) != 0) {
        *err = Place(line, column) + (last ? ": line does not end with the platform's line end"
                                           : ": value not followed by a single comma");
        return false;
      }
      pos += separator.size();
    }
  }
  if (pos != text.size()) {
    *err = "text goes on after line " + std::to_string(kPictureSide);
    return false;
  }
  return true;
}

bool SameTableValues(const std::vector<float>& expected, const std::vector<float>& actual,
                     std::string* err) {
  if (expected.size() != actual.size()) {
    *err = std::to_string(expected.size()) + " values against " + std::to_string(actual.size());
    return false;
  }
  for (size_t i = 0; i < expected.size(); ++i) {
    if (expected[i] != actual[i]) {
      char text[96];
      std::snprintf(text, sizeof text, ": %.8e against %.8e", static_cast<double>(expected[i]),
                    static_cast<double>(actual[i]));
      *err = Place(static_cast<int>(i / kPictureSide), static_cast<int>(i % kPictureSide)) + text;
      return false;
    }
  }
  return true;
}

namespace {

bool DecodeRgb(const std::string& path, std::vector<unsigned char>* rgb, unsigned* width,
               unsigned* height, std::string* err) {
  const unsigned error = lodepng::decode(*rgb, *width, *height, path, LCT_RGB, 8);
  if (error)
    *err = path + ": decoder error " + std::to_string(error) + ": " + lodepng_error_text(error);
  return error == 0;
}

}  // namespace

bool SamePicturePixels(const std::string& expected_png, const std::string& actual_png,
                       std::string* err) {
  std::vector<unsigned char> expected, actual;
  unsigned expected_width = 0, expected_height = 0, actual_width = 0, actual_height = 0;
  if (!DecodeRgb(expected_png, &expected, &expected_width, &expected_height, err) ||
      !DecodeRgb(actual_png, &actual, &actual_width, &actual_height, err))
    return false;
  if (expected_width != actual_width || expected_height != actual_height) {
    *err = "sizes differ: " + std::to_string(expected_width) + " x " +
           std::to_string(expected_height) + " against " + std::to_string(actual_width) + " x " +
           std::to_string(actual_height);
    return false;
  }
  size_t differing = 0, first = 0;
  for (size_t pixel = 0; pixel < expected.size() / 3; ++pixel) {
    const size_t i = pixel * 3;
    if (expected[i] != actual[i] || expected[i + 1] != actual[i + 1] ||
        expected[i + 2] != actual[i + 2]) {
      if (differing++ == 0) first = pixel;
    }
  }
  if (differing == 0) return true;
  *err = std::to_string(differing) + " pixels differ, the first at row " +
         std::to_string(first / expected_width) + ", column " +
         std::to_string(first % expected_width);
  return false;
}
