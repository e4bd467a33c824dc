// What the Duplicates screen derives from the groups and its selection: rows, selected copies, the
// keep-one rule, the recoverable total and the plan.
#include <gtest/gtest.h>

#include "support/HandTree.h"
#include "views/cleanup/logic/DuplicateSelection.h"

namespace tolvex {
namespace {

// Groups of hand-made files: each inner list is one group's files (names), all of `size` bytes.
struct Groups {
  test::HandTree tree{"/data"};
  std::vector<DuplicateGroup> groups;

  DuplicateGroup& add(const std::vector<std::string>& names, int64_t size) {
    DuplicateGroup group;
    group.id = names.front();
    group.size = size;
    for (const std::string& name : names) group.files.push_back(tree.file(name, size));
    groups.push_back(std::move(group));
    return groups.back();
  }
  SerialSet serials(const std::vector<size_t>& groupAndFile) const {
    SerialSet out;
    for (size_t i = 0; i + 1 < groupAndFile.size(); i += 2)
      out.insert(groups[groupAndFile[i]].files[groupAndFile[i + 1]]->serial);
    return out;
  }
};

TEST(DuplicateSelection, RowsSelectedFilesAndSizesInListOrder) {
  Groups g;
  g.add({"a1", "a2"}, 1000);
  g.add({"b1", "b2", "b3"}, 3000);
  EXPECT_EQ(
      duplicateRows(g.groups),
      (std::vector<DuplicateRow>{
          {true, 0, 0}, {false, 0, 0}, {false, 0, 1}, {true, 1, 0}, {false, 1, 0}, {false, 1, 1}, {false, 1, 2}}));
  SerialSet selected = g.serials({1, 2, 0, 1});
  selected.insert(999'999'999);  // a file that has left the groups counts for nothing
  const auto files = selectedDuplicateFiles(g.groups, selected);
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0]->name, "a2");
  EXPECT_EQ(files[1]->name, "b3");
  EXPECT_EQ(duplicateFilesSize(files), 4000);
}

TEST(DuplicateSelection, KeepOneRule) {
  Groups g;
  g.add({"a1", "a2"}, 10);
  g.add({"b1", "b2", "b3"}, 10);
  struct Case {
    std::vector<size_t> selected;
    bool keeps;
  };
  const Case cases[] = {
      {{}, true},
      {{0, 1}, true},               // one copy of a group
      {{1, 0, 1, 2}, true},         // some of a group; the other group untouched
      {{0, 0, 0, 1}, false},        // every file of the first group
      {{1, 0, 1, 1, 1, 2}, false},  // every file of the second
  };
  for (const Case& c : cases) EXPECT_EQ(everyGroupKeepsCopy(g.groups, g.serials(c.selected)), c.keeps);
  EXPECT_TRUE(everyGroupKeepsCopy({}, {}));
  EXPECT_FALSE(groupKeepsCopy(DuplicateGroup{}, {}));  // a group without files keeps nothing
}

TEST(DuplicateSelection, SelectAllCopiesLeavesTheFirstOfEachGroup) {
  Groups g;
  g.add({"a1", "a2"}, 100);
  g.add({"b1", "b2", "b3"}, 200);
  g.add({"c1", "c2", "c3", "c4"}, 300);
  const SerialSet copies = allDuplicateCopies(g.groups);
  EXPECT_EQ(copies.size(), 6u);
  for (const DuplicateGroup& group : g.groups) EXPECT_FALSE(copies.contains(group.files.front()->serial));
  EXPECT_EQ(duplicateFilesSize(selectedDuplicateFiles(g.groups, copies)), 100 + 2 * 200 + 3 * 300);
  EXPECT_TRUE(everyGroupKeepsCopy(g.groups, copies));
}

TEST(DuplicateSelection, RecoverableTotalCountsSharingCopiesAsOne) {
  struct Case {
    std::vector<size_t> groupSizes;     // files per group, each group 1,000 bytes a copy
    std::vector<size_t> sharedOfGroup;  // how many files of each group share their storage
    int64_t recoverable;
  };
  const Case cases[] = {
      {{2, 2, 2}, {0, 2, 0}, 2000},  // the second group already shares: nothing more from it
      {{3}, {0}, 2000},
      {{3}, {2}, 1000},
      {{3}, {3}, 0},
      {{}, {}, 0},
  };
  for (const Case& c : cases) {
    Groups g;
    for (size_t i = 0; i < c.groupSizes.size(); ++i) {
      std::vector<std::string> names;
      for (size_t f = 0; f < c.groupSizes[i]; ++f) names.push_back("g" + std::to_string(i) + "f" + std::to_string(f));
      DuplicateGroup& group = g.add(names, 1000);
      for (size_t f = 0; f < c.sharedOfGroup[i]; ++f) group.shared.insert(group.files[f]);
    }
    EXPECT_EQ(recoverableTotal(g.groups), c.recoverable);
  }
}

TEST(DuplicateSelection, PlanSendsEveryCopyToTheTrashWithItsOwnVerdict) {
  Groups g;
  g.add({"docs/report.pdf", "docs/copy/report.pdf"}, 2'000'000);
  const SafetyContext safety = SafetyContext::forPlaces(Places::forHome("/data"));
  const auto plan = duplicatePlanItems({g.groups[0].files[1], g.groups[0].files[0]}, safety);
  ASSERT_EQ(plan.size(), 2u);
  EXPECT_EQ(plan[0].path, "/data/docs/copy/report.pdf");
  EXPECT_EQ(plan[0].name, "report.pdf");
  EXPECT_EQ(plan[0].size, 2'000'000);
  EXPECT_EQ(plan[0].removal, Removal::trash);
  EXPECT_EQ(plan[0].verdict, SafetyVerdict::forPath("/data/docs/copy/report.pdf", safety));
  EXPECT_EQ(plan[1].path, "/data/docs/report.pdf");
}

TEST(DuplicateSelection, SummaryAndCaptionTexts) {
  Groups g;
  g.add({"a", "b", "c"}, 12'000'000);
  EXPECT_EQ(duplicateGroupCaption(g.groups[0]), QStringLiteral("3 copies \u00b7 12 MB each"));
  g.groups[0].size = -5;
  EXPECT_EQ(duplicateGroupCaption(g.groups[0]), QStringLiteral("3 copies \u00b7 Zero KB each"));
  EXPECT_EQ(duplicateSummaryText(1200, 2000), QStringLiteral("1,200 groups \u00b7 2 KB recoverable"));
}

}  // namespace
}  // namespace tolvex
