#include <gtest/gtest.h>

#include <dirent.h>
#include <functional>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>
#include <sys/stat.h>

#include "platform/AtomicFile.h"
#include "platform/HomeFolder.h"
#include "platform/Identifiers.h"
#include "support/TempHome.h"
#include "system/TrendStore.h"

using namespace tolvex;
using nlohmann::json;
using tolvex::test::TempDir;
using tolvex::test::TempHome;

namespace {

constexpr double kNow = 1'700'000'000;  // seconds since 1970
constexpr double kHour = 3600;
constexpr double kDay = 86'400;

ScanSnapshot snapshot(const std::string& root, double date, int64_t total = 1) {
  ScanSnapshot s;
  s.id = makeUUID();
  s.date = date;
  s.root = root;
  s.total = total;
  s.buckets = {{"0", total}};
  s.folders = {{root, total}};
  return s;
}

VolumeInfo volume(int64_t total, int64_t available) {
  VolumeInfo v;
  v.name = "disk";
  v.total = total;
  v.available = available;
  v.availableForImportantUsage = available;
  return v;
}

std::string contentOf(const std::string& path) { return readWholeFile(path).value_or("<missing>"); }

json parsedFile(const std::string& path) { return json::parse(contentOf(path)); }

std::set<std::string> keysOf(const json& object) {
  std::set<std::string> keys;
  for (const auto& [key, value] : object.items()) keys.insert(key);
  return keys;
}

std::vector<std::string> idsOf(const std::vector<ScanSnapshot>& snapshots) {
  std::vector<std::string> ids;
  for (const ScanSnapshot& s : snapshots) ids.push_back(s.id);
  return ids;
}

std::vector<double> datesOf(const std::vector<SpaceSample>& samples) {
  std::vector<double> dates;
  for (const SpaceSample& s : samples) dates.push_back(s.date);
  return dates;
}

// Names in a folder other than "." and "..".
std::set<std::string> entriesOf(const std::string& folder) {
  std::set<std::string> names;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* entry = readdir(dir))
      if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..") names.insert(entry->d_name);
    closedir(dir);
  }
  return names;
}

class TrendStoreTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::string scansPath() const { return dir / "scans.json"; }
  std::string spacePath() const { return dir / "space.json"; }
  void writeFile(const std::string& path, const std::string& bytes) { ASSERT_EQ(writeFileAtomically(path, bytes), 0); }
};

}  // namespace

// ---- File formats -------------------------------------------------------------------------------

