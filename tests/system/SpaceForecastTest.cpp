#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "system/SpaceForecast.h"

using namespace tolvex;

namespace {

constexpr double kNow = 1'700'000'000;  // seconds since 1970
constexpr double kDay = 86'400;

// Samples at the given days before now, with used bytes growing by `perDay` from `base`, counted
// from the oldest sample.
std::vector<SpaceSample> series(const std::vector<double>& daysBeforeNow, double perDay,
                                int64_t base = 100'000'000'000) {
  double oldest = *std::max_element(daysBeforeNow.begin(), daysBeforeNow.end());
  std::vector<SpaceSample> out;
  for (double daysAgo : daysBeforeNow) {
    double x = oldest - daysAgo;
    out.push_back({kNow - daysAgo * kDay, base + static_cast<int64_t>(perDay * x), 500'000'000'000});
  }
  return out;
}

}  // namespace

TEST(SpaceForecast, NeedsFourSamplesOverTwoDays) {
  struct Case {
    const char* name;
    std::vector<double> daysBeforeNow;
    bool forecast;
  };
  const Case cases[] = {
      {"three samples over ten days", {10, 5, 0}, false},
      {"four samples over 1.9 days", {1.9, 1, 0.5, 0}, false},
      {"four samples one second short of 2 days", {2 - 1 / kDay, 1, 0.5, 0}, false},
      {"four samples over exactly 2 days", {2, 1, 0.5, 0}, true},
      {"four samples all at one time", {3, 3, 3, 3}, false},
      {"five samples over 20 days", {20, 15, 10, 5, 0}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(forecastSpace(series(c.daysBeforeNow, 30'000'000), 1'000'000'000, kNow, 30).has_value(), c.forecast);
  }
}

TEST(SpaceForecast, FitsTheGrowthPerDayAndTheDaysLeft) {
  // Four samples over two days, rising by 30,000,000 bytes a day, given out of order.
  auto samples = series({0, 2, 0.5, 1.5}, 30'000'000);
  auto forecast = forecastSpace(samples, 900'000'000, kNow, 30);
  ASSERT_TRUE(forecast);
  EXPECT_DOUBLE_EQ(forecast->bytesPerDay, 30'000'000);
  EXPECT_DOUBLE_EQ(forecast->spanDays, 2);
  ASSERT_TRUE(forecast->daysLeft);
  EXPECT_DOUBLE_EQ(*forecast->daysLeft, 30);

  // Noisy samples: the least-squares slope, not the end points.
  std::vector<SpaceSample> noisy = {{kNow - 3 * kDay, 1'000'000'000, 0},
                                    {kNow - 2 * kDay, 1'100'000'000, 0},
                                    {kNow - 1 * kDay, 1'100'000'000, 0},
                                    {kNow, 1'300'000'000, 0}};
  forecast = forecastSpace(noisy, 0, kNow, 30);
  ASSERT_TRUE(forecast);
  EXPECT_DOUBLE_EQ(forecast->bytesPerDay, 90'000'000);  // Sxy 450,000,000 / Sxx 5
  EXPECT_DOUBLE_EQ(forecast->spanDays, 3);
  EXPECT_EQ(forecast->daysLeft, 0.0);
}

TEST(SpaceForecast, GivesDaysLeftOnlyFromTwentyMillionBytesADay) {
  struct Case {
    double perDay;
    int64_t available;
    std::optional<double> daysLeft;
  };
  const Case cases[] = {
      {20'000'000, 1'000'000'000, 50},
      {19'999'999, 1'000'000'000, std::nullopt},
      {0, 1'000'000'000, std::nullopt},
      {-50'000'000, 1'000'000'000, std::nullopt},
      {25'000'000, 0, 0},
      {25'000'000, -4'000'000'000, 0},  // below zero counts as nothing left
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.perDay);
    auto forecast = forecastSpace(series({3, 2, 1, 0}, c.perDay), c.available, kNow, 30);
    ASSERT_TRUE(forecast);
    EXPECT_DOUBLE_EQ(forecast->bytesPerDay, c.perDay);
    EXPECT_EQ(forecast->daysLeft, c.daysLeft);
  }
}

TEST(SpaceForecast, UsesOnlyTheWindow) {
  auto recent = series({1.5, 1, 0}, 30'000'000);  // three samples: not enough alone
  struct Case {
    double ageSeconds;
    bool forecast;
  };
  const Case cases[] = {{30 * kDay, true}, {30 * kDay + 1, false}, {45 * kDay, false}, {-10 * kDay, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ageSeconds);
    auto samples = recent;
    samples.push_back({kNow - c.ageSeconds, 90'000'000'000, 500'000'000'000});
    auto forecast = forecastSpace(samples, 1'000'000'000, kNow, 30);
    EXPECT_EQ(forecast.has_value(), c.forecast);
  }
  // A shorter window drops samples the default keeps.
  EXPECT_FALSE(forecastSpace(series({10, 5, 2, 0}, 30'000'000), 0, kNow, 7));
  EXPECT_TRUE(forecastSpace(series({10, 5, 2, 0}, 30'000'000), 0, kNow, 10));
}
