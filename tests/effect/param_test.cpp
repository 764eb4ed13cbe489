#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "effect/IParam.h"

namespace {
std::string Display(const IParam& p, double value, bool normalized = false, bool texts = true) {
  char buffer[64];
  p.GetDisplayForHost(value, normalized, buffer, sizeof buffer, texts);
  return buffer;
}
}  // namespace

TEST(Param, DisplayPrecisionFollowsTheStep) {
  const struct {
    double step;
    int precision;
  } cases[] = {{1, 0}, {0.5, 1}, {0.1, 1}, {0.01, 2}, {0.25, 2}, {0.001, 3}, {0.0001, 4},
               {0.0000001, 6}, {2, 0}};
  for (const auto& c : cases) {
    IParam p;
    p.InitDouble("x", 0, 0, 100, c.step);
    EXPECT_EQ(p.GetPrecision(), c.precision) << c.step;
  }
}

TEST(Param, InitialisersKeepTheRangeAtLeastOneStep) {
  IParam d;
  d.InitDouble("d", 5, 5, 4, 0.5);
  double lo, hi;
  d.GetBounds(lo, hi);
  EXPECT_EQ(lo, 5);
  EXPECT_EQ(hi, 5.5);
  IParam i;
  i.InitInt("i", 3, 3, 3);
  i.GetBounds(lo, hi);
  EXPECT_EQ(hi, 4);
  for (int n : {0, 1}) {
    IParam e;
    e.InitEnum("e", 0, n);
    e.GetBounds(lo, hi);
    EXPECT_EQ(hi, 1.0) << n;
  }
  IParam e4;
  e4.InitEnum("e", 2, 4);
  e4.GetBounds(lo, hi);
  EXPECT_EQ(hi, 3.0);
  EXPECT_EQ(e4.Value(), 2.0);
}

TEST(Param, KindIsSetOnlyOnce) {
  IParam p;
  p.InitInt("first", 0, 0, 10);
  p.InitDouble("second", 0.5, 0, 1, 0.1);
  EXPECT_EQ(p.Type(), IParam::kTypeInt);
  EXPECT_STREQ(p.GetNameForHost(), "second");
  EXPECT_EQ(p.GetPrecision(), 1);
}

TEST(Param, SetNormalizedRoundsNonDoublesAndClampsOnlyAtTheTop) {
  IParam i;
  i.InitInt("i", 0, 0, 1);
  i.SetNormalized(0.5);
  EXPECT_EQ(i.Value(), 1.0);
  i.SetNormalized(0.49);
  EXPECT_EQ(i.Value(), 0.0);
  IParam d;
  d.InitDouble("d", 5, 5, 50, 0.01);
  d.SetNormalized(1.5);
  EXPECT_EQ(d.Value(), 50.0);
  d.SetNormalized(-0.1);
  EXPECT_DOUBLE_EQ(d.Value(), 0.5);
  // The rounding grid counts from 0, not from the minimum.
  IParam odd;
  odd.InitInt("odd", 3, 3, 9);
  odd.SetNormalized(0.5);
  EXPECT_EQ(odd.Value(), 6.0);
}

TEST(Param, SetClampsToTheRangeAndTakesNotANumberAsTheMinimum) {
  IParam d;
  d.InitDouble("d", 0.0, -10.0, 10.0, 0.01);
  d.Set(11.0);
  EXPECT_EQ(d.Value(), 10.0);
  d.Set(-11.0);
  EXPECT_EQ(d.Value(), -10.0);
  d.Set(3.25);
  EXPECT_EQ(d.Value(), 3.25);
  d.Set(__builtin_nan(""));
  EXPECT_EQ(d.Value(), -10.0);
  d.Set(-__builtin_inf());
  EXPECT_EQ(d.Value(), -10.0);
}

TEST(Param, GetNormalizedStaysInsideTheUnitRange) {
  IParam d;
  d.InitDouble("d", 5, 5, 50, 0.01);
  EXPECT_EQ(d.GetNormalized(-100.0), 0.0);
  EXPECT_EQ(d.GetNormalized(100.0), 1.0);
  EXPECT_DOUBLE_EQ(d.GetNormalized(27.5), 0.5);
  d.Set(500);
  EXPECT_EQ(d.Value(), 50.0);
  EXPECT_EQ(d.GetNormalized(), 1.0);
}

