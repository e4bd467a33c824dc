#include <gtest/gtest.h>

#include <functional>
#include <nlohmann/json.hpp>
#include <sys/stat.h>

#include "engines/Deleter.h"
#include "engines/DeletionHistory.h"
#include "platform/AtomicFile.h"
#include "platform/HomeFolder.h"
#include "platform/Identifiers.h"
#include "platform/Trash.h"
#include "support/FileState.h"
#include "support/MacHome.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

std::string contentOf(const std::string& path) { return readWholeFile(path).value_or("<unreadable>"); }

HistoryEntry entry(std::string path, std::optional<std::string> trashPath = std::nullopt, int64_t size = 1) {
  return HistoryEntry{makeUUID(), nowSince1970(), std::move(path), std::move(trashPath), size, false};
}

// Moves a file of the home to the Trash through the deleter and returns its history entry.
HistoryEntry trashThroughDeleter(const std::string& path) {
  auto outcome =
      performDeletion({DeletionRequest::make(path, 1, Removal::trash)}, SafetyContext::forPlaces(Places::current()));
  EXPECT_EQ(outcome.entries.size(), 1u) << path;
  return outcome.entries.empty() ? HistoryEntry{} : outcome.entries[0];
}

}  // namespace

TEST(HistoryFile, EncodesTheKeysWithDatesSince2001) {
  HistoryEntry permanent{
      "3F2504E0-4F89-41D3-9A0C-0305E82C3301", kReferenceDateOffset + 100.5, "/home/u/a", {}, 5, false};
  HistoryEntry trashed{"6BA7B810-9DAD-41D1-80B4-00C04FD430C8",
                       kReferenceDateOffset + 7200.25,
                       "/home/u/b b",
                       "/home/u/.local/share/Trash/files/b b",
                       -3,
                       true};
  EXPECT_EQ(encodeHistory({permanent, trashed}),
            "[{\"id\":\"3F2504E0-4F89-41D3-9A0C-0305E82C3301\",\"date\":100.5,\"originalPath\":\"/home/u/a\","
            "\"size\":5,\"restored\":false},"
            "{\"id\":\"6BA7B810-9DAD-41D1-80B4-00C04FD430C8\",\"date\":7200.25,\"originalPath\":\"/home/u/b b\","
            "\"trashPath\":\"/home/u/.local/share/Trash/files/b b\",\"size\":-3,\"restored\":true}]");
  EXPECT_EQ(encodeHistory({}), "[]");
  EXPECT_EQ(decodeHistory(encodeHistory({permanent, trashed})), (std::vector<HistoryEntry>{permanent, trashed}));
}

