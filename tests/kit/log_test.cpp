#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "kit/Log.h"

namespace {
class ScopedZone {
public:
  explicit ScopedZone(const char* tz) {
    const char* old = getenv("TZ");
    mHadOld = old != nullptr;
    if (old) mOld = old;
    setenv("TZ", tz, 1);
    tzset();
  }
  ~ScopedZone() {
    if (mHadOld)
      setenv("TZ", mOld.c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

private:
  bool mHadOld = false;
  std::string mOld;
};

std::string Offset(const char* stamp) {
  const std::string s(stamp);
  return s.size() >= 5 ? s.substr(s.size() - 5) : s;
}

time_t Utc(int year, int month, int day, int hour, int minute) {
  struct tm t = {};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  return timegm(&t);
}

void BurnProcessorTime(double seconds) {
  const clock_t start = clock();
  volatile double sink = 0;
  while (static_cast<double>(clock() - start) < seconds * CLOCKS_PER_SEC) sink = sink + 1.0;
}
}  // namespace

TEST(CurrentTime, FormatsLocalTimeAndOffset) {
  {
    ScopedZone zone("ZZZ-01:30");
    const std::string now = CurrentTime();
    EXPECT_EQ(Offset(now.c_str()), "+0130");
    ASSERT_EQ(now.size(), strlen("20261207 01:10 +0130"));
    EXPECT_EQ(now[8], ' ');
    EXPECT_EQ(now[11], ':');
    EXPECT_EQ(now[14], ' ');
  }
  {
    ScopedZone zone("ZZZ+05");
    EXPECT_EQ(Offset(CurrentTime()), "-0500");
  }
  {
    ScopedZone zone("UTC0");
    EXPECT_EQ(Offset(CurrentTime()), "+0000");
  }
  {
    ScopedZone zone("ZZZ-05:45");
    EXPECT_EQ(Offset(CurrentTime()), "+0545");
  }
}

TEST(CurrentTime, DayAndYearBoundaries) {
  ScopedZone plusTwo("ZZZ-02");
  // 23:30 local on 31 December, UTC 21:30 the same day.
  EXPECT_STREQ(CurrentTimeAt(Utc(2026, 12, 31, 21, 30)), "20261231 23:30 +0200");
  // 01:00 local on 1 January, UTC still 23:00 on 31 December.
  EXPECT_STREQ(CurrentTimeAt(Utc(2026, 12, 31, 23, 0)), "20270101 01:00 +0200");
  // An ordinary day boundary.
  EXPECT_STREQ(CurrentTimeAt(Utc(2026, 3, 4, 23, 15)), "20260305 01:15 +0200");
  ScopedZone minusFive("ZZZ+05");
  // 1 January 02:00 UTC is still 31 December locally.
  EXPECT_STREQ(CurrentTimeAt(Utc(2027, 1, 1, 2, 0)), "20261231 21:00 -0500");
}

TEST(CompileTimestamp, BuildsTheShortStamp) {
  KIT_String out;
  CompileTimestamp("Dec  6 2026", "19:04:13", &out);
  EXPECT_STREQ(out.Get(), "[Dec 6 19:04]");
  CompileTimestamp("Dec 16 2026", "19:04:13", &out);
  EXPECT_STREQ(out.Get(), "[Dec16 19:04]");
  CompileTimestamp("", "", &out);  // short inputs never expose unwritten bytes
  EXPECT_STREQ(out.Get(), "[ ]");
}

TEST(AppendTimestamp, PrefixesTheText) {
  EXPECT_STREQ(AppendTimestamp("Dec 16 2026", "19:04:13", "Verlo"), "Verlo [Dec16 19:04]");
  const char* stamp = AppendTimestamp("Dec 16 2026", "19:04:13", nullptr);
  EXPECT_EQ(stamp[0], ' ');
  EXPECT_STREQ(stamp, " [Dec16 19:04]");
}

TEST(Timer, EveryFiresOnceAfterTheInterval) {
  Timer timer;
  EXPECT_FALSE(timer.Every(0.5));
  BurnProcessorTime(0.6);
  EXPECT_TRUE(timer.Every(0.5));
  EXPECT_FALSE(timer.Every(0.5));
}

TEST(Characters, WhitespaceAndLowerCase) {
  for (int c = -128; c < 128; ++c) {
    const bool expected = c == 9 || c == 10 || c == 13 || c == 32;
    EXPECT_EQ(IsWhitespace(static_cast<char>(c)), expected) << c;
  }
  char out[32];
  ToLower(out, "REAPER Bitwig-5 \xC4");
  EXPECT_STREQ(out, "reaper bitwig-5 \xC4");
}

TEST(Trace, IsSilentButArgumentsAreEvaluated) {
  int evaluated = 0;
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  Trace("label", __LINE__, "%d %s", ++evaluated, "text");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(evaluated, 1);
  EXPECT_STREQ(VSTOpcodeStr(12), "");
  EXPECT_STREQ(AUSelectStr(1), "");
  EXPECT_STREQ(AUPropertyStr(1), "");
  EXPECT_STREQ(AUScopeStr(1), "");
}