TEST_F(TrendStoreTest, ScansFileHoldsExactlyTheListedKeysWithTheirTypes) {
  TrendStore store(dir.path());
  ScanSnapshot first = snapshot("/home/ann", kNow + 0.5, 5'000'000'000'000);
  first.buckets = {{"0", 5}, {"11", 7'000'000'000}};
  first.folders = {{"/home/ann", 5'000'000'000'000}, {"/home/ann/Videos", 16'000'000}};
  ScanSnapshot second = snapshot("/", kNow + 10 * kHour);
  store.recordSnapshot(first);
  store.recordSnapshot(second);

  std::string text = contentOf(scansPath());
  EXPECT_EQ(text.find('\n'), std::string::npos) << "compact JSON";
  EXPECT_EQ(text.find(": "), std::string::npos) << "compact JSON";
  EXPECT_NE(text.find("5000000000000"), std::string::npos) << "byte counts are written as integers";

  json file = json::parse(text);
  ASSERT_TRUE(file.is_array());
  ASSERT_EQ(file.size(), 2u);
  const std::set<std::string> keys = {"id", "date", "root", "total", "buckets", "folders"};
  for (const json& element : file) EXPECT_EQ(keysOf(element), keys);

  const json& a = file[0];  // stored order
  ASSERT_TRUE(a["id"].is_string());
  EXPECT_EQ(a["id"].get<std::string>(), first.id);
  ASSERT_TRUE(a["date"].is_number());
  EXPECT_EQ(a["date"].get<double>(), kNow + 0.5 - 978'307'200) << "seconds since 2001";
  EXPECT_EQ(a["root"], "/home/ann");
  ASSERT_TRUE(a["total"].is_number_integer());
  EXPECT_EQ(a["total"].get<int64_t>(), 5'000'000'000'000);
  EXPECT_EQ(a["buckets"], (json{{"0", 5}, {"11", 7'000'000'000}}));
  EXPECT_TRUE(a["buckets"]["11"].is_number_integer());
  EXPECT_EQ(a["folders"], (json{{"/home/ann", 5'000'000'000'000}, {"/home/ann/Videos", 16'000'000}}));
  EXPECT_EQ(file[1]["id"].get<std::string>(), second.id);
  EXPECT_EQ(file[1]["root"], "/");
}

TEST_F(TrendStoreTest, SpaceFileHoldsDateUsedAndTotal) {
  TrendStore store(dir.path());
  store.recordSample(volume(500'000'000'000, 120'000'000'000), kNow);
  store.recordSample(volume(500'000'000'000, 110'000'000'000), kNow + kHour + 0.25);

  json file = parsedFile(spacePath());
  ASSERT_TRUE(file.is_array());
  ASSERT_EQ(file.size(), 2u);
  for (const json& element : file) {
    EXPECT_EQ(keysOf(element), (std::set<std::string>{"date", "used", "total"}));
    EXPECT_TRUE(element["used"].is_number_integer());
    EXPECT_TRUE(element["total"].is_number_integer());
    EXPECT_EQ(element["total"].get<int64_t>(), 500'000'000'000);
  }
  EXPECT_EQ(file[0]["date"].get<double>(), kNow - 978'307'200);
  EXPECT_EQ(file[0]["used"].get<int64_t>(), 380'000'000'000) << "used = total - available";
  EXPECT_EQ(file[1]["date"].get<double>(), kNow + kHour + 0.25 - 978'307'200);
  EXPECT_EQ(file[1]["used"].get<int64_t>(), 390'000'000'000);
  EXPECT_EQ(store.samples()[1], (SpaceSample{kNow + kHour + 0.25, 390'000'000'000, 500'000'000'000}));
}

TEST_F(TrendStoreTest, ANewStoreReadsBackWhatWasWritten) {
  {
    TrendStore store(dir.path());
    ScanSnapshot s = snapshot("/home/ann", kNow + 0.125);
    s.buckets = {{"3", 1}, {"10", -4}};
    s.folders["/home/ann/Music"] = 20'000'000;
    store.recordSnapshot(s);
    store.recordSnapshot(snapshot("/data", kNow));
    store.recordSample(volume(1000, 400), kNow);
    store.recordSample(volume(1000, 300), kNow + 2 * kHour);
  }
  TrendStore first(dir.path());
  TrendStore again(dir.path());
  ASSERT_EQ(first.snapshots().size(), 2u);
  EXPECT_EQ(first.snapshots(), again.snapshots());
  EXPECT_EQ(first.snapshots()[0].date, kNow + 0.125);
  EXPECT_EQ(first.snapshots()[0].buckets, (std::map<std::string, int64_t>{{"3", 1}, {"10", -4}}));
  EXPECT_EQ(first.samples(), (std::vector<SpaceSample>{{kNow, 600, 1000}, {kNow + 2 * kHour, 700, 1000}}));
}

TEST_F(TrendStoreTest, ReadingIgnoresUnknownKeysAndAcceptsAnyNumberForDates) {
  std::string id = "3f2504e0-4f89-41d3-9a0c-0305e82c3301";
  writeFile(scansPath(), json::array({{{"id", id},
                                       {"date", 700'000'000},
                                       {"root", "/r"},
                                       {"total", 3},
                                       {"buckets", json::object()},
                                       {"folders", {{"/r", 3}}},
                                       {"extra", {1, 2}}}})
                             .dump());
  writeFile(spacePath(), R"([{"date":1.5,"used":1,"total":2,"note":"x"}])");
  TrendStore store(dir.path());
  ASSERT_EQ(store.snapshots().size(), 1u);
  EXPECT_EQ(store.snapshots()[0].id, "3F2504E0-4F89-41D3-9A0C-0305E82C3301") << "kept in upper case";
  EXPECT_EQ(store.snapshots()[0].date, 700'000'000 + 978'307'200.0);
  EXPECT_EQ(store.samples(), (std::vector<SpaceSample>{{1.5 + 978'307'200, 1, 2}}));
}

// ---- Damaged files ------------------------------------------------------------------------------

namespace {

json goodSnapshotElement() {
  return {{"id", "3F2504E0-4F89-41D3-9A0C-0305E82C3301"},
          {"date", 700'000'000.5},
          {"root", "/r"},
          {"total", 3},
          {"buckets", {{"0", 3}}},
          {"folders", {{"/r", 3}}}};
}

std::string withElement(const std::function<void(json&)>& damage) {
  json element = goodSnapshotElement();
  damage(element);
  return json::array({goodSnapshotElement(), element}).dump();
}

struct DamagedFile {
  const char* name;
  std::string bytes;
};

std::vector<DamagedFile> damagedScansFiles() {
  std::string good = json::array({goodSnapshotElement()}).dump();
  return {
      {"empty", ""},
      {"not JSON", "this is not JSON"},
      {"truncated", good.substr(0, good.size() / 2)},
      {"trailing garbage", good + "]"},
      {"an object, not an array", goodSnapshotElement().dump()},
      {"an element that is not an object", "[" + goodSnapshotElement().dump() + ",7]"},
      {"missing folders", withElement([](json& e) { e.erase("folders"); })},
      {"missing id", withElement([](json& e) { e.erase("id"); })},
      {"missing date", withElement([](json& e) { e.erase("date"); })},
      {"total as text", withElement([](json& e) { e["total"] = "3"; })},
      {"total with a fraction", withElement([](json& e) { e["total"] = 3.5; })},
      {"total beyond 64 bits", withElement([](json& e) { e["total"] = 9'223'372'036'854'775'808ULL; })},
      {"date as text", withElement([](json& e) { e["date"] = "2024-01-01"; })},
      {"date null", withElement([](json& e) { e["date"] = nullptr; })},
      {"id not a UUID", withElement([](json& e) { e["id"] = "not-a-uuid"; })},
      {"id with a hyphen misplaced", withElement([](json& e) { e["id"] = "3F2504E04-F89-41D3-9A0C-0305E82C3301"; })},
      {"id with a non-hex digit", withElement([](json& e) { e["id"] = "3F2504E0-4F89-41D3-9A0C-0305E82C330G"; })},
      {"id one digit short", withElement([](json& e) { e["id"] = "3F2504E0-4F89-41D3-9A0C-0305E82C330"; })},
      {"id as a number", withElement([](json& e) { e["id"] = 12; })},
      {"root as a number", withElement([](json& e) { e["root"] = 1; })},
      {"buckets as an array", withElement([](json& e) { e["buckets"] = json::array({1}); })},
      {"bucket bytes as text", withElement([](json& e) { e["buckets"]["0"] = "3"; })},
      {"folders as an array", withElement([](json& e) { e["folders"] = json::array(); })},
      {"folder bytes null", withElement([](json& e) { e["folders"]["/r"] = nullptr; })},
      {"folder path with a broken escape", withElement([](json& e) { e["folders"][std::string("/r\0zz", 5)] = 1; })},
      {"root with an escaped plain byte", withElement([](json& e) {
         e["root"] = std::string(
             "/\0"
             "41",
             4);
       })},
  };
}

std::vector<DamagedFile> damagedSpaceFiles() {
  return {
      {"empty", ""},
      {"not JSON", "{"},
      {"truncated", R"([{"date":1,"used":2,"total":3},{"date":)"},
      {"an object, not an array", R"({"date":1,"used":2,"total":3})"},
      {"missing total", R"([{"date":1,"used":2,"total":3},{"date":1,"used":2}])"},
      {"used as text", R"([{"date":1,"used":"2","total":3}])"},
      {"used with a fraction", R"([{"date":1,"used":2.5,"total":3}])"},
      {"date null", R"([{"date":null,"used":2,"total":3}])"},
      {"date beyond a double", R"([{"date":1e999,"used":2,"total":3}])"},
      {"an element that is not an object", R"([[1,2,3]])"},
  };
}

}  // namespace

// The one file in `folder` whose name begins with `prefix` (empty when there is not exactly one).
std::string onlyEntryStartingWith(const std::string& folder, const std::string& prefix) {
  std::vector<std::string> found;
  for (const std::string& name : entriesOf(folder))
    if (name.starts_with(prefix)) found.push_back(name);
  return found.size() == 1 ? folder + "/" + found[0] : "";
}

// A damaged file loads as an empty list, but it holds the user's trend history: it is moved aside
// whole, and the next record starts a fresh file instead of overwriting it.
TEST_F(TrendStoreTest, ADamagedScansFileIsSetAsideAndTheNextSnapshotStartsAFreshOne) {
  for (const DamagedFile& damaged : damagedScansFiles()) {
    SCOPED_TRACE(damaged.name);
    writeFile(scansPath(), damaged.bytes);
    TrendStore store(dir.path());
    EXPECT_TRUE(store.snapshots().empty());
    const std::string aside = onlyEntryStartingWith(dir.path(), "scans.json.unreadable-");
    ASSERT_FALSE(aside.empty());
    EXPECT_EQ(store.setAsidePaths(), std::vector<std::string>{aside});
    EXPECT_EQ(contentOf(aside), damaged.bytes);
    EXPECT_FALSE(readWholeFile(scansPath()));

    ScanSnapshot s = snapshot("/r", kNow);
    store.recordSnapshot(s);
    json file = parsedFile(scansPath());
    ASSERT_EQ(file.size(), 1u);
    EXPECT_EQ(file[0]["id"].get<std::string>(), s.id);
    EXPECT_EQ(contentOf(aside), damaged.bytes);
    ::unlink(aside.c_str());
    ::unlink(scansPath().c_str());
  }
}

TEST_F(TrendStoreTest, ADamagedSpaceFileIsSetAsideAndTheNextSampleStartsAFreshOne) {
  for (const DamagedFile& damaged : damagedSpaceFiles()) {
    SCOPED_TRACE(damaged.name);
    writeFile(spacePath(), damaged.bytes);
    TrendStore store(dir.path());
    EXPECT_TRUE(store.samples().empty());
    const std::string aside = onlyEntryStartingWith(dir.path(), "space.json.unreadable-");
    ASSERT_FALSE(aside.empty());
    EXPECT_EQ(contentOf(aside), damaged.bytes);
    store.recordSample(volume(10, 4), kNow);
    EXPECT_EQ(parsedFile(spacePath()), json::parse(R"([{"date":721692800.0,"used":6,"total":10}])"));
    EXPECT_EQ(contentOf(aside), damaged.bytes);
    ::unlink(aside.c_str());
    ::unlink(spacePath().c_str());
    ::unlink(scansPath().c_str());
  }
}

// Neither file is ever waited on or followed: a FIFO, a folder or a link in a file's place is set
// aside like a damaged file, and the store starts at once.
TEST_F(TrendStoreTest, WhatIsNotAPlainFileIsSetAsideWithoutWaiting) {
  writeFile(dir / "elsewhere.json", json::array({goodSnapshotElement()}).dump());
  const std::function<void(const std::string&)> makers[] = {
      [](const std::string& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); },
      [](const std::string& path) { ASSERT_EQ(::mkdir(path.c_str(), 0700), 0); },
      [&](const std::string& path) { ASSERT_EQ(::symlink((dir / "elsewhere.json").c_str(), path.c_str()), 0); },
  };
  for (const auto& make : makers) {
    make(scansPath());
    make(spacePath());
    TrendStore store(dir.path());
    EXPECT_TRUE(store.snapshots().empty());
    EXPECT_TRUE(store.samples().empty());
    EXPECT_EQ(store.setAsidePaths().size(), 2u);
    struct stat st {};
    EXPECT_NE(::lstat(scansPath().c_str(), &st), 0);
    EXPECT_NE(::lstat(spacePath().c_str(), &st), 0);
    for (const std::string& aside : store.setAsidePaths()) {
      ::unlink(aside.c_str());
      ::rmdir(aside.c_str());
    }
  }
  EXPECT_EQ(entriesOf(dir.path()), (std::set<std::string>{"elsewhere.json"}));
}

TEST_F(TrendStoreTest, OneDamagedFileDoesNotEmptyTheOther) {
  writeFile(scansPath(), json::array({goodSnapshotElement()}).dump());
  writeFile(spacePath(), "[garbage");
  TrendStore store(dir.path());
  EXPECT_EQ(store.snapshots().size(), 1u);
  EXPECT_TRUE(store.samples().empty());
}

TEST_F(TrendStoreTest, AFailedWriteKeepsTheListInMemoryAndTheOldFile) {
  // A folder put where the file should be after the load: the atomic replacement cannot take its place.
  TrendStore store(dir.path());
  EXPECT_TRUE(store.snapshots().empty());
  ASSERT_EQ(::mkdir(scansPath().c_str(), 0700), 0);
  store.recordSnapshot(snapshot("/r", kNow));
  EXPECT_EQ(store.snapshots().size(), 1u);
  struct stat st {};
  ASSERT_EQ(::stat(scansPath().c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(entriesOf(dir.path()), (std::set<std::string>{"scans.json"})) << "no temporary file is left";

  // A folder that cannot be created: the store still works in memory.
  writeFile(dir / "plain", "x");
  TrendStore nowhere(dir / "plain/trends");
  nowhere.recordSample(volume(10, 5), kNow);
  EXPECT_EQ(nowhere.samples().size(), 1u);
}

// The application writes off its UI thread: with a writer set, each change hands the writer the
// encoded list and the file it goes to, and nothing is written on the thread that made the change.
TEST_F(TrendStoreTest, AWriterTakesTheWritesOfBothFiles) {
  TrendStore store(dir.path());
  std::vector<std::pair<std::string, std::function<int()>>> handed;
  store.setWriter(
      [&](const std::string& path, std::function<int()> write) { handed.emplace_back(path, std::move(write)); });
  store.recordSnapshot(snapshot("/r", kNow));
  store.recordSample(volume(10, 5), kNow);
  store.recordSample(volume(10, 5), kNow + 60);  // too soon: no change, nothing to write
  ASSERT_EQ(handed.size(), 2u);
  EXPECT_EQ(handed[0].first, scansPath());
  EXPECT_EQ(handed[1].first, spacePath());
  EXPECT_TRUE(entriesOf(dir.path()).empty());
  for (const auto& [path, write] : handed) EXPECT_EQ(write(), 0) << path;
  TrendStore reloaded(dir.path());
  EXPECT_EQ(reloaded.snapshots(), store.snapshots());
  EXPECT_EQ(reloaded.samples(), store.samples());
}

TEST_F(TrendStoreTest, CreatesItsFolderWithMissingParents) {
  TrendStore store(dir / "a/b/c");
  store.recordSample(volume(10, 5), kNow);
  EXPECT_EQ(parsedFile(dir / "a/b/c/space.json").size(), 1u);
}

TEST(TrendStoreDefault, KeepsItsFilesInTheApplicationDataFolder) {
  TempHome home;
  TrendStore store(appSupportFolder());
  EXPECT_EQ(store.directory(), home.dataHome() + "/Tolvex");
  store.recordSample(volume(10, 5), kNow);
  EXPECT_EQ(parsedFile(home.dataHome() + "/Tolvex/space.json").size(), 1u);
}

// ---- Snapshots ----------------------------------------------------------------------------------

TEST_F(TrendStoreTest, ASnapshotWithinAnHourReplacesTheRootsLatest) {
  struct Case {
    double secondsAfter;
    bool bothKept;
  };
  const Case cases[] = {
      {59 * 60, false}, {3599, false},   {3599.999, false},
      {3600, true},     {61 * 60, true}, {-60, false},  // dated before the latest: replaces it too
      {0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.secondsAfter);
    TempDir folder;
    TrendStore store(folder.path());
    ScanSnapshot older = snapshot("/r", kNow - 5 * kHour);
    ScanSnapshot latest = snapshot("/r", kNow);
    ScanSnapshot other = snapshot("/other", kNow);
    store.recordSnapshot(older);
    store.recordSnapshot(other);
    store.recordSnapshot(latest);
    ScanSnapshot next = snapshot("/r", kNow + c.secondsAfter);
    store.recordSnapshot(next);
    std::vector<std::string> expected = {older.id, other.id};
    if (c.bothKept) expected.push_back(latest.id);
    expected.push_back(next.id);
    EXPECT_EQ(idsOf(store.snapshots()), expected);
    EXPECT_EQ(parsedFile(folder / "scans.json").size(), expected.size());
  }
}

TEST_F(TrendStoreTest, KeepsTheThirtyNewestSnapshotsOfEachRoot) {
  struct Case {
    int recorded;
    int kept;
  };
  for (Case c : {Case{29, 29}, Case{30, 30}, Case{31, 30}, Case{35, 30}}) {
    SCOPED_TRACE(c.recorded);
    TempDir folder;
    TrendStore store(folder.path());
    std::vector<std::string> ids;
    for (int i = 0; i < c.recorded; ++i) {
      ScanSnapshot a = snapshot("/a", kNow + i * 2 * kHour);
      ScanSnapshot b = snapshot("/b", kNow + i * 2 * kHour + 1);
      ids.push_back(a.id);
      store.recordSnapshot(a);
      if (i < 30) store.recordSnapshot(b);
    }
    auto a = store.snapshotsForRoot("/a");
    ASSERT_EQ(a.size(), static_cast<size_t>(c.kept));
    EXPECT_EQ(a.back().id, ids[c.recorded - c.kept]) << "the oldest ones go";
    EXPECT_EQ(a.front().id, ids.back());
    EXPECT_EQ(store.snapshotsForRoot("/b").size(), static_cast<size_t>(std::min(c.recorded, 30)))
        << "other roots are never touched";
    EXPECT_EQ(parsedFile(folder / "scans.json").size(), store.snapshots().size());
  }
}

TEST_F(TrendStoreTest, TheLimitCountsByDateNotByStoredOrder) {
  // Loaded files are not re-sorted: the one dropped is the oldest by date.
  json file = json::array();
  for (int i = 0; i < 30; ++i) {
    json element = goodSnapshotElement();
    element["id"] = makeUUID();
    element["date"] = 700'000'000 - i * kDay;  // stored newest first
    file.push_back(element);
  }
  std::string oldest = file.back()["id"];
  writeFile(scansPath(), file.dump());
  TrendStore store(dir.path());
  ASSERT_EQ(store.snapshots().size(), 30u);
  store.recordSnapshot(snapshot("/r", kNow));
  EXPECT_EQ(store.snapshots().size(), 30u);
  for (const ScanSnapshot& s : store.snapshots()) EXPECT_NE(s.id, oldest);
}

TEST_F(TrendStoreTest, NothingIsTrimmedOrSortedAtLoad) {
  json scans = json::array();
  for (int i = 0; i < 32; ++i) {
    json element = goodSnapshotElement();
    element["id"] = makeUUID();
    element["date"] = 700'000'000 + (i % 2 ? i : -i);
    scans.push_back(element);
  }
  writeFile(scansPath(), scans.dump());
  writeFile(spacePath(), R"([{"date":700000000,"used":1,"total":2},{"date":1,"used":1,"total":2}])");
  TrendStore store(dir.path());
  EXPECT_EQ(store.snapshots().size(), 32u);
  EXPECT_EQ(store.snapshots()[2].id, scans[2]["id"]);
  EXPECT_EQ(datesOf(store.samples()), (std::vector<double>{700'000'000 + 978'307'200.0, 1 + 978'307'200.0}));
  EXPECT_EQ(contentOf(spacePath()), R"([{"date":700000000,"used":1,"total":2},{"date":1,"used":1,"total":2}])");
}

TEST_F(TrendStoreTest, SnapshotsForRootAreNewestFirstStableAndMatchExactly) {
  json file = json::array();
  std::vector<std::string> ids;
  for (auto [root, date] : std::vector<std::pair<std::string, double>>{{"/r", 0},
                                                                       {"/r", 2 * kDay},
                                                                       {"/r", kDay},
                                                                       {"/r/", 3 * kDay},
                                                                       {"/r", kDay},
                                                                       {"/System/Volumes/Data/r", 4 * kDay}}) {
    json element = goodSnapshotElement();
    ids.push_back(makeUUID());
    element["id"] = ids.back();
    element["root"] = root;
    element["date"] = 700'000'000 + date;
    file.push_back(element);
  }
  writeFile(scansPath(), file.dump());
  TrendStore store(dir.path());
  // Equal dates keep their stored order; no folding or trailing-slash tolerance in the match.
  EXPECT_EQ(idsOf(store.snapshotsForRoot("/r")), (std::vector<std::string>{ids[1], ids[2], ids[4], ids[0]}));
  EXPECT_EQ(idsOf(store.snapshotsForRoot("/r/")), (std::vector<std::string>{ids[3]}));
  EXPECT_TRUE(store.snapshotsForRoot("/R").empty());
}

TEST_F(TrendStoreTest, IgnoresASnapshotWithoutAFiniteDateAndRepairsItsId) {
  TrendStore store(dir.path());
  store.recordSnapshot(snapshot("/r", std::numeric_limits<double>::quiet_NaN()));
  store.recordSnapshot(snapshot("/r", std::numeric_limits<double>::infinity()));
  EXPECT_TRUE(store.snapshots().empty());
  EXPECT_EQ(contentOf(scansPath()), "<missing>");

  ScanSnapshot lower = snapshot("/r", kNow);
  lower.id = "3f2504e0-4f89-41d3-9a0c-0305e82c3301";
  ScanSnapshot broken = snapshot("/s", kNow);
  broken.id = "broken";
  store.recordSnapshot(lower);
  store.recordSnapshot(broken);
  ASSERT_EQ(store.snapshots().size(), 2u);
  EXPECT_EQ(store.snapshots()[0].id, "3F2504E0-4F89-41D3-9A0C-0305E82C3301");
  EXPECT_NE(store.snapshots()[1].id, "broken");
  // The file stays readable.
  EXPECT_EQ(TrendStore(dir.path()).snapshots(), store.snapshots());
}

// ---- Samples ------------------------------------------------------------------------------------

TEST_F(TrendStoreTest, TakesAtMostOneSampleAnHour) {
  struct Case {
    double secondsAfter;
    bool taken;
  };
  const Case cases[] = {{30 * 60, false}, {3599, false}, {3599.5, false}, {3600, true}, {3601, true}, {0, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.secondsAfter);
    TempDir folder;
    TrendStore store(folder.path());
    store.recordSample(volume(100, 40), kNow);
    // A marker shows whether the file is rewritten.
    ASSERT_EQ(writeFileAtomically(folder / "space.json", "marker"), 0);
    store.recordSample(volume(100, 30), kNow + c.secondsAfter);
    EXPECT_EQ(store.samples().size(), c.taken ? 2u : 1u);
    if (c.taken) {
      EXPECT_EQ(store.samples().back(), (SpaceSample{kNow + c.secondsAfter, 70, 100}));
      EXPECT_EQ(parsedFile(folder / "space.json").size(), 2u);
    } else {
      EXPECT_EQ(contentOf(folder / "space.json"), "marker");
    }
  }
}

TEST_F(TrendStoreTest, WithoutVolumeInformationNothingHappens) {
  TrendStore store(dir.path());
  int calls = 0;
  store.addObserver([&](TrendStore::Change) { ++calls; });
  store.recordSample(std::nullopt, kNow);
  store.recordSample(volume(10, 5), std::numeric_limits<double>::quiet_NaN());
  EXPECT_TRUE(store.samples().empty());
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(contentOf(spacePath()), "<missing>");
}

TEST_F(TrendStoreTest, KeepsSamplesForOneHundredTwentyDays) {
  struct Case {
    double age;
    bool kept;
  };
  const Case cases[] = {
      {10'368'000, true}, {10'368'000.5, false}, {10'368'001, false}, {119 * kDay, true}, {121 * kDay, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.age);
    TempDir folder;
    TrendStore store(folder.path());
    store.recordSample(volume(100, 50), kNow - c.age);
    store.recordSample(volume(100, 40), kNow);
    EXPECT_EQ(store.samples().size(), c.kept ? 2u : 1u);
    EXPECT_EQ(store.samples().back().date, kNow);
    EXPECT_EQ(parsedFile(folder / "space.json").size(), store.samples().size());
  }
}

TEST_F(TrendStoreTest, AnOldSampleStaysAtLoadAndGoesWithTheNextSample) {
  json file = json::array({{{"date", toReferenceDate(kNow - 121 * kDay)}, {"used", 1}, {"total", 2}}});
  writeFile(spacePath(), file.dump());
  TrendStore store(dir.path());
  EXPECT_EQ(store.samples().size(), 1u);
  store.recordSample(volume(10, 5), kNow);
  EXPECT_EQ(store.samples(), (std::vector<SpaceSample>{{kNow, 5, 10}}));
}

TEST_F(TrendStoreTest, ASampleDatedInTheFutureDoesNotStopSampling) {
  TrendStore store(dir.path());
  store.recordSample(volume(100, 50), kNow - 3 * kHour);
  store.recordSample(volume(100, 50), kNow + 30 * kDay);  // a clock that was far ahead
  ASSERT_EQ(store.samples().size(), 2u);

  store.recordSample(volume(100, 40), kNow);
  EXPECT_EQ(datesOf(store.samples()), (std::vector<double>{kNow - 3 * kHour, kNow}));
  EXPECT_EQ(parsedFile(spacePath()).size(), 2u);

  // The hour is measured from the newest sample that is not in the future.
  store.recordSample(volume(100, 50), kNow + 10 * kDay);
  store.recordSample(volume(100, 30), kNow + 1800);
  EXPECT_EQ(datesOf(store.samples()), (std::vector<double>{kNow - 3 * kHour, kNow, kNow + 10 * kDay}))
      << "too soon after kNow: nothing changes";
  store.recordSample(volume(100, 30), kNow + kHour);
  EXPECT_EQ(datesOf(store.samples()), (std::vector<double>{kNow - 3 * kHour, kNow, kNow + kHour}));
}

TEST_F(TrendStoreTest, UsedBytesAreTotalMinusAvailable) {
  struct Case {
    int64_t total, available, used;
  };
  const Case cases[] = {{1000, 400, 600},
                        {1000, 0, 1000},
                        {1000, 1000, 0},
                        {1000, 1200, -200},
                        {std::numeric_limits<int64_t>::max(), 0, std::numeric_limits<int64_t>::max()},
                        {-2, std::numeric_limits<int64_t>::max(), std::numeric_limits<int64_t>::min()}};
  double date = kNow;
  TrendStore store(dir.path());
  for (const Case& c : cases) {
    store.recordSample(volume(c.total, c.available), date += kHour);
    EXPECT_EQ(store.samples().back(), (SpaceSample{date, c.used, c.total})) << c.total << " " << c.available;
  }
}

// ---- Observers ----------------------------------------------------------------------------------

TEST_F(TrendStoreTest, ObserversHearOfEveryChange) {
  TrendStore store(dir.path());
  std::vector<TrendStore::Change> heard;
  size_t snapshotsSeen = 0;
  int token = store.addObserver([&](TrendStore::Change change) {
    heard.push_back(change);
    snapshotsSeen = store.snapshots().size();
  });
  store.recordSnapshot(snapshot("/r", kNow));
  EXPECT_EQ(snapshotsSeen, 1u) << "observers see the new list";
  store.recordSample(volume(10, 5), kNow);
  store.recordSample(volume(10, 5), kNow + 60);  // too soon: no change
  store.removeObserver(token);
  store.recordSnapshot(snapshot("/r", kNow + 2 * kHour));
  EXPECT_EQ(heard, (std::vector<TrendStore::Change>{TrendStore::Change::snapshots, TrendStore::Change::samples}));
}

// ---- Paths that are not UTF-8 -------------------------------------------------------------------

TEST(TrendPathText, LeavesUtf8AloneAndEscapesEveryOtherByte) {
  struct Case {
    std::string path;
    std::string text;
  };
  using namespace std::string_literals;
  const Case cases[] = {
      {"/home/ann/Documents", "/home/ann/Documents"},
      {"/caf\xC3\xA9", "/caf\xC3\xA9"},
      {"/\xF0\x9F\x98\x80", "/\xF0\x9F\x98\x80"},
      {"/\xEF\xBF\xBF/\xF4\x8F\xBF\xBF", "/\xEF\xBF\xBF/\xF4\x8F\xBF\xBF"},
      {"/caf\xE9", "/caf\0E9"s},
      {"\xFF", "\0FF"s},
      {"/\xC0\xAF", "/\0C0\0AF"s},          // overlong "/"
      {"/\xED\xA0\x80", "/\0ED\0A0\080"s},  // a surrogate
      {"/\xE2\x82", "/\0E2\082"s},          // cut short
      {"/\xE2\x82x", "/\0E2\082x"s},
      {"/\xF4\x90\x80\x80", "/\0F4\090\080\080"s},  // beyond U+10FFFF
      {"/\xF5\x80", "/\0F5\080"s},
      {"/\x80\xC3\xA9", "/\080\xC3\xA9"s},  // a stray continuation byte before a valid letter
      {"a\0b"s,
       "a\0"s
       "00b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.path));
    EXPECT_EQ(jsonTextForPath(c.path), c.text);
    EXPECT_EQ(pathFromJsonText(c.text), c.path);
    EXPECT_NO_THROW(json(c.text).dump()) << "valid UTF-8";
  }
}

TEST(TrendPathText, AcceptsOnlyTheCanonicalText) {
  using namespace std::string_literals;
  for (const std::string& text : {"/caf\0e9"s, "/caf\0E"s, "/\0"s, "\0GG"s,
                                  "/\0"
                                  "41"s,
                                  "/\0C3\0A9"s,
                                  "\0"
                                  "2F"s}) {
    SCOPED_TRACE(testing::PrintToString(text));
    EXPECT_FALSE(pathFromJsonText(text));
  }
}

TEST_F(TrendStoreTest, PathsThatAreNotUtf8SurviveTheFileAndStayDistinct) {
  const std::string latin1 = "/data/caf\xE9", utf8 = "/data/caf\xC3\xA9", root = "/data";
  const std::string oddRoot = "/m\xFE\xFF";
  {
    TrendStore store(dir.path());
    ScanSnapshot s = snapshot(root, kNow, 30);
    s.folders = {{root, 30}, {latin1, 10}, {utf8, 20}};
    store.recordSnapshot(s);
    store.recordSnapshot(snapshot(oddRoot, kNow));
  }
  json file = parsedFile(scansPath());  // the file is valid JSON (UTF-8)
  ASSERT_EQ(file.size(), 2u);
  EXPECT_EQ(file[0]["folders"][utf8], 20) << "a UTF-8 path is stored as it is";
  EXPECT_EQ(file[0]["folders"][std::string("/data/caf\0E9", 12)], 10);
  EXPECT_EQ(file[0]["folders"].size(), 3u);

  TrendStore store(dir.path());
  ASSERT_EQ(store.snapshots().size(), 2u);
  EXPECT_EQ(store.snapshots()[0].folders, (std::map<std::string, int64_t>{{root, 30}, {latin1, 10}, {utf8, 20}}));
  EXPECT_EQ(store.snapshotsForRoot(oddRoot).size(), 1u);
}