TEST(HistoryFile, PathsThatAreNotUtf8SurviveTheRoundTrip) {
  const HistoryEntry latin1{makeUUID(), 1.7e9 + 0.123, "/home/u/caf\xE9 100%", "/t/files/caf\xE9 100%", 9, false};
  const HistoryEntry cut{makeUUID(), 1.7e9, "/home/u/\xC3", std::nullopt, 1, false};  // a cut-off sequence
  const HistoryEntry surrogate{makeUUID(), 1.7e9, "/home/u/\xED\xA0\x80", std::nullopt, 1, false};
  const HistoryEntry text{makeUUID(), 1.7e9, "/home/u/caf\xC3\xA9 %E9 100%", "/t/files/\xF0\x9F\x93\x81", 2, false};
  const std::vector<HistoryEntry> entries = {latin1, cut, surrogate, text};
  const std::string json = encodeHistory(entries);

  // The file is valid JSON for any reader; valid paths are written as they are, with no extra key.
  const nlohmann::json parsed = nlohmann::json::parse(json);
  EXPECT_EQ(parsed[0]["originalPath"], "/home/u/caf\xEF\xBF\xBD 100%");
  EXPECT_EQ(parsed[0]["originalPathBytes"], "/home/u/caf%E9%20100%25");
  EXPECT_EQ(parsed[0]["trashPathBytes"], "/t/files/caf%E9%20100%25");
  EXPECT_EQ(parsed[1]["originalPath"], "/home/u/\xEF\xBF\xBD");
  EXPECT_EQ(parsed[2]["originalPath"], "/home/u/\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(parsed[3]["originalPath"], "/home/u/caf\xC3\xA9 %E9 100%");
  EXPECT_EQ(parsed[3]["trashPath"], "/t/files/\xF0\x9F\x93\x81");
  EXPECT_FALSE(parsed[3].contains("originalPathBytes"));
  EXPECT_FALSE(parsed[3].contains("trashPathBytes"));

  EXPECT_EQ(decodeHistory(json), entries);

  TempDir dir;
  DeletionHistory history(dir / "history.json");
  EXPECT_EQ(history.record(entries), 0);
  EXPECT_EQ(DeletionHistory(dir / "history.json").entries(), entries);
}

TEST(HistoryFile, AnythingButAListOfCompleteEntriesIsRefused) {
  const std::string id = "\"id\":\"3F2504E0-4F89-41D3-9A0C-0305E82C3301\"";
  const std::string rest = "\"date\":1,\"originalPath\":\"/a\",\"size\":5,\"restored\":false";
  auto list = [&](const std::string& object) { return "[{" + object + "}]"; };
  const std::pair<const char*, std::string> refused[] = {
      {"empty", ""},
      {"not JSON", "history"},
      {"object", "{" + id + "," + rest + "}"},
      {"missing size", list(id + ",\"date\":1,\"originalPath\":\"/a\",\"restored\":false")},
      {"missing id", list(rest)},
      {"missing restored", list(id + ",\"date\":1,\"originalPath\":\"/a\",\"size\":5")},
      {"size as text", list(id + ",\"date\":1,\"originalPath\":\"/a\",\"size\":\"5\",\"restored\":false")},
      {"fractional size", list(id + ",\"date\":1,\"originalPath\":\"/a\",\"size\":5.5,\"restored\":false")},
      {"size beyond 64 bits",
       list(id + ",\"date\":1,\"originalPath\":\"/a\",\"size\":9223372036854775808,\"restored\":false")},
      {"date as text", list(id + ",\"date\":\"now\",\"originalPath\":\"/a\",\"size\":5,\"restored\":false")},
      {"id not a UUID", list("\"id\":\"abc\"," + rest)},
      {"trashPath not text", list(id + "," + rest + ",\"trashPath\":5")},
      {"malformed path bytes", list(id + "," + rest + ",\"originalPathBytes\":\"/a%zz\"")},
      {"NUL in a path", list(id + ",\"date\":1,\"originalPath\":\"/a\\u0000b\",\"size\":5,\"restored\":false")},
      {"invalid UTF-8 in the file", list(id + ",\"date\":1,\"originalPath\":\"/a\xE9\",\"size\":5,\"restored\":false")},
      {"one good entry and one bad", "[{" + id + "," + rest + "},{" + id + "}]"},
      {"deeply nested", std::string(100000, '[') + std::string(100000, ']')},
  };
  for (const auto& [name, json] : refused) EXPECT_EQ(decodeHistory(json), std::nullopt) << name;

  auto accepted = decodeHistory(
      "[{\"id\":\"3f2504e0-4f89-41d3-9a0c-0305e82c3301\",\"date\":1,\"originalPath\":\"/a\","
      "\"size\":5,\"restored\":true,\"comment\":\"ignored\"}]");
  ASSERT_TRUE(accepted);
  ASSERT_EQ(accepted->size(), 1u);
  EXPECT_EQ((*accepted)[0], (HistoryEntry{"3F2504E0-4F89-41D3-9A0C-0305E82C3301", kReferenceDateOffset + 1, "/a",
                                          std::nullopt, 5, true}));
}

TEST(DeletionHistory, LoadsFromTheAppFolderAndWritesNothingWhenThereIsNoFile) {
  TempHome home;
  DeletionHistory fresh(appSupportFolder() + "/history.json");
  EXPECT_EQ(fresh.fileURL(), home.dataHome() + "/Tolvex/history.json");
  EXPECT_TRUE(fresh.entries().empty());
  EXPECT_FALSE(pathExists(fresh.fileURL()));  // loading writes nothing
  EXPECT_EQ(fresh.setAsidePath(), std::nullopt);
}

// One unreadable entry empties the history, but the file still lists items in the Trash: it is moved
// aside whole before anything is written, so the next deletion never overwrites it. Nothing in the
// file's place is waited on (a FIFO) or followed (a link).
TEST(DeletionHistory, AnUnreadableFileIsSetAsideAndTheNextDeletionStartsAFreshOne) {
  MacHome home;
  const std::string folder = home / "app";
  const std::string path = folder + "/history.json";
  const std::string valid = encodeHistory({entry("/kept/elsewhere")});
  ASSERT_EQ(writeFileAtomically(home / "elsewhere.json", valid), 0);
  struct Case {
    const char* what;
    std::function<void()> make;
    std::optional<std::string> bytes;  // what the file held, when it was a file
  };
  const std::string good = encodeHistory({entry("/a")});
  const std::string oneBad = good.substr(0, good.size() - 1) + ",{\"id\":\"3F2504E0-4F89-41D3-9A0C-0305E82C3301\"}]";
  const Case cases[] = {
      {"one entry lacks keys", [&] { ASSERT_EQ(writeFileAtomically(path, oneBad), 0); }, oneBad},
      {"not JSON", [&] { ASSERT_EQ(writeFileAtomically(path, "{garbage"), 0); }, "{garbage"},
      {"a FIFO", [&] { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); }, std::nullopt},
      {"a folder", [&] { ASSERT_EQ(::mkdir(path.c_str(), 0700), 0); }, std::nullopt},
      {"a link to a good history", [&] { ASSERT_EQ(::symlink((home / "elsewhere.json").c_str(), path.c_str()), 0); },
       std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    removeTree(folder);
    ASSERT_TRUE(makeFolders(folder));
    c.make();
    DeletionHistory history(path);
    EXPECT_TRUE(history.entries().empty());
    ASSERT_TRUE(history.setAsidePath());
    const std::string aside = *history.setAsidePath();
    EXPECT_TRUE(aside.starts_with(path + ".unreadable-")) << aside;
    EXPECT_EQ(c.bytes ? contentOf(aside) : "", c.bytes.value_or(""));

    home.tree().file("Downloads/new.zip", 1);
    const HistoryEntry deleted = trashThroughDeleter(home / "Downloads/new.zip");
    EXPECT_EQ(history.record({deleted}), 0);
    EXPECT_EQ(DeletionHistory(path).entries(), std::vector<HistoryEntry>{deleted});
    EXPECT_EQ(c.bytes ? contentOf(aside) : "", c.bytes.value_or("")) << "the old file is kept as it was";
    struct stat st {};
    EXPECT_EQ(::lstat(aside.c_str(), &st), 0);
  }
  EXPECT_EQ(contentOf(home / "elsewhere.json"), valid);  // a link's target is never touched

  // A second set-aside the same day takes the next free name.
  removeTree(folder);
  ASSERT_TRUE(makeFolders(folder));
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(writeFileAtomically(path, "broken " + std::to_string(i)), 0);
    DeletionHistory history(path);
    ASSERT_TRUE(history.setAsidePath());
    EXPECT_EQ(contentOf(*history.setAsidePath()), "broken " + std::to_string(i));
    EXPECT_EQ(history.setAsidePath()->ends_with("-2"), i == 1);
  }
}

