// The figures of the System Data screen: purgeable space, the measured sum, the bar scale, the
// snapshot titles and the deletion message.
#include <gtest/gtest.h>

#include "views/analysis/logic/NodeLists.h"
#include "views/cleanup/logic/SystemDataContent.h"

namespace tolvex {
namespace {

SystemDataPart part(int64_t size) {
  SystemDataPart p;
  p.id = "p" + std::to_string(size);
  p.size = size;
  return p;
}

TEST(SystemDataContent, PurgeableIsTheImportantUsageSpaceBeyondTheAvailableNeverBelowZero) {
  struct Case {
    int64_t available, important, expected;
  };
  const Case cases[] = {
      {400'000'000'000, 400'000'000'000, 0},  // this platform reports no purgeable space
      {400'000'000'000, 412'500'000'000, 12'500'000'000},
      {400'000'000'000, 300'000'000'000, 0},  // below the available: zero, not a negative size
      {INT64_MIN, INT64_MAX, 0},              // overflowing difference: nothing, not garbage
      {-5, INT64_MAX, 0},
  };
  for (const Case& c : cases) {
    VolumeInfo volume{"Disk", 1'000'000'000'000, c.available, c.important};
    EXPECT_EQ(purgeableBytes(volume), c.expected) << c.available << " " << c.important;
  }
}

TEST(SystemDataContent, MeasuredSumAndBarScale) {
  EXPECT_EQ(measuredBytes({}), 0);
  EXPECT_EQ(systemDataBarScale({}), 1);
  EXPECT_EQ(measuredBytes({part(3'000'000'000), part(1'200'000'000), part(5)}), 4'200'000'005);
  EXPECT_EQ(systemDataBarScale({part(3'000'000'000), part(1'200'000'000)}), 3'000'000'000);
  EXPECT_EQ(systemDataBarScale({part(0)}), 1);                              // raised to 1: no division by zero
  EXPECT_EQ(measuredBytes({part(INT64_MAX), part(INT64_MAX)}), INT64_MAX);  // saturates, never wraps negative
  EXPECT_EQ(measuredBytes({part(-10), part(4)}), 0);
}

TEST(SystemDataContent, BarsAreThousandthsOfTheScale) {
  struct Case {
    int64_t size, scale;
    int expected;
  };
  const Case cases[] = {{3'000'000'000, 3'000'000'000, 1000},
                        {1'500'000'000, 3'000'000'000, 500},
                        {1, 3'000'000'000, 0},
                        {0, 1, 0},
                        {-4, 10, 0},
                        {20, 10, 1000},
                        {INT64_MAX, INT64_MAX, 1000},
                        {INT64_MAX / 2, INT64_MAX, 499}};
  for (const Case& c : cases) EXPECT_EQ(barPermille(c.size, c.scale), c.expected) << c.size << "/" << c.scale;
}

TEST(SystemDataContent, TilesShowBytesAndAPlainSnapshotCount) {
  const VolumeInfo volume{"Disk", 1'000'000'000'000, 20'000'000'000, 23'400'000'000};
  const SystemDataTiles tiles = systemDataTiles(volume, 1234, {part(2'000'000'000), part(500'000'000)});
  EXPECT_EQ(tiles, (SystemDataTiles{"3.4 GB", "1234", "2.5 GB"}));
  EXPECT_EQ(systemDataTiles(volume, 0, {}).measured, "Zero KB");
}

TEST(SystemDataContent, ASnapshotIsListedByItsDateOrElseByItsName) {
  const double date = 1'704'449'410;  // 2024-01-05
  EXPECT_EQ(snapshotRowTitle({"com.apple.TimeMachine.2024-01-05-101010.local", date}), shortDateTimeText(date));
  EXPECT_EQ(snapshotRowTitle({"com.apple.TimeMachine.odd.local", std::nullopt}), "com.apple.TimeMachine.odd.local");
  EXPECT_EQ(snapshotRowTitle({"com.apple.os.update-ABC", 12.0}), "com.apple.os.update-ABC");  // no real date
}

TEST(SystemDataContent, ADeletionMessageIsNoneOnSuccessAndNeverEmptyOnFailure) {
  EXPECT_EQ(snapshotDeletionMessage(std::nullopt), std::nullopt);
  EXPECT_EQ(snapshotDeletionMessage(std::string("Cancelled.")), QString("Cancelled."));
  EXPECT_EQ(snapshotDeletionMessage(std::string()), QString("Couldn't delete the snapshot."));
}

}  // namespace
}  // namespace tolvex
