#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <thread>
#include <cstring>
#include <functional>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "engines/Deleter.h"
#include "engines/DeletionHistory.h"
#include "model/SafetyVerdict.h"
#include "platform/AtomicFile.h"
#include "platform/Identifiers.h"
#include "platform/Fd.h"
#include "platform/Trash.h"
#include "support/FileState.h"
#include "support/MacHome.h"
#include "support/RunAsNobody.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

const char* const kGone = "No longer exists.";

std::vector<std::string> reasonsOf(const std::vector<DeletionFailure>& failures) {
  std::vector<std::string> reasons;
  for (const auto& failure : failures) reasons.push_back(failure.reason);
  return reasons;
}

}  // namespace

// The reasons say what happened on this system: permission bits, a sticky shared folder or a locked
// file, a mount point or a running program; never another system's access settings.
TEST(FailureReason, MapsErrnoToTheUsersWords) {
  const std::pair<int, std::string> cases[] = {
      {EACCES, kNoPermissionReason}, {ENOENT, kGone},         {EPERM, kNotPermittedReason},
      {EBUSY, kInUseReason},         {ETXTBSY, kInUseReason}, {ENOSPC, std::strerror(ENOSPC)},
      {EROFS, std::strerror(EROFS)},
  };
  for (const auto& [error, text] : cases) {
    EXPECT_EQ(failureReason(error), text) << error;
    EXPECT_EQ(text.find("macOS"), std::string::npos);
    EXPECT_EQ(text.find("Full Disk Access"), std::string::npos);
  }
}

TEST(Deleter, EmptyRequestListGivesAnEmptyReport) {
  MacHome home;
  const DeletionOutcome outcome = performDeletion({}, home.safety());
  EXPECT_EQ(outcome.report.freed, 0);
  EXPECT_EQ(outcome.report.movedToTrash, 0);
  EXPECT_TRUE(outcome.report.deletedPaths.empty());
  EXPECT_TRUE(outcome.report.failures.empty());
  EXPECT_TRUE(outcome.report.skippedProtected.empty());
  EXPECT_TRUE(outcome.entries.empty());
}

TEST(Deleter, TrashesAndRemovesAndAccountsForEach) {
  MacHome home;
  auto& t = home.tree();
  t.file("Downloads/setup.dmg", 10);
  t.file("Documents/Project/notes.txt", 10);  // review: deleted like a safe one
  t.file("Library/Caches/com.example/blob", 10);
  t.file("Documents/report.txt", 10);

  const double before = nowSince1970();
  const std::vector<DeletionRequest> requests = {
      DeletionRequest::make(home / "Downloads/setup.dmg", 1000, Removal::trash),
      DeletionRequest::make(home / "Documents/Project", 200, Removal::trash),
      DeletionRequest::make(home / "Library/Caches/com.example", 30, Removal::permanent),
      DeletionRequest::make(home / "Downloads/gone.zip", 7, Removal::trash),
      DeletionRequest::make(home / "Downloads/gone-too.zip", 7, Removal::permanent),
      DeletionRequest::make(home / "Documents/report.txt", 4, Removal::permanent),
  };
  EXPECT_NE(requests[0].id, requests[1].id);
  const DeletionOutcome outcome = performDeletion(requests, home.safety());
  const DeletionReport& report = outcome.report;

  EXPECT_EQ(report.movedToTrash, 1200);
  EXPECT_EQ(report.freed, 34);
  EXPECT_EQ(report.deletedPaths,
            (std::vector<std::string>{requests[0].path, requests[1].path, requests[2].path, requests[5].path}));
  ASSERT_EQ(report.failures.size(), 2u);
  EXPECT_EQ(report.failures[0].path, requests[3].path);
  EXPECT_EQ(reasonsOf(report.failures), (std::vector<std::string>{kGone, kGone}));
  EXPECT_TRUE(report.skippedProtected.empty());

  ASSERT_EQ(outcome.entries.size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    const HistoryEntry& entry = outcome.entries[i];
    EXPECT_EQ(entry.originalPath, report.deletedPaths[i]);
    EXPECT_FALSE(entry.restored);
    EXPECT_GE(entry.date, before - 1);
    EXPECT_LE(entry.date, nowSince1970() + 1);
    EXPECT_EQ(entry.id.size(), 36u);
  }
  EXPECT_EQ(outcome.entries[0].trashPath, home.trashFiles() + "/setup.dmg");
  EXPECT_EQ(outcome.entries[1].trashPath, home.trashFiles() + "/Project");
  EXPECT_EQ(outcome.entries[2].trashPath, std::nullopt);
  EXPECT_EQ(outcome.entries[3].trashPath, std::nullopt);
  EXPECT_EQ(outcome.entries[0].size, 1000);

  EXPECT_TRUE(pathExists(home.trashFiles() + "/Project/notes.txt"));
  EXPECT_FALSE(pathExists(home / "Library/Caches/com.example"));
  EXPECT_TRUE(pathExists(home / "Library/Caches"));
  EXPECT_FALSE(pathExists(home / "Documents/report.txt"));

  // Both trashed items come back where they were, and the history says so.
  DeletionHistory history(home / "history.json");
  EXPECT_EQ(history.record(outcome.entries), 0);
  for (int i : {0, 1}) EXPECT_EQ(history.restore(outcome.entries[i]), std::nullopt);
  EXPECT_TRUE(pathExists(home / "Downloads/setup.dmg"));
  EXPECT_TRUE(pathExists(home / "Documents/Project/notes.txt"));
  EXPECT_FALSE(pathExists(home.trashInfo() + "/Project.trashinfo"));
  EXPECT_TRUE(history.entries()[0].restored);
  EXPECT_TRUE(history.entries()[1].restored);
  EXPECT_FALSE(history.entries()[2].restored);
  EXPECT_EQ(DeletionHistory(home / "history.json").entries(), history.entries());
}