TEST(DeletionHistory, RecordPutsNewEntriesFirstAndKeepsAtMost5000) {
  TempDir dir;
  DeletionHistory history(dir / "history.json");
  int changes = 0;
  history.setObserver([&] { ++changes; });
  std::vector<HistoryEntry> old;
  for (int i = 0; i < 4999; ++i) old.push_back(entry("/old/" + std::to_string(i)));
  EXPECT_EQ(history.record(old), 0);
  const std::vector<HistoryEntry> batch = {entry("/new/0"), entry("/new/1"), entry("/new/2")};
  EXPECT_EQ(history.record(batch), 0);
  EXPECT_EQ(changes, 2);
  ASSERT_EQ(history.entries().size(), 5000u);
  EXPECT_EQ(history.entries()[0], batch[0]);
  EXPECT_EQ(history.entries()[2], batch[2]);
  EXPECT_EQ(history.entries()[3], old[0]);
  EXPECT_EQ(history.entries()[4999], old[4996]);
  EXPECT_EQ(DeletionHistory(dir / "history.json").entries(), history.entries());

  history.trim(0);
  EXPECT_EQ(history.entries().size(), 5000u);
  history.trim(4998);
  EXPECT_EQ(history.entries(), (std::vector<HistoryEntry>{batch[0], batch[1]}));
  history.trim(10);
  EXPECT_TRUE(history.entries().empty());

  history.setEntries({});
  EXPECT_EQ(history.save(), 0);
  EXPECT_EQ(contentOf(dir / "history.json"), "[]");
  EXPECT_NE(DeletionHistory(dir / "missing/history.json").save(), 0);  // a failed save is reported, not thrown
}

