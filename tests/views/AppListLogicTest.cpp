#include <gtest/gtest.h>

#include "model/Formatting.h"
#include "model/SafetyVerdict.h"
#include "views/cleanup/logic/AppList.h"
#include "views/cleanup/logic/LeftoverList.h"

using namespace tolvex;

namespace {

constexpr double kNow = 1.8e9;
constexpr double kDay = 86'400;

InstalledApp app(const std::string& name, int64_t appSize = 0, std::vector<int64_t> data = {}) {
  InstalledApp a;
  a.path = "/Applications/" + name + ".app";
  a.name = name;
  a.bundleID = "com.example." + name;
  a.appSize = appSize;
  for (size_t i = 0; i < data.size(); ++i)
    a.related.push_back(RelatedItem{"/h/Library/Caches/" + name + std::to_string(i), "Caches", data[i]});
  return a;
}

std::vector<std::string> names(const std::vector<InstalledApp>& apps) {
  std::vector<std::string> out;
  for (const auto& a : apps) out.push_back(a.name);
  return out;
}

Leftover leftover(const std::string& identifier, const std::string& location, int64_t size) {
  return Leftover{"/h/Library/" + location + "/" + identifier, identifier, location, size, {}};
}

std::vector<std::string> identifiers(const std::vector<Leftover>& rows) {
  std::vector<std::string> out;
  for (const auto& r : rows) out.push_back(r.identifier);
  return out;
}

}  // namespace

TEST(AppListLogic, FiltersDecideInOrder) {
  InstalledApp apple = app("Safari");
  apple.bundleID = "com.apple.Safari";
  apple.isApple = true;
  InstalledApp noDate = app("Never");
  InstalledApp recent = app("Recent");
  recent.lastUsed = kNow - 89 * kDay;
  InstalledApp old = app("Old");
  old.lastUsed = kNow - 91 * kDay;
  InstalledApp atCut = app("AtCut");
  atCut.lastUsed = kNow - kUnusedSeconds;
  InstalledApp noID = app("Loose");
  noID.bundleID.reset();
  struct Case {
    const InstalledApp& app;
    AppFilters filters;
    bool visible;
  };
  const std::vector<Case> cases = {
      {apple, {true, false, {}}, false},
      {apple, {false, false, {}}, true},
      {noDate, {true, true, {}}, true},                              // never seen in use counts as unused
      {recent, {true, true, {}}, false},                             // used 89 days ago
      {old, {true, true, {}}, true},                                 // 91 days ago
      {atCut, {true, true, {}}, false},                              // exactly at the cut is not earlier than it
      {recent, {true, false, QStringLiteral("reCEN")}, true},        // the name, any case
      {recent, {true, false, QStringLiteral("example.rec")}, true},  // the identifier
      {recent, {true, false, QStringLiteral("EXAMPLE.RECENT")}, true},
      {recent, {true, false, QStringLiteral("other")}, false},
      {recent, {true, false, QStringLiteral(" ")}, false},      // spaces are a query
      {noID, {true, false, QStringLiteral("com.")}, false},     // no identifier to search
      {apple, {true, false, QStringLiteral("Safari")}, false},  // hidden before the query
  };
  for (const Case& c : cases)
    EXPECT_EQ(appMatchesFilters(c.app, c.filters, kNow - kUnusedSeconds), c.visible)
        << c.app.name << " hide=" << c.filters.hideApple << " unused=" << c.filters.unusedOnly
        << " q=" << c.filters.query.toStdString();
}

TEST(AppListLogic, VisibleAppsSortAndClickOrders) {
  InstalledApp zed = app("Zed", 500, {100});    // total 600
  InstalledApp alpha = app("alpha", 100, {});   // 100
  InstalledApp beta = app("Beta", 300, {300});  // 600: ties with Zed
  beta.lastUsed = kNow - kDay;
  const std::vector<InstalledApp> all = {zed, alpha, beta};
  AppSortOrder order = defaultAppSortOrder();
  EXPECT_EQ(names(visibleApps(all, {}, kNow, order)), (std::vector<std::string>{"Zed", "Beta", "alpha"}));
  // Names by their bytes: upper case before lower case.
  order = clickedAppHeader(order, AppKey::name);
  EXPECT_EQ(order.front(), (AppComparator{AppKey::name, true}));
  EXPECT_EQ(names(visibleApps(all, {}, kNow, order)), (std::vector<std::string>{"Beta", "Zed", "alpha"}));
  order = clickedAppHeader(order, AppKey::name);
  EXPECT_EQ(names(visibleApps(all, {}, kNow, order)), (std::vector<std::string>{"alpha", "Zed", "Beta"}));
  // Without a date an application is the oldest; the earlier order breaks ties.
  order = clickedAppHeader(order, AppKey::lastUsed);
  EXPECT_EQ(order.size(), 3u);
  EXPECT_EQ(names(visibleApps(all, {}, kNow, order)), (std::vector<std::string>{"alpha", "Zed", "Beta"}));
  order = clickedAppHeader(order, AppKey::dataSize);
  EXPECT_EQ(names(visibleApps(all, {}, kNow, order)), (std::vector<std::string>{"alpha", "Zed", "Beta"}));
  order = clickedAppHeader(order, AppKey::appSize);
  EXPECT_EQ(names(visibleApps(all, {}, kNow, order)), (std::vector<std::string>{"alpha", "Beta", "Zed"}));
}

