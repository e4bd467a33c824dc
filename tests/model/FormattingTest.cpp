#include <gtest/gtest.h>

#include "model/Formatting.h"

using namespace tolvex;

TEST(Formatting, ByteCounts) {
  struct Case {
    int64_t bytes;
    const char* text;
  };
  const Case cases[] = {
      {0, "Zero KB"},
      {1, "1 KB"},
      {999, "1 KB"},
      {1000, "1 KB"},
      {1499, "1 KB"},
      {1500, "2 KB"},
      {999499, "999 KB"},
      {999500, "1 MB"},
      {1000000, "1 MB"},
      {1150000, "1.2 MB"},  // exact decimal rounding, not a double's 1.1499…
      {1500000, "1.5 MB"},
      {2000000, "2 MB"},
      {123456789, "123.5 MB"},
      {999949999, "999.9 MB"},
      {999950000, "1 GB"},
      {1234567890, "1.23 GB"},
      {1005000000, "1.01 GB"},
      {999999999999, "1 TB"},
      {1500000000000, "1.5 TB"},
      {1500000000000000, "1,500 TB"},
      {INT64_MAX, "9,223,372.04 TB"},
      {-1500000, "1.5 MB"},
      {INT64_MIN, "9,223,372.04 TB"},
  };
  for (const auto& c : cases) EXPECT_EQ(sharedByteFormatter().string(c.bytes), c.text) << c.bytes;
}

TEST(Formatting, FollowsTheLocaleSeparators) {
  setNumberFormat({".", ","});
  EXPECT_EQ(formatBytes(1234567890), "1,23 GB");
  EXPECT_EQ(formatBytes(1500000000000000), "1.500 TB");
  EXPECT_EQ(percentText(42, 1000), "4,2%");
  setNumberFormat({});
  EXPECT_EQ(formatBytes(1234567890), "1.23 GB");
}

TEST(Formatting, PercentText) {
  struct Case {
    int64_t part, total;
    const char* text;
  };
  const Case cases[] = {
      {0, 0, "0%"},         {5, 0, "0%"},         {1, 10000, "<0.1%"}, {0, 10000, "0.0%"}, {999, 10000, "10.0%"},
      {1000, 10000, "10%"}, {500, 10000, "5.0%"}, {42, 1000, "4.2%"},  {37, 100, "37%"},   {10000, 10000, "100%"},
  };
  for (const auto& c : cases) EXPECT_EQ(percentText(c.part, c.total), c.text) << c.part << "/" << c.total;
}

TEST(Formatting, AgeText) {
  struct Case {
    double days;
    const char* text;
  };
  const Case cases[] = {
      {0.5, "less than a day"}, {1, "about 1 days"},      {59.5, "about 60 days"},
      {60, "about 2 months"},   {729, "about 24 months"}, {730, "more than 2 years"},
  };
  for (const auto& c : cases) EXPECT_EQ(ageText(c.days), c.text) << c.days;
}

TEST(Formatting, SignedSizeText) {
  EXPECT_EQ(signedSizeText(0), "+Zero KB");
  EXPECT_EQ(signedSizeText(1500000), "+1.5 MB");
  EXPECT_EQ(signedSizeText(-1500000), "\u22121.5 MB");
}

TEST(Formatting, RelativeDateText) {
  const double now = 1.8e9;
  struct Case {
    double date;
    const char* text;
  };
  const Case cases[] = {
      {0, "\u2014"},
      {86400, "\u2014"},
      {now, "now"},
      {now - 30, "30 seconds ago"},
      {now - 3 * 3600, "3 hours ago"},
      {now - 86400, "yesterday"},
      {now - 3 * 86400, "3 days ago"},
      {now - 7 * 86400, "last week"},
      {now - 21 * 86400, "3 weeks ago"},
      {now - 60 * 86400, "2 months ago"},
      {now - 400 * 86400, "last year"},
      {now + 2 * 3600, "in 2 hours"},
      {now + 86400, "tomorrow"},
  };
  for (const auto& c : cases) EXPECT_EQ(relativeDateText(c.date, now), c.text) << c.date;
}
