#include <gtest/gtest.h>

#include <limits>

#include "platform/FileDates.h"
#include "views/cleanup/DevItemTable.h"
#include "views/cleanup/logic/DeveloperRows.h"
#include "views/cleanup/logic/VirtualDiskRows.h"

using namespace tolvex;

namespace {

DevItem item(std::string path, std::string title, int64_t size, double touched = 1.7e9,
             Removal removal = Removal::permanent, std::string detail = "d") {
  return DevItem{std::move(path), std::move(title), std::move(detail), size, touched, removal};
}

std::vector<std::string> pathsOf(const std::vector<DevItem>& items) {
  std::vector<std::string> paths;
  for (const DevItem& i : items) paths.push_back(i.path);
  return paths;
}

VirtualDisk disk(std::string path, int64_t size, int64_t capacity) {
  return VirtualDisk{std::move(path), "d.raw", "Docker Desktop", size, capacity, 0, "advice", "docker system prune"};
}

}  // namespace

TEST(DeveloperRows, SortOrdersFromTheHeaders) {
  const std::vector<DevItem> items = {
      item("/p/b", "alpha / node_modules", 30, 1.6e9),
      item("/p/a", "Zeta / .venv", 50, kDistantPast),  // a junk item without a date
      item("/p/c", "beta / Pods", 30, 1.7e9),
      item("/p/d", "alpha / node_modules", 10, 1.5e9),
  };
  struct Case {
    const char* what;
    DevSortOrder order;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      // Equal sizes fall back to the path.
      {"initial: largest first", initialDevSortOrder(), {"/p/a", "/p/b", "/p/c", "/p/d"}},
      // Plain byte order: upper case before lower case; the earlier size order breaks the tie.
      {"title A to Z", clickedDevHeader(initialDevSortOrder(), DevKey::title), {"/p/a", "/p/b", "/p/d", "/p/c"}},
      {"title Z to A",
       clickedDevHeader(clickedDevHeader(initialDevSortOrder(), DevKey::title), DevKey::title),
       {"/p/c", "/p/b", "/p/d", "/p/a"}},
      // No date sorts as the oldest.
      {"oldest project first",
       clickedDevHeader(initialDevSortOrder(), DevKey::lastTouched),
       {"/p/a", "/p/d", "/p/b", "/p/c"}},
      {"smallest first", clickedDevHeader(initialDevSortOrder(), DevKey::size), {"/p/d", "/p/b", "/p/c", "/p/a"}},
  };
  for (const Case& c : cases) {
    std::vector<DevItem> rows = items;
    sortDevItems(rows, c.order);
    EXPECT_EQ(pathsOf(rows), c.expected) << c.what;
  }
}

TEST(DeveloperRows, HeaderClicksKeepEarlierKeysAsTieBreakers) {
  const DevSortOrder byTitle = clickedDevHeader(initialDevSortOrder(), DevKey::title);
  EXPECT_EQ(byTitle, (DevSortOrder{{DevKey::title, true}, {DevKey::size, false}}));
  const DevSortOrder byDate = clickedDevHeader(byTitle, DevKey::lastTouched);
  EXPECT_EQ(byDate, (DevSortOrder{{DevKey::lastTouched, true}, {DevKey::title, true}, {DevKey::size, false}}));
  // A key already in the list moves to the front rather than appearing twice.
  EXPECT_EQ(clickedDevHeader(byDate, DevKey::size),
            (DevSortOrder{{DevKey::size, true}, {DevKey::lastTouched, true}, {DevKey::title, true}}));
}

TEST(DeveloperRows, SelectionCountsOnlyListedRowsInRowOrder) {
  const std::vector<DevItem> rows = {item("/p/a", "a", 5), item("/p/b", "b", 7), item("/p/c", "c", 11)};
  const auto selected = selectedDevItems(rows, {"/p/c", "/p/gone", "/p/a"});
  EXPECT_EQ(pathsOf(selected), (std::vector<std::string>{"/p/a", "/p/c"}));
  EXPECT_EQ(totalDevSize(selected), 16);
  EXPECT_TRUE(selectedDevItems(rows, {"/p/gone"}).empty());
  EXPECT_TRUE(selectedDevItems(rows, {}).empty());
  // The sum holds at its limit instead of wrapping round to a negative size.
  const int64_t max = std::numeric_limits<int64_t>::max();
  EXPECT_EQ(totalDevSize({item("/x", "x", max), item("/y", "y", 1)}), max);
}

