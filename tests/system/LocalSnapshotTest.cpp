#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <unistd.h>

#include "system/LocalSnapshot.h"

using namespace tolvex;
using Status = PrivilegedResult::Status;

namespace {

// Sets the process's time zone for the life of the object.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) saved_ = old;
    ::setenv("TZ", zone, 1);
    ::tzset();
  }
  ~ScopedTimeZone() {
    if (saved_)
      ::setenv("TZ", saved_->c_str(), 1);
    else
      ::unsetenv("TZ");
    ::tzset();
  }

 private:
  std::optional<std::string> saved_;
};

double utc(int year, int month, int day, int hour, int minute, int second) {
  struct tm fields {};
  fields.tm_year = year - 1900;
  fields.tm_mon = month - 1;
  fields.tm_mday = day;
  fields.tm_hour = hour;
  fields.tm_min = minute;
  fields.tm_sec = second;
  return static_cast<double>(::timegm(&fields));
}

// What `tmutil listlocalsnapshots /` prints, with the oddities a parser meets.
const char* const kListing =
    "Snapshots for disk /:\n"
    "com.apple.TimeMachine.2024-01-15-103000.local\n"
    "  \tcom.apple.TimeMachine.2024-03-01-090000.local \t\n"
    "\n"
    "com.apple.os.update-8C2D\n"
    "com.apple.TimeMachine.2024-02-30-000000.local\n"
    "org.example.TimeMachine.2024-12-01-000000.local\n"
    "com.apple..TimeMachine..2023-12-31-235959.local\n";

}  // namespace

TEST(LocalSnapshot, ParsesTmutilsListingNewestFirstInLocalTime) {
  for (const auto& [zone, offset] : {std::pair{"UTC0", 0}, std::pair{"EST5", 5 * 3600}}) {
    ScopedTimeZone timeZone(zone);
    const std::vector<LocalSnapshot> expected = {
        {"com.apple.TimeMachine.2024-03-01-090000.local", utc(2024, 3, 1, 9, 0, 0) + offset},
        {"com.apple.TimeMachine.2024-01-15-103000.local", utc(2024, 1, 15, 10, 30, 0) + offset},
        // Empty pieces do not count: the fourth piece is the date.
        {"com.apple..TimeMachine..2023-12-31-235959.local", utc(2023, 12, 31, 23, 59, 59) + offset},
        // Undated ones last, in the order they were printed.
        {"com.apple.os.update-8C2D", std::nullopt},
        {"com.apple.TimeMachine.2024-02-30-000000.local", std::nullopt},
    };
    EXPECT_EQ(parseLocalSnapshots(kListing), expected) << zone;
  }
  EXPECT_TRUE(parseLocalSnapshots("").empty());
  EXPECT_TRUE(parseLocalSnapshots("No snapshots\n").empty());
}