TEST(AppListLogic, HeaderFiguresAndCellTexts) {
  EXPECT_EQ(largestTotal({}), 1);
  EXPECT_EQ(largestTotal({app("A"), app("B")}), 1);  // all zero: the bars divide by 1
  EXPECT_EQ(largestTotal({app("A", 10, {5}), app("B", 40)}), 40);
  EXPECT_EQ(appsHeaderText(0, 0), QStringLiteral("0 apps \u00B7 Zero KB"));
  EXPECT_EQ(appsHeaderText(1234, 2'500'000), QStringLiteral("1,234 apps \u00B7 2.5 MB"));
  EXPECT_EQ(appsHeaderText(1, -5), QStringLiteral("1 apps \u00B7 Zero KB"));
  EXPECT_EQ(summedTotal({app("A", INT64_MAX), app("B", 10)}), INT64_MAX);

  InstalledApp a = app("A", 1000, {});
  EXPECT_EQ(appCaptionLine(a), QString());
  a.version = "2.1";
  a.isAppStore = true;
  a.isApple = true;
  EXPECT_EQ(appCaptionLine(a), QStringLiteral("v2.1 \u00B7 App Store \u00B7 Apple"));
  EXPECT_EQ(appDataText(a), QStringLiteral("\u2014"));
  EXPECT_FALSE(dataOutweighsApp(a));
  InstalledApp heavy = app("H", 1000, {2'000'000});
  EXPECT_EQ(appDataText(heavy), QStringLiteral("2 MB"));
  EXPECT_TRUE(dataOutweighsApp(heavy));
  EXPECT_EQ(lastUsedText(a, kNow), QStringLiteral("Never / unknown"));
  a.lastUsed = kNow - 3 * kDay;
  EXPECT_EQ(lastUsedText(a, kNow), QString::fromStdString(relativeDateText(kNow - 3 * kDay, kNow)));

  const std::vector<InstalledApp> listed = {app("A"), app("B")};
  EXPECT_EQ(menuApp(listed, {"/Applications/B.app", "/Applications/A.app"})->name, "A");  // displayed order
  EXPECT_EQ(menuApp(listed, {"/Applications/C.app"}), nullptr);
  EXPECT_EQ(menuApp(listed, {}), nullptr);
  EXPECT_EQ(findApp(listed, "/Applications/B.app")->name, "B");
}

TEST(LeftoverListLogic, OrderSelectionAndPlan) {
  const std::vector<Leftover> found = {leftover("com.b", "Caches", 70'000), leftover("com.a", "Logs", 90'000),
                                       leftover("com.c", "Caches", 80'000)};
  LeftoverSortOrder order = defaultLeftoverSortOrder();
  std::vector<Leftover> rows = sortedLeftovers(found, order);
  EXPECT_EQ(identifiers(rows), (std::vector<std::string>{"com.a", "com.c", "com.b"}));
  order = clickedLeftoverHeader(order, LeftoverKey::location);
  EXPECT_EQ(identifiers(sortedLeftovers(found, order)), (std::vector<std::string>{"com.c", "com.b", "com.a"}));
  order = clickedLeftoverHeader(order, LeftoverKey::location);
  EXPECT_EQ(identifiers(sortedLeftovers(found, order)), (std::vector<std::string>{"com.a", "com.c", "com.b"}));
  EXPECT_EQ(identifiers(sortedLeftovers(found, clickedLeftoverHeader({}, LeftoverKey::identifier))),
            (std::vector<std::string>{"com.a", "com.b", "com.c"}));

  // Selected rows in displayed order; a path that matches no row counts for nothing.
  const std::set<std::string> selection = {rows[2].path, rows[0].path, "/h/Library/Caches/gone"};
  const std::vector<Leftover> selected = selectedLeftovers(rows, selection);
  EXPECT_EQ(identifiers(selected), (std::vector<std::string>{"com.a", "com.b"}));
  EXPECT_EQ(summedSize(selected), 160'000);
  EXPECT_EQ(revealedLeftover(rows, selection), rows[0].path);
  EXPECT_EQ(revealedLeftover(rows, {"/elsewhere"}), std::nullopt);

  const SafetyContext safety = SafetyContext::forPlaces(Places::forHome("/h"));
  const std::vector<PlanItem> items = leftoverPlanItems(selected, safety);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].path, "/h/Library/Logs/com.a");
  EXPECT_EQ(items[0].name, "com.a");
  EXPECT_EQ(items[0].size, 90'000);
  EXPECT_EQ(items[0].removal, Removal::trash);
  EXPECT_EQ(items[0].verdict, SafetyVerdict::forPath("/h/Library/Logs/com.a", safety));
  EXPECT_EQ(items[1].name, "com.b");
}

TEST(LeftoverListLogic, ModifiedDatesBeforeTheSecondDayAreAbsent) {
  EXPECT_EQ(leftoverModifiedText(std::nullopt), QStringLiteral("\u2014"));
  EXPECT_EQ(leftoverModifiedText(86'400.0), QStringLiteral("\u2014"));
  EXPECT_EQ(leftoverModifiedText(0.0), QStringLiteral("\u2014"));
  EXPECT_NE(leftoverModifiedText(86'401.0), QStringLiteral("\u2014"));
  EXPECT_EQ(leftoverModifiedText(1.7e9), QStringLiteral("Nov 14, 2023"));
}
