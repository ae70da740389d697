#include "render/vector_tables.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "app/output_names.h"
#include "core/workspace.h"
#include "tests/field_test_support.h"

namespace {

std::string Format(float value, int width = 0) {
  char text[48];
  const int length = FormatTableValue(value, width, text, sizeof text);
  EXPECT_EQ(length, static_cast<int>(std::string(text).size()));
  return text;
}

TEST(FormatTableValue, WritesTheWidenedFloatWithEightDigits) {
  EXPECT_EQ(Format(0.0f), "0.00000000e+00");
  EXPECT_EQ(Format(0.1f), "1.00000001e-01");
  EXPECT_EQ(Format(-2.5f), "-2.50000000e+00");
  EXPECT_EQ(Format(1.5e-9f), "1.50000001e-09");
  EXPECT_EQ(Format(1e30f), "1.00000002e+30");
  EXPECT_EQ(Format(std::numeric_limits<float>::max()), "3.40282347e+38");
  EXPECT_EQ(Format(std::numeric_limits<float>::denorm_min()), "1.40129846e-45");
  EXPECT_EQ(Format(-0.0f), "-0.00000000e+00");
}

TEST(FormatTableValue, WidthPadsOnlyShortTexts) {
  EXPECT_EQ(Format(0.1f, kFirstValueWidth), "1.00000001e-01");
  EXPECT_EQ(Format(std::nanf(""), kFirstValueWidth), "         nan");
  EXPECT_EQ(Format(std::numeric_limits<float>::infinity(), kFirstValueWidth), "         inf");
  EXPECT_EQ(Format(std::nanf(""), 0), "nan");
}

// Runs a test body inside a scratch folder, since the tables are written
// relative to the working folder.
class VectorTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(getcwd(old_dir_, sizeof old_dir_), nullptr);
    ASSERT_EQ(chdir(scratch_.path().c_str()), 0);
  }
  void TearDown() override { ASSERT_EQ(chdir(old_dir_), 0); }
  // Writes the tables, returning the result and what was printed.
  bool Write(const OutputNames& names, std::string* printed) {
    testing::internal::CaptureStdout();
    const bool written = WriteVectorTables(ws, names.i_table, names.j_table, names.k_table);
    *printed = testing::internal::GetCapturedStdout();
    return written;
  }

  const std::unique_ptr<Workspace> owner_ = NewWorkspace();
  Workspace& ws = *owner_;
  ScratchDir scratch_;
  char old_dir_[4096];
  const OutputNames names_ = BuildOutputNames("tables.png", 3);
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  EXPECT_EQ(start, text.size()) << "text after the last line end";
  return lines;
}

TEST_F(VectorTablesTest, ZeroFieldGivesZerosEverywhere) {
  std::string printed;
  ASSERT_TRUE(Write(names_, &printed));
  EXPECT_EQ(printed, "   +Writing   Vector   Data   Files  +\n\n");
  std::string line;
  for (int m = 0; m < 639; ++m) line += "0.00000000e+00,";
  line += "0.00000000e+00\n";
  std::string expected;
  for (int l = 0; l < 640; ++l) expected += line;
  EXPECT_EQ(ReadFile(names_.i_table), expected);
  EXPECT_EQ(ReadFile(names_.j_table), expected);
  EXPECT_EQ(ReadFile(names_.k_table), expected);
}

TEST_F(VectorTablesTest, EachComponentGoesToItsTableInTheFieldFrame) {
  for (int l = 0; l < 640; ++l)
    for (int m = 0; m < 640; ++m) {
      ws.field_grid[l][m][0] = static_cast<float>(l * 1000 + m);
      ws.field_grid[l][m][1] = -static_cast<float>(m);
      ws.field_grid[l][m][2] = 0.5f;
    }
  ws.field_grid[0][0][0] = 0.1f;
  ws.field_grid[0][0][1] = std::nanf("");
  ws.field_grid[0][1][1] = std::nanf("");
  ws.field_grid[639][639][2] = 1.5e-9f;
  std::string printed;
  ASSERT_TRUE(Write(names_, &printed));

  const std::vector<std::string> i = Lines(ReadFile(names_.i_table));
  const std::vector<std::string> j = Lines(ReadFile(names_.j_table));
  const std::vector<std::string> k = Lines(ReadFile(names_.k_table));
  ASSERT_EQ(i.size(), 640u);
  ASSERT_EQ(j.size(), 640u);
  ASSERT_EQ(k.size(), 640u);
  for (const auto* table : {&i, &j, &k})
    for (const std::string& line : *table) {
      ASSERT_EQ(std::count(line.begin(), line.end(), ','), 639);
      ASSERT_EQ(line.find(' ', 12), std::string::npos);
      ASSERT_NE(line.back(), ',');
    }
  EXPECT_EQ(i[0].substr(0, 30), "1.00000001e-01,1.00000000e+00,");
  EXPECT_EQ(i[2].substr(0, 30), "2.00000000e+03,2.00100000e+03,");
  EXPECT_EQ(i[639].substr(i[639].size() - 15), ",6.39639000e+05");
  // Only the first value of a file carries the width.
  EXPECT_EQ(j[0].substr(0, 32), "         nan,nan,-2.00000000e+00");
  EXPECT_EQ(j[1].substr(j[1].size() - 16), ",-6.39000000e+02");
  EXPECT_EQ(k[639].substr(k[639].size() - 29), "5.00000000e-01,1.50000001e-09");
}

TEST_F(VectorTablesTest, ReplacesAnOldTable) {
  std::ofstream(names_.k_table) << std::string(20000000, 'x') << "\n";
  std::string printed;
  ASSERT_TRUE(Write(names_, &printed));
  const std::vector<std::string> k = Lines(ReadFile(names_.k_table));
  ASSERT_EQ(k.size(), 640u);
  EXPECT_EQ(k[0].substr(0, 15), "0.00000000e+00,");
}

TEST_F(VectorTablesTest, ATableBlockedByAFolderIsReportedAndTheOthersWritten) {
  ASSERT_EQ(mkdir(names_.j_table, 0755), 0);
  ws.field_grid[5][6][0] = 2.0f;
  std::string printed;
  EXPECT_FALSE(Write(names_, &printed));
  EXPECT_EQ(printed,
            "   +Writing   Vector   Data   Files  +\n\n"
            "fluxart: could not write tables_______Z5003_j_vector.txt (Is a directory); check the "
            "folder can be written\n");
  const std::vector<std::string> i = Lines(ReadFile(names_.i_table));
  ASSERT_EQ(i.size(), 640u);
  EXPECT_EQ(i[5].substr(90, 15), "2.00000000e+00,");
  EXPECT_EQ(Lines(ReadFile(names_.k_table)).size(), 640u);
}

}  // namespace
