#include "app/command_line.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

RunSettings Parse(const std::vector<std::string>& args) {
  RunSettings settings;
  EXPECT_TRUE(ParseArguments(args, &settings));
  return settings;
}

TEST(ReadNumber, TakesTheLongestNumericPrefix) {
  EXPECT_EQ(ReadNumber("3"), 3.0f);
  EXPECT_EQ(ReadNumber("3mm"), 3.0f);
  EXPECT_EQ(ReadNumber("  -2.5"), -2.5f);
  EXPECT_EQ(ReadNumber("1e2"), 100.0f);
  EXPECT_EQ(ReadNumber("abc"), 0.0f);
  EXPECT_EQ(ReadNumber(""), 0.0f);
  EXPECT_EQ(ReadNumber("1e50"), std::numeric_limits<float>::max());
  EXPECT_EQ(ReadNumber("-1e50"), -std::numeric_limits<float>::max());
}

TEST(ParseArguments, ZIsRoundedHalfAwayFromZeroInsideTheOpenRange) {
  EXPECT_EQ(Parse({"pic.png", "1001"}).z, 3.0f);
  EXPECT_EQ(Parse({"pic.png", "-1001"}).z, 3.0f);
  EXPECT_EQ(Parse({"pic.png", "1000.5"}).z, 1001.0f);
  EXPECT_EQ(Parse({"pic.png", "-1000.5"}).z, -1001.0f);
  EXPECT_EQ(Parse({"pic.png", "2.5"}).z, 3.0f);
  EXPECT_EQ(Parse({"pic.png", "-2.5"}).z, -3.0f);
  EXPECT_EQ(Parse({"pic.png", "abc"}).z, 0.0f);
  EXPECT_EQ(Parse({"pic.png", "3mm"}).z, 3.0f);
  EXPECT_EQ(Parse({"pic.png", "1e50"}).z, 3.0f);
}

TEST(ParseArguments, ThicknessIsReadSeparatelyFromZ) {
  RunSettings s = Parse({"pic.png", "5000", "-2"});
  EXPECT_EQ(s.z, 3.0f);
  EXPECT_EQ(s.thickness, -2);
  s = Parse({"pic.png", "7", "5000"});
  EXPECT_EQ(s.z, 7.0f);
  EXPECT_EQ(s.thickness, 1);
  EXPECT_EQ(Parse({"pic.png", "3", "abc"}).thickness, 0);
  EXPECT_EQ(Parse({"pic.png", "3", "-2.5"}).thickness, -3);
}

TEST(ParseArguments, VectorFlagLooksAtTheFirstCharacterOnly) {
  EXPECT_FALSE(Parse({"pic.png"}).export_vectors);
  EXPECT_FALSE(Parse({"pic.png", "3", "1", "x"}).export_vectors);
  EXPECT_FALSE(Parse({"pic.png", "3", "1", ""}).export_vectors);
  EXPECT_TRUE(Parse({"pic.png", "3", "1", "v"}).export_vectors);
  EXPECT_TRUE(Parse({"pic.png", "3", "1", "Vx"}).export_vectors);
}

TEST(ParseArguments, NoArgumentsOrFiveAndMoreLeaveTheDefaultsToThePrompt) {
  RunSettings settings;
  settings.z = 9;
  EXPECT_FALSE(ParseArguments({}, &settings));
  EXPECT_FALSE(ParseArguments({"pic.png", "7", "2", "v", "extra"}, &settings));
  EXPECT_EQ(settings.z, 3.0f);
  EXPECT_EQ(settings.thickness, 1);
  EXPECT_FALSE(settings.export_vectors);
}

TEST(PromptLineNamesFile, FourCharactersOrFewerEndTheRun) {
  EXPECT_FALSE(PromptLineNamesFile(""));
  EXPECT_FALSE(PromptLineNamesFile("a.pn"));
  EXPECT_TRUE(PromptLineNamesFile("a.png"));
  EXPECT_TRUE(PromptLineNamesFile("     "));
}

}  // namespace
