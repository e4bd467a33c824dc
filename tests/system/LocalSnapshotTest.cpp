#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

#include "support/RunAsNobody.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"
#include "system/LocalSnapshot.h"

using namespace tolvex;
using Status = PrivilegedResult::Status;
using namespace tolvex::test;

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
  const auto listed = loadTmutilSnapshots(answering(ProcessResult{0, kListing, {}, false}));
  EXPECT_EQ(listed.size(), 5u);
  EXPECT_EQ(calls, (std::vector<std::vector<std::string>>{{"/usr/bin/tmutil", "listlocalsnapshots", "/"}}));
  EXPECT_TRUE(loadTmutilSnapshots(answering(std::nullopt)).empty());                           // tmutil missing
  EXPECT_TRUE(loadTmutilSnapshots(answering(ProcessResult{-1, kListing, {}, true})).empty());  // it hung
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
      // Digits and dashes that are no date must not reach tmutil's option parser either.
      {"com.apple.TimeMachine.--.local", std::nullopt, {}, "Unrecognised snapshot name."},
      {"com.apple.TimeMachine.-2024-01-15-10300.local", std::nullopt, {}, "Unrecognised snapshot name."},
      {"com.apple.TimeMachine.2024-01-15.local", std::nullopt, {}, "Unrecognised snapshot name."},
      {"com.apple.TimeMachine.2024-13-15-103000.local", std::nullopt, {}, "Unrecognised snapshot name."},
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

// ---- snapper and Timeshift ----

namespace {

// What "snapper --jsonout list-configs" and "snapper --jsonout -c root list" print, with entries a
// parser must not trust.
const char* const kSnapperConfigs = R"({
  "configs": [
    {"config": "root", "subvolume": "/"},
    {"config": "home", "subvolume": "/home"},
    {"config": "-c", "subvolume": "/x"},
    {"config": "a:b", "subvolume": "/y"},
    {"config": "../etc", "subvolume": "/z"},
    {"config": 7, "subvolume": "/n"},
    {"config": "root", "subvolume": "/"}
  ]
})";

const char* const kSnapperRoot = R"({
  "root": [
    {"subvolume": "/", "number": 0, "default": false, "active": false, "type": "single", "pre-number": null,
     "date": "", "user": "root", "used-space": null, "cleanup": "", "description": "current", "userdata": null},
    {"subvolume": "/", "number": 1, "type": "single", "date": "2024-03-01 09:00:00", "description": "first root"},
    {"subvolume": "/", "number": 42, "type": "pre", "date": "2024-03-05 18:30:15", "description": "zypp"},
    {"subvolume": "/", "number": 43, "type": "post", "date": "not a date", "description": "odd"},
    {"subvolume": "/", "number": -4, "date": "2024-03-05 18:30:15"},
    {"subvolume": "/", "number": "44", "date": "2024-03-05 18:30:15"},
    {"subvolume": "/", "number": 12345678901, "date": "2024-03-05 18:30:15"},
    {"subvolume": "/", "date": "2024-03-05 18:30:15"}
  ]
})";

const char* const kSnapperHome = R"({"home": [{"number": 3, "date": "2024-03-04 12:00:00"}]})";

std::vector<std::string> namesOf(const std::vector<LocalSnapshot>& snapshots) {
  std::vector<std::string> names;
  for (const auto& snapshot : snapshots) names.push_back(snapshot.name);
  return names;
}

// A runner that answers each argument vector from a table and records what it was asked.
struct FakeTools {
  std::map<std::vector<std::string>, ProcessResult> answers;
  std::vector<std::vector<std::string>> calls;
  ProcessRunner runner() {
    return [this](const std::vector<std::string>& argv) -> std::optional<ProcessResult> {
      calls.push_back(argv);
      const auto found = answers.find(argv);
      if (found == answers.end()) return std::nullopt;  // not installed
      return found->second;
    };
  }
};

// Timeshift's rsync-mode folder on a disk laid out under a temporary folder.
struct TimeshiftDisk {
  TempDir dir;
  TreeBuilder tree{dir.path()};
  std::string snapshots = tree.folder("timeshift/snapshots");

  TimeshiftDisk() {
    tree.file("timeshift/snapshots/2024-05-01_10-00-00/info.json", 40);
    tree.folder("timeshift/snapshots/2024-05-01_10-00-00/localhost/etc");
    tree.folder("timeshift/snapshots/2024-05-02_09-30-00");
    tree.file("timeshift/snapshots/2024-05-03_08-00-00", 1);  // a file, not a snapshot
    tree.folder("timeshift/snapshots/2024-02-30_00-00-00");   // no such day
    tree.folder("timeshift/snapshots/2024-05-01_10-00-00x");
    tree.folder("timeshift/snapshots/--delete");
    tree.folder("timeshift/snapshots/.sync");
    tree.folder("elsewhere/2024-05-04_00-00-00");
    ::symlink((dir / "elsewhere/2024-05-04_00-00-00").c_str(), (snapshots + "/2024-05-04_00-00-00").c_str());
  }
};

}  // namespace