// The application changes the history on its UI thread and writes it on another: `add` and
// `restoreUnsaved` touch memory only, and a save task writes the entries as they were when it was
// made, even after the history is gone.
TEST(DeletionHistory, UnsavedChangesAndASaveTaskThatOutlivesTheHistory) {
  MacHome home;
  const std::string path = home / "history.json";
  home.tree().file("Downloads/a.zip", 1);
  const HistoryEntry trashed = trashThroughDeleter(home / "Downloads/a.zip");
  std::function<int()> task;
  {
    DeletionHistory history(path);
    history.add({trashed});
    EXPECT_FALSE(pathExists(path));
    task = history.saveTask();
    EXPECT_EQ(history.restoreUnsaved(trashed), std::nullopt);
    EXPECT_TRUE(pathExists(home / "Downloads/a.zip"));
    EXPECT_TRUE(history.entries()[0].restored);
    EXPECT_FALSE(pathExists(path));
  }
  EXPECT_EQ(task(), 0);
  const std::vector<HistoryEntry> stored = DeletionHistory(path).entries();
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_FALSE(stored[0].restored) << "the task wrote the entries of its own moment";
  EXPECT_NE(DeletionHistory(home / "missing/history.json").saveTask()(), 0);
}

TEST(DeletionHistory, RestoresNothingWithoutATrashLocation) {
  TempDir dir;
  DeletionHistory history(dir / "history.json");
  const HistoryEntry permanent = entry("/gone/for/good");
  EXPECT_EQ(history.record({permanent}), 0);
  const std::string before = contentOf(dir / "history.json");
  EXPECT_EQ(history.restore(permanent), std::nullopt);
  EXPECT_FALSE(history.entries()[0].restored);
  EXPECT_EQ(contentOf(dir / "history.json"), before);
}

TEST(DeletionHistory, RestoreRecreatesMissingFolders) {
  MacHome home;
  home.tree().file("Documents/deep/er/file.txt", 3);
  const HistoryEntry trashed = trashThroughDeleter(home / "Documents/deep/er/file.txt");
  ASSERT_EQ(performDeletion({DeletionRequest::make(home / "Documents/deep", 1, Removal::permanent)}, home.safety())
                .report.deletedPaths.size(),
            1u);
  DeletionHistory history(home / "history.json");
  EXPECT_EQ(history.record({trashed}), 0);
  EXPECT_EQ(history.restore(trashed), std::nullopt);
  EXPECT_EQ(contentOf(home / "Documents/deep/er/file.txt").size(), 3u);
  EXPECT_TRUE(history.entries()[0].restored);
}