TEST(Deleter, ProtectedRequestsAreRefusedAndLeftAlone) {
  MacHome home;
  auto& t = home.tree();
  t.file("Library/Keychains/login.keychain-db", 10);
  t.file("Documents/x.txt", 10);
  t.file("outside/precious.txt", 10);
  t.symlink(home / "Library/Keychains", "Downloads/keys");  // a Download by its text, keychains in truth
  t.symlink(home / "outside", "Downloads/link");

  const std::vector<DeletionRequest> requests = {
      DeletionRequest::make("/System/Library", 1, Removal::permanent),
      DeletionRequest::make(home / "Library/Keychains/login.keychain-db", 1, Removal::trash),
      DeletionRequest::make(home / "Documents", 1, Removal::permanent),
      DeletionRequest::make(home / "Documents/../Documents/x.txt", 1, Removal::permanent),
      DeletionRequest::make(home / "Downloads/keys/login.keychain-db", 1, Removal::permanent),
      DeletionRequest::make(home.home(), 1, Removal::trash),
      DeletionRequest::make("/etc/hostname", 1, Removal::permanent),
  };
  const DeletionOutcome outcome = performDeletion(requests, home.safety());
  EXPECT_TRUE(outcome.report.deletedPaths.empty());
  EXPECT_TRUE(outcome.report.failures.empty());
  EXPECT_TRUE(outcome.entries.empty());
  EXPECT_EQ(outcome.report.freed + outcome.report.movedToTrash, 0);
  ASSERT_EQ(outcome.report.skippedProtected.size(), requests.size());
  for (size_t i = 0; i < requests.size(); ++i) EXPECT_EQ(outcome.report.skippedProtected[i].path, requests[i].path);
  const char* const keychains = "Your keychains: passwords, keys and certificates.";
  EXPECT_EQ(
      reasonsOf(outcome.report.skippedProtected),
      (std::vector<std::string>{
          "Part of macOS, protected by System Integrity Protection (SIP).", keychains,
          "Standard folder in your user account. You can delete its contents, but not the folder.", kUnplainPathReason,
          keychains, "Root folder of the system or your user account.", kOperatingSystemReason}));
  EXPECT_TRUE(pathExists(home / "Library/Keychains/login.keychain-db"));
  EXPECT_TRUE(pathExists(home / "Documents/x.txt"));

  // "/." after a link would lead into its target: the item acted on is the link itself.
  const DeletionOutcome link =
      performDeletion({DeletionRequest::make(home / "Downloads/link/.", 1, Removal::permanent)}, home.safety());
  EXPECT_EQ(link.report.deletedPaths.size(), 1u);
  EXPECT_EQ(link.entries.at(0).originalPath, home / "Downloads/link");
  EXPECT_FALSE(pathExists(home / "Downloads/link"));
  EXPECT_TRUE(pathExists(home / "outside/precious.txt"));
}

TEST(Deleter, PermanentRemovalOfATreeNeverLeavesIt) {
  MacHome home;
  auto& t = home.tree();
  t.file("outside/keep/deep.txt", 10);
  t.file("Library/Caches/com.example/data/a.bin", 10);
  t.symlink(home / "outside", "Library/Caches/com.example/data/escape");
  t.symlink(home / "outside/keep/deep.txt", "Library/Caches/com.example/file-link");
  const DeletionOutcome outcome = performDeletion(
      {DeletionRequest::make(home / "Library/Caches/com.example", 10, Removal::permanent)}, home.safety());
  EXPECT_EQ(outcome.report.freed, 10);
  EXPECT_FALSE(pathExists(home / "Library/Caches/com.example"));
  EXPECT_TRUE(pathExists(home / "outside/keep/deep.txt"));
}