TEST(LocalSnapshot, SnapperListingsGiveConfigNumberNamesDatedInLocalTime) {
  EXPECT_EQ(parseSnapperConfigs(kSnapperConfigs), (std::vector<std::string>{"root", "home"}));
  for (const char* broken : {"", "{", "[]", R"({"configs": {}})", R"({"configs": [1, null]})"})
    EXPECT_TRUE(parseSnapperConfigs(broken).empty()) << broken;

  for (const auto& [zone, offset] : {std::pair{"UTC0", 0}, std::pair{"EST5", 5 * 3600}}) {
    ScopedTimeZone timeZone(zone);
    // Newest first; the live system (0) and numbers snapper cannot be handed back are left out.
    EXPECT_EQ(parseSnapperSnapshots(kSnapperRoot),
              (std::vector<LocalSnapshot>{{"root:42", utc(2024, 3, 5, 18, 30, 15) + offset},
                                          {"root:1", utc(2024, 3, 1, 9, 0, 0) + offset},
                                          {"root:43", std::nullopt}}))
        << zone;
  }
  EXPECT_TRUE(parseSnapperSnapshots(R"({"-x": [{"number": 1, "date": "2024-03-05 18:30:15"}]})").empty());
  EXPECT_TRUE(parseSnapperSnapshots("No permissions.").empty());
}

TEST(LocalSnapshot, SnapperIsAskedPerConfigAndAConfigThatRefusesTheUserGivesNone) {
  ScopedTimeZone timeZone("UTC0");
  FakeTools tools;
  tools.answers[{kSnapperPath, "--jsonout", "list-configs"}] = {0, kSnapperConfigs, {}, false};
  tools.answers[{kSnapperPath, "--jsonout", "-c", "root", "list"}] = {0, kSnapperRoot, {}, false};
  // Its ALLOW_USERS leaves this user out.
  tools.answers[{kSnapperPath, "--jsonout", "-c", "home", "list"}] = {1, {}, "No permissions.", false};
  EXPECT_EQ(namesOf(loadSnapperSnapshots(tools.runner())), (std::vector<std::string>{"root:42", "root:1", "root:43"}));
  EXPECT_EQ(tools.calls, (std::vector<std::vector<std::string>>{{kSnapperPath, "--jsonout", "list-configs"},
                                                                {kSnapperPath, "--jsonout", "-c", "root", "list"},
                                                                {kSnapperPath, "--jsonout", "-c", "home", "list"}}));

  // A listing may only speak for the config it was asked about; a hung or failed listing gives none.
  tools.answers[{kSnapperPath, "--jsonout", "-c", "home", "list"}] = {0, kSnapperRoot, {}, false};
  tools.answers[{kSnapperPath, "--jsonout", "-c", "root", "list"}] = {-1, kSnapperRoot, {}, true};
  EXPECT_TRUE(loadSnapperSnapshots(tools.runner()).empty());
  tools.answers[{kSnapperPath, "--jsonout", "-c", "home", "list"}] = {0, kSnapperHome, {}, false};
  EXPECT_EQ(namesOf(loadSnapperSnapshots(tools.runner())), (std::vector<std::string>{"home:3"}));

  // Without snapper (or when listing its configs fails) nothing more is asked.
  FakeTools none;
  EXPECT_TRUE(loadSnapperSnapshots(none.runner()).empty());
  EXPECT_EQ(none.calls.size(), 1u);
}

TEST(LocalSnapshot, TimeshiftSnapshotsAreItsDateNamedFoldersNewestFirst) {
  ScopedTimeZone timeZone("EST5");
  TimeshiftDisk disk;
  EXPECT_EQ(listTimeshiftSnapshots(disk.dir.path()),
            (std::vector<LocalSnapshot>{{"2024-05-02_09-30-00", utc(2024, 5, 2, 14, 30, 0)},
                                        {"2024-05-01_10-00-00", utc(2024, 5, 1, 15, 0, 0)}}));
  TempDir empty;
  EXPECT_TRUE(listTimeshiftSnapshots(empty.path()).empty());

  if (::geteuid() == 0) {
    // Timeshift's folder where the user may not list it: nothing, and no password asked.
    for (const std::string& folder : {disk.dir.path(), disk.dir / "timeshift"}) ::chmod(folder.c_str(), 0755);
    ::chmod(disk.snapshots.c_str(), 0700);
    const std::string seen = runAsNobody([&] {
      if (::access((disk.dir / "timeshift").c_str(), X_OK) != 0) return std::string("unreachable");
      return std::to_string(listTimeshiftSnapshots(disk.dir.path()).size());
    });
    if (seen != "unreachable") {
      EXPECT_EQ(seen, "0");
    }
  }
}