TEST(LocalSnapshot, SnapshotDatesAreTheExactShapeInAsciiDigits) {
  ScopedTimeZone timeZone("UTC0");
  struct Case {
    const char* text;
    std::optional<double> date;
  };
  const Case cases[] = {
      {"2024-01-15-103000", utc(2024, 1, 15, 10, 30, 0)},
      {"2024-02-29-000000", utc(2024, 2, 29, 0, 0, 0)},
      {"2000-02-29-235959", utc(2000, 2, 29, 23, 59, 59)},
      {"2023-02-29-000000", std::nullopt},
      {"1900-02-29-000000", std::nullopt},
      {"2024-04-31-000000", std::nullopt},
      {"2024-13-01-000000", std::nullopt},
      {"2024-00-01-000000", std::nullopt},
      {"2024-01-00-000000", std::nullopt},
      {"2024-01-15-240000", std::nullopt},
      {"2024-01-15-106000", std::nullopt},
      {"2024-01-15-103060", std::nullopt},
      {"2024-1-15-103000", std::nullopt},
      {"2024-01-15-1030000", std::nullopt},
      {"2024-01-15T103000", std::nullopt},
      {"+024-01-15-103000", std::nullopt},
      {" 024-01-15-103000", std::nullopt},
      {"\xD9\xA2\xD9\xA0\xD9\xA2\xD9\xA4-01-15-103000", std::nullopt},           // Arabic-Indic digits
      {"\xEF\xBC\x92\xEF\xBC\x90\xEF\xBC\x92\xEF\xBC\x94-01-15", std::nullopt},  // full-width digits
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(parseSnapshotDate(c.text), c.date) << c.text;
}

TEST(LocalSnapshot, TheDateComponentIsTheFourthNonEmptyPiece) {
  struct Case {
    const char* name;
    std::optional<std::string> component;
  };
  const Case cases[] = {
      {"com.apple.TimeMachine.2024-01-15-103000.local", "2024-01-15-103000"},
      {"com.apple.TimeMachine.2024-01-15-103000", "2024-01-15-103000"},
      {"com.apple.TimeMachine", std::nullopt},
      {"com.apple.TimeMachine.", std::nullopt},
      {".com..apple.TimeMachine...x.", "x"},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(snapshotDateComponent(c.name), c.component) << c.name;
}

TEST(LocalSnapshot, SortingPutsUndatedLastAndKeepsTheirOrder) {
  std::vector<LocalSnapshot> snapshots = {
      {"a", std::nullopt}, {"b", 10.0}, {"c", std::nullopt}, {"d", 20.0}, {"e", 10.0}};
  sortLocalSnapshots(snapshots);
  std::string order;
  for (const auto& s : snapshots) order += s.name;
  EXPECT_EQ(order, "dbeac");
}

TEST(LocalSnapshot, LoadingRunsTmutilAndAnyFailureGivesAnEmptyList) {
  std::vector<std::vector<std::string>> calls;
  auto answering = [&](std::optional<ProcessResult> answer) {
    return [&calls, answer](const std::vector<std::string>& argv) {
      calls.push_back(argv);
      return answer;
    };
  };
  const auto listed = loadLocalSnapshots(answering(ProcessResult{0, kListing, {}, false}));
  EXPECT_EQ(listed.size(), 5u);
  EXPECT_EQ(calls, (std::vector<std::vector<std::string>>{{"/usr/bin/tmutil", "listlocalsnapshots", "/"}}));
  EXPECT_TRUE(loadLocalSnapshots(answering(std::nullopt)).empty());                           // tmutil missing
  EXPECT_TRUE(loadLocalSnapshots(answering(ProcessResult{-1, kListing, {}, true})).empty());  // it hung
  if (::access(kTmutilPath, F_OK) != 0) {
    EXPECT_TRUE(loadLocalSnapshots().empty());  // this system has none
  }
}

TEST(LocalSnapshot, DeletionRunsTmutilWithTheDatePartAsAdministrator) {
  EXPECT_EQ(localSnapshotDeletionScript("2024-01-15-103000"),
            "do shell script \"/usr/bin/tmutil deletelocalsnapshots 2024-01-15-103000\" with administrator privileges");

  struct Case {
    const char* name;
    std::optional<std::string> argument;  // what tmutil is given; none: nothing runs
    PrivilegedResult outcome;
    std::optional<std::string> message;
  };
  const LocalSnapshot dated{"com.apple.TimeMachine.2024-01-15-103000.local", 1.0};
  const Case cases[] = {
      {dated.name.c_str(), "2024-01-15-103000", {Status::succeeded, {}}, std::nullopt},
      {dated.name.c_str(), "2024-01-15-103000", {Status::cancelled, {}}, "Cancelled."},
      {dated.name.c_str(), "2024-01-15-103000", {Status::failed, "No such snapshot"}, "No such snapshot"},
      {dated.name.c_str(), "2024-01-15-103000", {Status::failed, {}}, "Couldn't delete the snapshot."},
      // A step that never started is a failure, never a success.
      {dated.name.c_str(),
       "2024-01-15-103000",
       {Status::notStarted, "pkexec: not found"},
       "Couldn't delete the snapshot."},
      {"com.apple.TimeMachine", std::nullopt, {}, "Unrecognised snapshot name."},
      {"com.apple.TimeMachine.2024-01-15-10300a.local", std::nullopt, {}, "Unrecognised snapshot name."},
      {"com.apple.TimeMachine.2024-01-15;reboot.local", std::nullopt, {}, "Unrecognised snapshot name."},
      {"com.apple.TimeMachine.2024 01 15.local", std::nullopt, {}, "Unrecognised snapshot name."},
      {"com.apple.TimeMachine.\xD9\xA2\xD9\xA0\xD9\xA2\xD9\xA4-01-15.local",
       std::nullopt,
       {},
       "Unrecognised snapshot name."},
  };
  for (const auto& c : cases) {
    std::vector<std::vector<std::string>> calls;
    const auto message = deleteLocalSnapshot({c.name, std::nullopt}, [&](const std::vector<std::string>& argv) {
      calls.push_back(argv);
      return c.outcome;
    });
    EXPECT_EQ(message, c.message) << c.name;
    if (c.argument)
      EXPECT_EQ(calls,
                (std::vector<std::vector<std::string>>{{"/usr/bin/tmutil", "deletelocalsnapshots", *c.argument}}))
          << c.name;
    else
      EXPECT_TRUE(calls.empty()) << c.name;
  }
}
