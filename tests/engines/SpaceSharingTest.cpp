#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "engines/SpaceSharing.h"
#include "model/Risk.h"
#include "support/HandTree.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

// Three groups over one tree: a, b, c; d, e; f, g.
struct Groups {
  HandTree tree{"/srv/share"};
  std::map<std::string, FileNode*> nodes;
  std::vector<DuplicateGroup> groups;
  Groups() {
    for (const char* name : {"a", "b", "c", "d", "e", "f", "g"}) nodes[name] = tree.file(name, 2'000'000);
    groups = {group({"a", "b", "c"}), group({"d", "e"}), group({"f", "g"})};
  }
  DuplicateGroup group(std::vector<std::string> names) {
    DuplicateGroup g;
    g.id = names[0];
    g.size = 2'000'000;
    for (const auto& n : names) g.files.push_back(nodes[n]);
    return g;
  }
  NodeSelection select(const std::string& names) {
    NodeSelection selection;
    for (char n : names) selection.insert(nodes[std::string(1, n)]);
    return selection;
  }
  std::string pairsText(const std::vector<SharePair>& pairs) {
    std::string text;
    for (const SharePair& p : pairs) text += p.duplicate->name + ">" + p.keeper->name + " ";
    return text;
  }
};

}  // namespace

TEST(SpaceSharing, KeeperIsTheFirstUnselectedCopyOfItsGroup) {
  struct Case {
    const char* selected;
    const char* pairs;
  };
  const Case cases[] = {
      {"", ""},           {"a", "a>b "},  // the first copy selected: the second keeps
      {"b", "b>a "},      {"bc", "b>a c>a "},
      {"ac", "a>b c>b "}, {"abc", ""},           // every copy selected: no keeper, nothing shared
      {"abcd", "d>e "},   {"cefg", "c>a e>d "},  // groups in order; a fully selected group is left out
  };
  for (const Case& c : cases) {
    Groups g;
    EXPECT_EQ(g.pairsText(sharePairs(g.groups, g.select(c.selected))), c.pairs) << c.selected;
  }
}

TEST(SpaceSharing, ReasonsOfEveryFailure) {
  using F = APFSClone::Failure;
  const std::pair<F, std::string> cases[] = {
      {F::notRegularFile(), "Not a regular file."},
      {F::differentVolumes(), "The copies are on different disks; space can only be shared within one disk."},
      {F::contentsDiffer(), "The file changed since the scan, so it was left alone."},
      {F::hardLinked(), "The file has hard links, so it was left alone."},
      {F::unsupported(), "This disk doesn't support shared copies (it isn't APFS)."},
      {F::system(EACCES), std::strerror(EACCES)},
  };
  for (const auto& [failure, reason] : cases) EXPECT_EQ(cloneFailureReason(failure), reason);
  EXPECT_EQ(cloneFailureReason(std::runtime_error("Disk full.")), "Disk full.");
}

TEST(SpaceSharing, BatchGoesOnPastFailuresAndNeverClonesOverAProtectedPath) {
  std::vector<std::string> cloned;
  auto replace = [&](const std::string& duplicate, const std::string& keeper) -> int64_t {
    cloned.push_back(duplicate + ">" + keeper);
    if (duplicate.ends_with("/shared")) throw APFSClone::Failure::alreadyShared();
    if (duplicate.ends_with("/elsewhere")) throw APFSClone::Failure::differentVolumes();
    if (duplicate.ends_with("/odd")) throw std::runtime_error("Something else.");
    return 1'000'000;
  };
  const SafetyContext safety = SafetyContext::forPlaces(Places::forHome("/home/al"));
  const std::string protectedPath = "/usr/lib/protected.bin";
  ASSERT_EQ(SafetyVerdict::forPath(protectedPath, safety).risk, Risk::protected_);
  const Pairs pairs = {{"/srv/share/one", "/srv/share/keep"},    {protectedPath, "/srv/share/keep"},
                       {"/srv/share/shared", "/srv/share/keep"}, {"/srv/share/elsewhere", "/mnt/keep"},
                       {"/srv/share/odd", "/srv/share/keep"},    {"/srv/share/two", "/srv/share/keep"}};
  const CloneReport report = shareSpaceItems(pairs, replace, safety);
  EXPECT_EQ(cloned, (std::vector<std::string>{"/srv/share/one>/srv/share/keep", "/srv/share/shared>/srv/share/keep",
                                              "/srv/share/elsewhere>/mnt/keep", "/srv/share/odd>/srv/share/keep",
                                              "/srv/share/two>/srv/share/keep"}));
  EXPECT_EQ(report.reclaimed, 2'000'000);
  EXPECT_EQ(report.converted, (std::vector<std::string>{"/srv/share/one", "/srv/share/two"}));
  EXPECT_EQ(report.alreadyShared, 1);
  ASSERT_EQ(report.failures.size(), 3u);
  EXPECT_EQ(report.failures[0].path, protectedPath);
  EXPECT_EQ(report.failures[0].reason, SafetyVerdict::forPath(protectedPath, safety).reason);
  EXPECT_EQ(report.failures[1].reason, "The copies are on different disks; space can only be shared within one disk.");
  EXPECT_EQ(report.failures[2].reason, "Something else.");
  EXPECT_NE(report.failures[1].id, report.failures[2].id);
}

TEST(SpaceSharing, ConvertedCopiesAndTheirKeeperBecomeShared) {
  Groups g;
  CloneReport report;
  report.converted = {"/srv/share/c", "/srv/share/g"};
  const NodeSelection selection = g.select("acg");
  g.groups[1].shared.insert(g.nodes["e"]);  // the group without a conversion stays as it was
  applyCloneReport(g.groups, report, selection);
  EXPECT_EQ(g.groups[0].shared, (std::unordered_set<const FileNode*>{g.nodes["c"], g.nodes["b"]}));
  EXPECT_EQ(g.groups[1].shared, (std::unordered_set<const FileNode*>{g.nodes["e"]}));
  EXPECT_EQ(g.groups[2].shared, (std::unordered_set<const FileNode*>{g.nodes["g"], g.nodes["f"]}));
}