TEST(DeveloperRows, PlanItemsFollowTheRowsWithTheirOwnVerdicts) {
  const std::vector<DevItem> rows = {
      item("/home/me/code/web/node_modules", "web / node_modules", 24, 1.7e9, Removal::permanent),
      item("/etc/ssl", "Xcode \u00B7 Archives \u00B7 ssl", 3, 1.7e9, Removal::trash),
  };
  const SafetyContext safety = SafetyContext::forPlaces(Places::forHome("/home/me"));
  const auto plan = developerPlan(rows, safety);
  ASSERT_EQ(plan.size(), 2u);
  EXPECT_EQ(plan[0].path, rows[0].path);
  EXPECT_EQ(plan[0].name, "web / node_modules");
  EXPECT_EQ(plan[0].size, 24);
  EXPECT_EQ(plan[0].removal, Removal::permanent);
  EXPECT_EQ(plan[1].name, rows[1].title);
  EXPECT_EQ(plan[1].removal, Removal::trash);
  for (size_t i = 0; i < plan.size(); ++i) {
    const SafetyVerdict expected = SafetyVerdict::forPath(rows[i].path, safety);
    EXPECT_EQ(plan[i].verdict.risk, expected.risk) << rows[i].path;
    EXPECT_EQ(plan[i].verdict.reason, expected.reason) << rows[i].path;
  }
  EXPECT_EQ(plan[1].verdict.risk, Risk::protected_);  // the confirmation refuses it, not the screen
  EXPECT_TRUE(developerPlan({}, safety).empty());
}

TEST(DeveloperRows, RevealTakesTheFirstRow) {
  EXPECT_EQ(revealedDevPath({item("/p/b", "b", 1), item("/p/a", "a", 1)}), "/p/b");
  EXPECT_FALSE(revealedDevPath({}));
}

TEST(DeveloperRows, CellTextsOfAnItemWithoutADate) {
  DevItemModel model("/home/me", [] { return 1.8e9; });
  model.resetRows({item("/home/me/.npm/_cacache/x", "npm cache \u00B7 x", -5, kDistantPast),
                   item("/home/me/code/web/node_modules", "web / node_modules", 24'000'000, 1.8e9 - 3 * 86400)});
  EXPECT_EQ(model.text(0, DevItemModel::lastTouched), QString::fromUtf8("\u2014"));
  EXPECT_EQ(model.text(0, DevItemModel::size), QStringLiteral("Zero KB"));  // a negative size shows as 0
  EXPECT_EQ(model.text(1, DevItemModel::lastTouched), QStringLiteral("3 days ago"));
  EXPECT_EQ(model.text(1, DevItemModel::size), QStringLiteral("24 MB"));
  EXPECT_EQ(model.whereText(1), QStringLiteral("~/code/web/node_modules"));
  EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Item"));
  EXPECT_EQ(model.headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Project Last Modified"));
}

TEST(VirtualDiskRows, GrowthFillTotalAndCopiedMark) {
  EXPECT_TRUE(virtualDiskCanGrow(disk("/a", 600, 64'000)));
  EXPECT_FALSE(virtualDiskCanGrow(disk("/a", 600, 600)));
  EXPECT_DOUBLE_EQ(virtualDiskFill(disk("/a", 600, 2400)), 0.25);
  EXPECT_DOUBLE_EQ(virtualDiskFill(disk("/a", 0, 0)), 0.0);  // never a division by zero
  EXPECT_EQ(totalVirtualDiskSize({disk("/a", 600, 600), disk("/b", 400, 900)}), 1000);
  EXPECT_EQ(totalVirtualDiskSize({}), 0);
  EXPECT_TRUE(virtualDiskCommandCopied(std::string("/a"), disk("/a", 1, 1)));
  EXPECT_FALSE(virtualDiskCommandCopied(std::string("/a"), disk("/b", 1, 1)));
  EXPECT_FALSE(virtualDiskCommandCopied(std::nullopt, disk("/a", 1, 1)));
}

TEST(VirtualDiskRows, ListHeightIsCappedFromThreeRows) {
  struct Case {
    size_t rows;
    int natural;
    int expected;
  };
  const Case cases[] = {{1, 150, 150}, {2, 400, 400}, {3, 450, 230}, {3, 200, 200}, {7, 1100, 230}};
  for (const Case& c : cases)
    EXPECT_EQ(virtualDiskListHeight(c.rows, c.natural), c.expected) << c.rows << " " << c.natural;
}
