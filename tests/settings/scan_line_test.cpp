// The pattern reader of the text settings file, conversion by conversion.
#include "settings/scan_line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(ScanLine, DecimalsStepOverMinusAndDigitsOnly) {
  int32_t a = 7, b = 7, c = 7;
  EXPECT_EQ(ScanLine("\t12,-5,  30", "\t%d,%d,%d", {&a, &b, &c}), 3);
  EXPECT_EQ(a, 12);
  EXPECT_EQ(b, -5);
  EXPECT_EQ(c, 30);

  // "+" is read by atoi but not stepped over: the ',' then fails to match.
  a = b = 7;
  EXPECT_EQ(ScanLine("+5,6", "%d,%d", {&a, &b}), 1);
  EXPECT_EQ(a, 5);
  EXPECT_EQ(b, 7);

  // A value that is not a number reads as 0; the mismatch after it stops.
  a = b = 7;
  EXPECT_EQ(ScanLine("abc,1", "%d,%d", {&a, &b}), 1);
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 7);

  // Out-of-range values clamp instead of overflowing.
  EXPECT_EQ(ScanLine("99999999999999999999", "%d", {&a}), 1);
  EXPECT_EQ(a, std::numeric_limits<int32_t>::max());
  uint32_t u = 0;
  EXPECT_EQ(ScanLine("-1", "%d", {&u}), 1);
  EXPECT_EQ(u, 0xFFFFFFFFu);
}

TEST(ScanLine, FloatsStepOverOnePointAndItsDigits) {
  float x = 0, y = 0, z = 0;
  EXPECT_EQ(ScanLine("1.5,-.25, 3.", "%f,%f,%f", {&x, &y, &z}), 3);
  EXPECT_FLOAT_EQ(x, 1.5f);
  EXPECT_FLOAT_EQ(y, -0.25f);
  EXPECT_FLOAT_EQ(z, 3.0f);

  // The exponent is part of the value but not stepped over.
  x = y = 0;
  EXPECT_EQ(ScanLine("2e3,4", "%f,%f", {&x, &y}), 1);
  EXPECT_FLOAT_EQ(x, 2000.0f);
  EXPECT_EQ(y, 0.0f);

  // ".5.5": one point then digits, and no second point.
  x = y = 0;
  EXPECT_EQ(ScanLine(".5.5", "%f.%f", {&x, &y}), 2);
  EXPECT_FLOAT_EQ(x, 0.5f);
  EXPECT_FLOAT_EQ(y, 5.0f);

  EXPECT_EQ(ScanLine("1e999", "%f", {&x}), 1);
  EXPECT_TRUE(std::isinf(x));
}

TEST(ScanLine, HexStepsOverHexDigitsOnly) {
  uint32_t a = 0, b = 0;
  EXPECT_EQ(ScanLine("ff,1A", "%x,%X", {&a, &b}), 2);
  EXPECT_EQ(a, 0xFFu);
  EXPECT_EQ(b, 0x1Au);

  // "0x10": the value is 16, but only the '0' is stepped over.
  a = b = 0;
  EXPECT_EQ(ScanLine("0x10,5", "%x,%x", {&a, &b}), 1);
  EXPECT_EQ(a, 16u);
  EXPECT_EQ(b, 0u);

  // No hex digit: counted, the target keeps its value.
  a = 9;
  EXPECT_EQ(ScanLine("zz", "%x", {&a}), 1);
  EXPECT_EQ(a, 9u);
}

TEST(ScanLine, StringsRunToTheNextPatternCharacter) {
  int32_t id = 0, vol = 0;
  std::string path = "old";
  EXPECT_EQ(ScanLine("\t12,-5,C:\\Music\\a b.mp3", "\t%d,%d,%s", {&id, &vol, &path}), 3);
  EXPECT_EQ(path, "C:\\Music\\a b.mp3");

  // Leading blanks dropped, inner and trailing ones kept.
  std::string first, second;
  EXPECT_EQ(ScanLine("  a b  |c ", "%s|%S", {&first, &second}), 2);
  EXPECT_EQ(first, "a b  ");
  EXPECT_EQ(second, "c ");

  // The stop character never appears: the string takes the rest.
  EXPECT_EQ(ScanLine("abc", "%s;%d", {&first, &id}), 1);
  EXPECT_EQ(first, "abc");
}

TEST(ScanLine, OtherConversionsAndLimits) {
  int32_t a = 3, b = 4;
  // %q counts and uses up a target without reading.
  EXPECT_EQ(ScanLine("7", "%q%d", {&a, &b}), 2);
  EXPECT_EQ(a, 3);
  EXPECT_EQ(b, 7);

  EXPECT_EQ(ScanLine("", "%d", {&a}), 0);
  EXPECT_EQ(ScanLine("x=1", "y=%d", {&a}), 0);
  EXPECT_EQ(ScanLine("5", "%", {&a}), 1);  // a lone '%' at the pattern's end
  EXPECT_EQ(ScanLine("1,2,3", "%d,%d,%d", {&a}), 1);  // targets run out
  std::string s = "keep";
  EXPECT_EQ(ScanLine("12", "%d", {&s}), 1);  // a string is no %d target
  EXPECT_EQ(s, "keep");
}

}  // namespace