TEST(LocalSnapshot, EveryToolsSnapshotsAreListedTogetherNewestFirst) {
  ScopedTimeZone timeZone("UTC0");
  TimeshiftDisk disk;
  FakeTools tools;
  tools.answers[{kTmutilPath, "listlocalsnapshots", "/"}] = {0, kListing, {}, false};
  tools.answers[{kSnapperPath, "--jsonout", "list-configs"}] = {0, R"({"configs": [{"config": "home"}]})", {}, false};
  tools.answers[{kSnapperPath, "--jsonout", "-c", "home", "list"}] = {0, kSnapperHome, {}, false};
  const auto names = namesOf(loadLocalSnapshots(SnapshotSources{tools.runner(), disk.dir.path()}));
  EXPECT_EQ(names, (std::vector<std::string>{"2024-05-02_09-30-00", "2024-05-01_10-00-00", "home:3",
                                             "com.apple.TimeMachine.2024-03-01-090000.local",
                                             "com.apple.TimeMachine.2024-01-15-103000.local",
                                             "com.apple..TimeMachine..2023-12-31-235959.local",
                                             "com.apple.os.update-8C2D",
                                             "com.apple.TimeMachine.2024-02-30-000000.local"}));
  TempDir bare;
  EXPECT_TRUE(loadLocalSnapshots(SnapshotSources{FakeTools().runner(), bare.path()}).empty());
}

TEST(LocalSnapshot, SnapperAndTimeshiftSnapshotsAreDeletedByTheirExactNamesOnly) {
  struct Case {
    const char* name;
    std::optional<std::vector<std::string>> argv;  // what the administrator runs; none: nothing
  };
  const Case cases[] = {
      {"root:42", std::vector<std::string>{kSnapperPath, "-c", "root", "delete", "42"}},
      {"home@2_x.y+z-1:7", std::vector<std::string>{kSnapperPath, "-c", "home@2_x.y+z-1", "delete", "7"}},
      {"2024-05-01_10-00-00",
       std::vector<std::string>{kTimeshiftPath, "--delete", "--snapshot", "2024-05-01_10-00-00", "--scripted"}},
      // Hostile or partial names reach no tool.
      {"-c:1", std::nullopt},
      {".hidden:1", std::nullopt},
      {"root:0", std::nullopt},
      {"root:042", std::nullopt},
      {"root:-1", std::nullopt},
      {"root:+1", std::nullopt},
      {"root:1 2", std::nullopt},
      {"root:1;reboot", std::nullopt},
      {"root:1234567890", std::nullopt},
      {"root:", std::nullopt},
      {":5", std::nullopt},
      {"ro ot:5", std::nullopt},
      {"root:5:6", std::nullopt},
      {"2024-05-01_10-00-00 --yes", std::nullopt},
      {"--delete-all", std::nullopt},
      {"2024-02-30_00-00-00", std::nullopt},
      {"2024-5-01_10-00-00", std::nullopt},
      {"2024-05-01_10-00", std::nullopt},
      {"2024-05-01-100000", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases) {
    std::vector<std::vector<std::string>> calls;
    const auto message = deleteLocalSnapshot({c.name, std::nullopt}, [&](const std::vector<std::string>& argv) {
      calls.push_back(argv);
      return PrivilegedResult{Status::succeeded, {}};
    });
    if (c.argv) {
      EXPECT_EQ(message, std::nullopt) << c.name;
      EXPECT_EQ(calls, std::vector<std::vector<std::string>>{*c.argv}) << c.name;
    } else {
      EXPECT_EQ(message, "Unrecognised snapshot name.") << c.name;
      EXPECT_TRUE(calls.empty()) << c.name;
    }
  }

  // The administrator step's outcomes, the same for every tool.
  for (const char* name : {"root:42", "2024-05-01_10-00-00"}) {
    const auto ending = [&](PrivilegedResult result) {
      return deleteLocalSnapshot({name, 1.0}, [&](const std::vector<std::string>&) { return result; });
    };
    EXPECT_EQ(ending({Status::cancelled, {}}), "Cancelled.") << name;
    EXPECT_EQ(ending({Status::failed, "Snapshot '42' not found."}), "Snapshot '42' not found.") << name;
    EXPECT_EQ(ending({Status::notStarted, {}}), "Couldn't delete the snapshot.") << name;
  }
}
