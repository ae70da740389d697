// The cross-build checks must reject what a wrong build would write: tables
// laid out for the other platform or broken, values that differ in the last
// digit, pictures that differ in one pixel.
#include "tools/output_comparison.h"

#include <gtest/gtest.h>
#include <lodepng.h>

#include <cmath>
#include <cstdio>

#include "tests/test_support.h"

namespace {

// The value of cell (line, column) in the made-up tables below: a mix of
// signs, zero and exponents from -45 to +37.
float CellValue(int line, int column) {
  if ((line + column) % 7 == 0) return 0.0f;
  const float magnitude = static_cast<float>((line * 640 + column) % 997 + 1) / 3.0f;
  const int scale = (column % 84) - 45;
  const float value = magnitude * static_cast<float>(std::pow(10.0, scale - 3));
  return line % 2 ? -value : value;
}

// "%.8e" as the platform writes it: two exponent digits, or three when the
// style asks for them.
std::string FormatValue(float value, const TableStyle& style) {
  char text[32];
  std::snprintf(text, sizeof text, "%.8e", static_cast<double>(value));
  std::string out = text;
  if (style.exponent_digits == 3) out.insert(out.size() - 2, "0");
  return out;
}

std::string MakeTable(const TableStyle& style) {
  std::string text;
  for (int line = 0; line < 640; ++line)
    for (int column = 0; column < 640; ++column)
      text += FormatValue(CellValue(line, column), style) + (column == 639 ? style.line_end : ",");
  return text;
}

TEST(ParseVectorTable, ReadsEachPlatformsLayoutToTheSameValues) {
  std::vector<float> linux_values, windows_values;
  std::string err;
  ASSERT_TRUE(ParseVectorTable(MakeTable(kLinuxTableStyle), kLinuxTableStyle, &linux_values, &err))
      << err;
  ASSERT_TRUE(
      ParseVectorTable(MakeTable(kWindowsTableStyle), kWindowsTableStyle, &windows_values, &err))
      << err;
  ASSERT_EQ(linux_values.size(), 640u * 640u);
  EXPECT_EQ(linux_values[641], CellValue(1, 1));
  EXPECT_TRUE(SameTableValues(linux_values, windows_values, &err)) << err;
}

TEST(ParseVectorTable, RejectsTheOtherPlatformsLayout) {
  std::vector<float> values;
  std::string err;
  EXPECT_FALSE(ParseVectorTable(MakeTable(kLinuxTableStyle), kWindowsTableStyle, &values, &err));
  EXPECT_FALSE(ParseVectorTable(MakeTable(kWindowsTableStyle), kLinuxTableStyle, &values, &err));
  // Line ends right but exponents two digits wide: what mingw's own
  // formatting would give on Windows.
  std::string mixed = MakeTable(kLinuxTableStyle);
  std::string crlf;
  for (char c : mixed) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_FALSE(ParseVectorTable(crlf, kWindowsTableStyle, &values, &err));
  EXPECT_NE(err.find("line 1, value 1"), std::string::npos) << err;
}

TEST(ParseVectorTable, RejectsBrokenLayouts) {
  const std::string good = MakeTable(kLinuxTableStyle);
  const size_t first_line_end = good.find('\n');
  std::vector<float> values;
  std::string err;

  std::string trailing_comma = good;
  trailing_comma.insert(first_line_end, ",");
  EXPECT_FALSE(ParseVectorTable(trailing_comma, kLinuxTableStyle, &values, &err));

  EXPECT_FALSE(ParseVectorTable(good.substr(0, good.size() - 1), kLinuxTableStyle, &values, &err))
      << "last line end missing";
  EXPECT_FALSE(
      ParseVectorTable(good + good.substr(0, first_line_end + 1), kLinuxTableStyle, &values, &err))
      << "641 lines";
  EXPECT_NE(err.find("after line 640"), std::string::npos) << err;

  std::string blank_after_comma = good;
  blank_after_comma.insert(good.find(',') + 1, " ");
  EXPECT_FALSE(ParseVectorTable(blank_after_comma, kLinuxTableStyle, &values, &err));
  EXPECT_NE(err.find("line 1, value 2"), std::string::npos) << err;

  std::string short_line = good;
  short_line.erase(short_line.rfind(',', first_line_end),
                   first_line_end - short_line.rfind(',', first_line_end));
  EXPECT_FALSE(ParseVectorTable(short_line, kLinuxTableStyle, &values, &err)) << "639 values";

  std::string seven_digits = good;
  seven_digits.erase(seven_digits.find('e') - 1, 1);
  EXPECT_FALSE(ParseVectorTable(seven_digits, kLinuxTableStyle, &values, &err));
}

TEST(ParseVectorTable, ReadsEachValueAsTheFloatItStandsFor) {
  // 2^-14 = 6.103515625e-05 is a tie in the ninth digit: a runtime that
  // rounds it up still writes the same float; the next float up does not.
  std::string text;
  for (int line = 0; line < 640; ++line)
    for (int column = 0; column < 640; ++column)
      text += std::string(line == 0 && column == 1 ? "6.10351563e-05" : "6.10351562e-05") +
              (column == 639 ? "\n" : ",");
  std::vector<float> values;
  std::string err;
  ASSERT_TRUE(ParseVectorTable(text, kLinuxTableStyle, &values, &err)) << err;
  EXPECT_EQ(values[0], std::ldexp(1.0f, -14));
  EXPECT_EQ(values[1], values[0]);
  text.replace(text.find("6.10351562e-05"), 14, "6.10351635e-05");
  ASSERT_TRUE(ParseVectorTable(text, kLinuxTableStyle, &values, &err)) << err;
  EXPECT_EQ(values[0], std::nextafter(std::ldexp(1.0f, -14), 1.0f));
}

TEST(SameTableValues, NamesTheFirstDifference) {
  std::vector<float> expected(640 * 640, 0.5f), actual = expected;
  std::string err;
  EXPECT_TRUE(SameTableValues(expected, actual, &err));
  actual[640 * 3 + 9] = std::nextafter(0.5f, 1.0f);
  actual[640 * 5] = -0.5f;
  EXPECT_FALSE(SameTableValues(expected, actual, &err));
  EXPECT_NE(err.find("line 4, value 10"), std::string::npos) << err;
  actual.pop_back();
  EXPECT_FALSE(SameTableValues(expected, actual, &err));
}

TEST(SamePicturePixels, ComparesDecodedPixelsNotFileBytes) {
  ScratchDir dir;
  Drawing drawing;
  drawing.FillRect(10, 20, 5, 5, 255, 128, 0);
  WritePng(dir / "rgb.png", drawing);
  // The same pixels stored as RGBA: other bytes, the same picture.
  std::vector<unsigned char> rgba;
  for (size_t i = 0; i < drawing.rgb.size(); i += 3)
    rgba.insert(rgba.end(), {drawing.rgb[i], drawing.rgb[i + 1], drawing.rgb[i + 2], 255});
  ASSERT_EQ(lodepng::encode(dir / "rgba.png", rgba, 640, 640, LCT_RGBA, 8), 0u);
  std::string err;
  EXPECT_TRUE(SamePicturePixels(dir / "rgb.png", dir / "rgba.png", &err)) << err;

  drawing.Paint(639, 7, 254, 255, 255);
  WritePng(dir / "one_off.png", drawing);
  EXPECT_FALSE(SamePicturePixels(dir / "rgb.png", dir / "one_off.png", &err));
  EXPECT_NE(err.find("1 pixels differ, the first at row 639, column 7"), std::string::npos) << err;

  WritePng(dir / "wide.png", Drawing(641, 640));
  EXPECT_FALSE(SamePicturePixels(dir / "rgb.png", dir / "wide.png", &err));
  EXPECT_NE(err.find("sizes differ"), std::string::npos) << err;

  EXPECT_FALSE(SamePicturePixels(dir / "rgb.png", dir / "missing.png", &err));
  EXPECT_NE(err.find("missing.png: decoder error"), std::string::npos) << err;
}

}  // namespace