TEST(Deleter, EmptyingTheTrashRemovesEachItemWithItsInfo) {
  MacHome home;
  home.tree().file("Downloads/a.txt", 10);
  const auto trashed =
      performDeletion({DeletionRequest::make(home / "Downloads/a.txt", 1, Removal::trash)}, home.safety());
  const std::string inTrash = trashed.entries.at(0).trashPath.value();
  ASSERT_TRUE(pathExists(home.trashInfo() + "/a.txt.trashinfo"));
  const auto emptied = performDeletion({DeletionRequest::make(inTrash, 1, Removal::permanent)}, home.safety());
  EXPECT_EQ(emptied.report.freed, 1);
  EXPECT_FALSE(pathExists(inTrash));
  EXPECT_FALSE(pathExists(home.trashInfo() + "/a.txt.trashinfo"));
  EXPECT_TRUE(pathExists(home.trashFiles()));
}

TEST(Deleter, AnotherUsersFilesAreReportedNotRemoved) {
  if (::geteuid() != 0) GTEST_SKIP() << "acting as another user needs root";
  MacHome home;
  auto& t = home.tree();
  // Readable by everyone, writable only by root: the files inside cannot be unlinked by nobody.
  t.file("Documents/readonly/file.txt", 10);
  t.file("Documents/sticky/file.txt", 10);
  // Let nobody reach them (the home is root's temporary folder).
  for (const std::string& folder : {home.home(), home / "Documents", home / "Documents/readonly"})
    ::chmod(folder.c_str(), 0755);
  ::chmod((home / "Documents/sticky").c_str(), 01777);
  if (!nobodyCanReach(home / "Documents"))
    GTEST_SKIP() << "a folder above the temporary home is closed to other users on this machine";

  const std::string out = runAsNobody([&] {
    const auto outcome = performDeletion(
        {
            DeletionRequest::make(home / "Documents/readonly/file.txt", 1, Removal::permanent),
            DeletionRequest::make(home / "Documents/sticky/file.txt", 1, Removal::permanent),
            DeletionRequest::make(home / "Documents/readonly/file.txt", 1, Removal::trash),
        },
        home.safety());
    std::string text;
    for (const auto& failure : outcome.report.failures) text += failure.reason + "\n";
    text += std::to_string(outcome.report.deletedPaths.size());
    return text;
  });
  EXPECT_EQ(out, std::string(kNoPermissionReason) + "\n" + kNotPermittedReason + "\n" + kNoPermissionReason + "\n0");
  EXPECT_TRUE(pathExists(home / "Documents/readonly/file.txt"));
  EXPECT_TRUE(pathExists(home / "Documents/sticky/file.txt"));
}

namespace {

// Everything of the home that a deletion of items under `home/work` must leave as it was: each entry
// of the home's top folder and of its Documents, read without following links.
std::map<std::string, FileState> homeOutsideWork(const MacHome& home) {
  std::map<std::string, FileState> states;
  for (const std::string& name : folderNames(home.home()))
    if (name != "work" && name != ".local") states[name] = fileState(home / name);
  for (const std::string& name : folderNames(home / "Documents"))
    states["Documents/" + name] = fileState(home / ("Documents/" + name));
  return states;
}

}  // namespace