TEST(DeletionHistory, RestoresOnlyTheItemThatWasDeletedAndNeverOverwrites) {
  MacHome home;
  auto& t = home.tree();
  DeletionHistory history(home / "history.json");

  // 1. The Trash was emptied and another item took the same name in it.
  t.file("Downloads/a.dmg", 1);
  const HistoryEntry first = trashThroughDeleter(home / "Downloads/a.dmg");
  ASSERT_EQ(removePermanently(*first.trashPath), 0);
  t.file("Desktop/a.dmg", 2);
  const HistoryEntry second = trashThroughDeleter(home / "Desktop/a.dmg");
  ASSERT_EQ(second.trashPath, first.trashPath);

  // 2. The same path went to the Trash again later: the record in the Trash is a newer deletion.
  t.file("Documents/b.txt", 1);
  HistoryEntry older = trashThroughDeleter(home / "Documents/b.txt");
  older.date -= 3600;

  // 3. Something new stands at the original path.
  t.file("Documents/c.txt", 3);
  const HistoryEntry occupied = trashThroughDeleter(home / "Documents/c.txt");
  t.file("Documents/c.txt", 7);

  // 4. The item left the Trash; 5. the item is in the Trash without its info file.
  t.file("Documents/d.txt", 1);
  const HistoryEntry vanished = trashThroughDeleter(home / "Documents/d.txt");
  ASSERT_EQ(::unlink(vanished.trashPath->c_str()), 0);
  t.file("Documents/e.txt", 1);
  const HistoryEntry noInfo = trashThroughDeleter(home / "Documents/e.txt");
  ASSERT_EQ(::unlink((home.trashInfo() + "/e.txt.trashinfo").c_str()), 0);

  EXPECT_EQ(history.record({first, second, older, occupied, vanished, noInfo}), 0);
  const std::string savedBefore = contentOf(home / "history.json");
  struct Case {
    const char* name;
    HistoryEntry entry;
    RestoreFailure failure;
  };
  const Case cases[] = {
      {"another item took the name", first, {ESTALE, kRestoreNotTheSameReason}},
      {"a later deletion of the same path", older, {ESTALE, kRestoreNotTheSameReason}},
      {"the original path is taken", occupied, {EEXIST, kRestoreOccupiedReason}},
      {"no longer in the Trash", vanished, {ENOENT, "No longer exists."}},
      {"no info file", noInfo, {ESTALE, kRestoreNotTheSameReason}},
  };
  for (const auto& c : cases) EXPECT_EQ(history.restore(c.entry), c.failure) << c.name;

  // Nothing moved, nothing was marked, the file was not rewritten.
  EXPECT_FALSE(pathExists(home / "Downloads/a.dmg"));
  EXPECT_EQ(contentOf(*second.trashPath).size(), 2u);
  EXPECT_FALSE(pathExists(home / "Documents/b.txt"));
  EXPECT_EQ(contentOf(home / "Documents/c.txt").size(), 7u);
  EXPECT_EQ(contentOf(*occupied.trashPath).size(), 3u);
  EXPECT_TRUE(pathExists(home.trashInfo() + "/c.txt.trashinfo"));
  EXPECT_FALSE(pathExists(home / "Documents/e.txt"));
  for (const auto& e : history.entries()) EXPECT_FALSE(e.restored);
  EXPECT_EQ(contentOf(home / "history.json"), savedBefore);

  // The entries that do match still come back.
  EXPECT_EQ(history.restore(second), std::nullopt);
  EXPECT_EQ(contentOf(home / "Desktop/a.dmg").size(), 2u);
  ::unlink((home / "Documents/c.txt").c_str());
  EXPECT_EQ(history.restore(occupied), std::nullopt);
  EXPECT_EQ(contentOf(home / "Documents/c.txt").size(), 3u);
}

// Undo puts the item back only into the very folder it came from: after that folder became a link
// (here to the autostart folder), nothing is written through it and the item stays in the Trash.
TEST(DeletionHistory, RestoreRefusesAnOriginalFolderThatBecameALink) {
  MacHome home;
  auto& t = home.tree();
  t.file("Downloads/tools/start.desktop", 4);
  t.folder(".config/autostart");
  const HistoryEntry trashed = trashThroughDeleter(home / "Downloads/tools/start.desktop");
  DeletionHistory history(home / "history.json");
  EXPECT_EQ(history.record({trashed}), 0);
  removeTree(home / "Downloads/tools");
  t.symlink(home / ".config/autostart", "Downloads/tools");

  EXPECT_EQ(history.restore(trashed), (RestoreFailure{ELOOP, kRestoreFolderChangedReason}));
  EXPECT_TRUE(folderNames(home / ".config/autostart").empty());
  EXPECT_TRUE(pathExists(*trashed.trashPath));
  EXPECT_FALSE(history.entries()[0].restored);
}