TEST(Param, ShapeTwoRoundTrips) {
  IParam d;
  d.InitDouble("d", 0, 10, 20, 0.01, "", "", 2.0);
  d.SetNormalized(0.5);
  EXPECT_DOUBLE_EQ(d.Value(), 12.5);
  EXPECT_DOUBLE_EQ(d.GetNormalized(), 0.5);
  EXPECT_DOUBLE_EQ(d.GetNonNormalized(0.5), 12.5);
  d.SetShape(0.0);
  EXPECT_EQ(d.GetShape(), 2.0);
  IParam zeroShape;
  zeroShape.InitDouble("z", 0, 0, 1, 0.1, "", "", 0.0);
  EXPECT_EQ(zeroShape.GetShape(), 1.0);
}

TEST(Param, DisplayStrings) {
  IParam fade, dry, output, by, flag;
  fade.InitDouble("FADE", 5, 5, 50, 0.01, "ms");
  dry.InitDouble("DRY", 0.5, 0, 1, 0.01, "%");
  output.InitDouble("OUTPUT", -3.5, -10, 10, 0.01, "dB");
  by.InitInt("BY", 1, 0, 1);
  flag.InitBool("flag", false, "unit");
  EXPECT_EQ(Display(fade, fade.Value()), "5.00");
  EXPECT_EQ(Display(dry, dry.Value()), "0.50");
  EXPECT_EQ(Display(output, output.Value()), "-3.50");
  EXPECT_EQ(Display(by, by.Value()), "1");
  EXPECT_EQ(Display(flag, flag.Value()), "off");
  EXPECT_STREQ(flag.GetLabelForHost(), "");
  EXPECT_EQ(Display(flag, 0.0, false, false), "0");
  EXPECT_STREQ(fade.GetLabelForHost(), "ms");
  EXPECT_EQ(Display(fade, 0.5, true), "27.50");
  EXPECT_EQ(Display(by, -0.7), "0") << "truncated toward zero";
  EXPECT_EQ(Display(by, NAN), "0");
  EXPECT_EQ(Display(by, 1e300), "2147483647");
}

TEST(Param, DisplayTexts) {
  IParam e;
  e.InitEnum("mode", 0, 3);
  EXPECT_STREQ(e.GetDisplayText(0), "");
  int value = -1;
  EXPECT_FALSE(e.MapDisplayText("a", &value));
  e.SetDisplayText(0, "zero");
  e.SetDisplayText(2, "two");
  e.SetDisplayText(2, "again");
  EXPECT_EQ(e.GetNDisplayTexts(), 3);
  EXPECT_STREQ(e.GetDisplayText(2), "two");
  EXPECT_STREQ(e.GetDisplayTextAtIdx(2, &value), "again");
  EXPECT_EQ(value, 2);
  EXPECT_TRUE(e.MapDisplayText("two", &value));
  EXPECT_EQ(value, 2);
  EXPECT_FALSE(e.MapDisplayText("Two", &value));
  EXPECT_EQ(Display(e, 1.0), "1") << "no record for 1: the number";
  EXPECT_EQ(Display(e, 2.9), "two");
  e.Set(1);
  EXPECT_STREQ(e.GetLabelForHost(), "");
}

TEST(Param, LongTextsAreCutToTheirFields) {
  IParam p;
  const std::string longName(80, 'n');
  p.InitDouble(longName.c_str(), 0, 0, 1, 0.1, longName.c_str(), longName.c_str());
  EXPECT_EQ(std::string(p.GetNameForHost()), std::string(31, 'n'));
  EXPECT_EQ(std::string(p.GetLabelForHost()).size(), 31u);
  EXPECT_EQ(std::string(p.GetParamGroupForHost()).size(), 31u);
  p.SetDisplayText(0, longName.c_str());
  EXPECT_EQ(std::string(p.GetDisplayText(0)).size(), 31u);
}

TEST(Param, DecibelsToAmplitude) {
  IParam p;
  p.InitDouble("gain", 20.0, -60, 20, 0.1);
  EXPECT_NEAR(p.DBToAmp(), 10.0, 1e-9);
  p.Set(0);
  EXPECT_EQ(p.DBToAmp(), 1.0);
}
