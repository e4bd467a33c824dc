#include <gtest/gtest.h>

#include <cerrno>
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
#include "platform/Trash.h"
#include "support/AsNobody.h"
#include "support/MacHome.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

const char* const kNoPermission = "No permission. It may need Full Disk Access, or it belongs to another user.";
const char* const kGone = "No longer exists.";
const char* const kInUse = "Protected by macOS or in use.";

std::vector<std::string> reasonsOf(const std::vector<DeletionFailure>& failures) {
  std::vector<std::string> reasons;
  for (const auto& failure : failures) reasons.push_back(failure.reason);
  return reasons;
}

}  // namespace

TEST(FailureReason, MapsErrnoToTheUsersWords) {
  const std::pair<int, std::string> cases[] = {
      {EACCES, kNoPermission},
      {ENOENT, kGone},
      {EPERM, kInUse},
      {EBUSY, kInUse},
      {ETXTBSY, kInUse},
      {ENOSPC, std::strerror(ENOSPC)},
      {EROFS, std::strerror(EROFS)},
  };
  for (const auto& [error, text] : cases) EXPECT_EQ(failureReason(error), text) << error;
}

TEST(Deleter, EmptyRequestListGivesAnEmptyReport) {
  MacHome home;
  const DeletionOutcome outcome = performDeletion({});
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
  const DeletionOutcome outcome = performDeletion(requests);
  const DeletionReport& report = outcome.report;

  EXPECT_EQ(report.movedToTrash, 1200);
  EXPECT_EQ(report.freed, 34);
  EXPECT_EQ(report.deletedPaths, (std::vector<std::string>{requests[0].path, requests[1].path, requests[2].path,
                                                           requests[5].path}));
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
  history.record(outcome.entries);
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
  const DeletionOutcome outcome = performDeletion(requests);
  EXPECT_TRUE(outcome.report.deletedPaths.empty());
  EXPECT_TRUE(outcome.report.failures.empty());
  EXPECT_TRUE(outcome.entries.empty());
  EXPECT_EQ(outcome.report.freed + outcome.report.movedToTrash, 0);
  ASSERT_EQ(outcome.report.skippedProtected.size(), requests.size());
  for (size_t i = 0; i < requests.size(); ++i) EXPECT_EQ(outcome.report.skippedProtected[i].path, requests[i].path);
  const char* const keychains = "Your keychains: passwords, keys and certificates.";
  EXPECT_EQ(reasonsOf(outcome.report.skippedProtected),
            (std::vector<std::string>{"Part of macOS, protected by System Integrity Protection (SIP).", keychains,
                                      "Standard folder in your user account. You can delete its contents, but not the folder.",
                                      kUnplainPathReason, keychains,
                                      "Root folder of the system or your user account.", kOperatingSystemReason}));
  EXPECT_TRUE(pathExists(home / "Library/Keychains/login.keychain-db"));
  EXPECT_TRUE(pathExists(home / "Documents/x.txt"));

  // "/." after a link would lead into its target: the item acted on is the link itself.
  const DeletionOutcome link = performDeletion({DeletionRequest::make(home / "Downloads/link/.", 1, Removal::permanent)});
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
  const DeletionOutcome outcome =
      performDeletion({DeletionRequest::make(home / "Library/Caches/com.example", 10, Removal::permanent)});
  EXPECT_EQ(outcome.report.freed, 10);
  EXPECT_FALSE(pathExists(home / "Library/Caches/com.example"));
  EXPECT_TRUE(pathExists(home / "outside/keep/deep.txt"));
}

TEST(Deleter, EmptyingTheTrashRemovesEachItemWithItsInfo) {
  MacHome home;
  home.tree().file("Downloads/a.txt", 10);
  const auto trashed = performDeletion({DeletionRequest::make(home / "Downloads/a.txt", 1, Removal::trash)});
  const std::string inTrash = trashed.entries.at(0).trashPath.value();
  ASSERT_TRUE(pathExists(home.trashInfo() + "/a.txt.trashinfo"));
  const auto emptied = performDeletion({DeletionRequest::make(inTrash, 1, Removal::permanent)});
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

  const std::string out = runAsNobody([&] {
    const auto outcome = performDeletion({
        DeletionRequest::make(home / "Documents/readonly/file.txt", 1, Removal::permanent),
        DeletionRequest::make(home / "Documents/sticky/file.txt", 1, Removal::permanent),
        DeletionRequest::make(home / "Documents/readonly/file.txt", 1, Removal::trash),
    });
    std::string text;
    for (const auto& failure : outcome.report.failures) text += failure.reason + "\n";
    text += std::to_string(outcome.report.deletedPaths.size());
    return text;
  });
  EXPECT_EQ(out, std::string(kNoPermission) + "\n" + kInUse + "\n" + kNoPermission + "\n0");
  EXPECT_TRUE(pathExists(home / "Documents/readonly/file.txt"));
  EXPECT_TRUE(pathExists(home / "Documents/sticky/file.txt"));
}