// A thread keeps swapping a folder of the item's path with a link to the home folder while the
// deleter runs again and again. Whichever way the timing falls, the act happens on the folder that
// was judged: the confirmed item goes, or nothing does; the home's own Documents never moves.
TEST(Deleter, AFolderSwappedForALinkMidwayNeverRedirectsTheAct) {
  MacHome home;
  auto& t = home.tree();
  t.file("Documents/precious.txt", 10);
  t.folder("work/dir");                 // the real folder holding the item "Documents"
  t.symlink(home.home(), "work/swap");  // what is swapped in for it
  homeOutsideWork(home);                // the first listing of a new folder sets its access time
  const auto before = homeOutsideWork(home);
  const SafetyContext context = home.safety();
  Fd real(::open((home / "work/dir").c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  ASSERT_TRUE(real);

  std::atomic<bool> stop{false};
  std::thread swapper([&] {
    const std::string a = home / "work/dir", b = home / "work/swap";
    while (!stop.load()) ::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE);
  });
  // No chosen folder above the swap; the swapped folder itself as the scan's root (a link there is
  // followed, and its target judged); and its parent as the scan's root.
  const std::vector<std::string> chosenFolders[] = {{}, {home / "work/dir"}, {home / "work"}};
  int deleted = 0, refused = 0;
  for (int round = 0; round < 1500; ++round) {
    ::mkdirat(real.get(), "Documents", 0700);
    ::close(::openat(real.get(), "Documents/junk", O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
    const Removal removal = round % 4 == 0 ? Removal::trash : Removal::permanent;
    const auto outcome = performDeletion({DeletionRequest::make(home / "work/dir/Documents", 1, removal)}, context,
                                         chosenFolders[round % 3]);
    deleted += static_cast<int>(outcome.report.deletedPaths.size());
    refused += static_cast<int>(outcome.report.skippedProtected.size() + outcome.report.failures.size());
    if (removal == Removal::trash) {
      removeTree(home.trashFiles());
      removeTree(home.trashInfo());
    }
  }
  stop = true;
  swapper.join();
  EXPECT_EQ(homeOutsideWork(home), before);
  EXPECT_EQ(deleted + refused, 1500);
  EXPECT_GT(deleted, 0);  // the real folder was reached too, not only refused
}

// The scanner never follows links, so a folder of a scanned path that is a link now means the tree
// changed since the scan: the item is left alone, even where the link leads to nothing protected.
// A link at or above the scan's root was there when the user chose the root, and is followed.
TEST(Deleter, AFolderThatBecameALinkSinceTheScanIsLeftAlone) {
  MacHome home;
  auto& t = home.tree();
  t.file("Projects/code.c", 10);
  t.file("data/item.bin", 10);
  t.file("Library/Keychains/login.keychain-db", 10);
  t.folder("drop");
  ::chmod((home / "drop").c_str(), 01777);  // a folder others can write
  t.symlink(home.home(), "drop/evil");
  t.symlink(home / "data", "chosen-root");
  t.symlink(home / "Library/Keychains", "drop/keys");
  const SafetyContext context = home.safety();

  struct Case {
    const char* what;
    std::string path;
    std::vector<std::string> chosen;
    std::string reason;  // empty: deleted
    std::string recorded;
  };
  const Case cases[] = {
      {"a link below the scan's root", home / "drop/evil/Projects", {home / "drop"}, kFolderChangedReason, ""},
      {"a link below the whole-disk root", home / "drop/evil/Projects", {"/"}, kFolderChangedReason, ""},
      {"no root given", home / "drop/evil/Projects/code.c", {}, kFolderChangedReason, ""},
      {"a link to a protected place",
       home / "drop/keys/login.keychain-db",
       {home / "drop"},
       "Your keychains: passwords, keys and certificates.",
       ""},
      {"the scan's root is the link",
       home / "chosen-root/item.bin",
       {home / "chosen-root"},
       "",
       home / "data/item.bin"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto outcome = performDeletion({DeletionRequest::make(c.path, 1, Removal::trash)}, context, c.chosen);
    const auto& refusals = outcome.report.failures.empty() ? outcome.report.skippedProtected : outcome.report.failures;
    if (c.reason.empty()) {
      ASSERT_EQ(outcome.entries.size(), 1u);
      EXPECT_EQ(outcome.report.deletedPaths, std::vector<std::string>{c.path});
      EXPECT_EQ(outcome.entries[0].originalPath, c.recorded);  // where the item really was
      EXPECT_EQ(readTrashInfo(*outcome.entries[0].trashPath)->path, c.recorded);
    } else {
      EXPECT_TRUE(outcome.entries.empty());
      EXPECT_EQ(reasonsOf(refusals), std::vector<std::string>{c.reason});
    }
  }
  EXPECT_TRUE(pathExists(home / "Projects/code.c"));
  EXPECT_TRUE(pathExists(home / "drop/evil"));
  EXPECT_FALSE(pathExists(home / "data/item.bin"));
}

// A NUL byte ends a path for every system call: "$HOME/Documents\0junk.iso" would act on Documents.
// Such a path is never judged by its text: it is refused as it stands.
TEST(Deleter, APathHoldingANulByteIsRefused) {
  MacHome home;
  home.tree().file("Documents/report.txt", 10);
  home.tree().file("Downloads/a", 10);
  const std::string paths[] = {home / std::string("Documents\0junk.iso", 18), home / std::string("Downloads/a\0", 12),
                               home / std::string("Downloads\0/a", 12)};
  for (const std::string& path : paths) {
    for (Removal removal : {Removal::trash, Removal::permanent}) {
      const auto outcome = performDeletion({DeletionRequest::make(path, 1, removal)}, home.safety());
      EXPECT_TRUE(outcome.entries.empty());
      EXPECT_EQ(reasonsOf(outcome.report.skippedProtected), std::vector<std::string>{kUnplainPathReason});
    }
  }
  EXPECT_TRUE(pathExists(home / "Documents/report.txt"));
  EXPECT_TRUE(pathExists(home / "Downloads/a"));
}
