// The filter bar on its own: what each control writes into the filter it announces, what it shows
// for a filter it is given, and which parts a host may leave out.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "app/ObjectNames.h"
#include "app/components/ElidedLabel.h"
#include "views/FilterBarDriver.h"
#include "views/analysis/FilterBar.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

const std::string kHome = "/home/me";

FilterBar::Config fullConfig() {
  FilterBar::Config config;
  config.showKinds = config.showBucket = config.canExport = true;
  config.home = kHome;
  return config;
}

}  // namespace

TEST(FilterBar, EachControlWritesItsFieldAndAnnouncesTheWholeFilter) {
  FilterBar bar(fullConfig());
  bar.resize(900, 100);
  bar.show();
  QSignalSpy edits(&bar, &FilterBar::filterEdited);
  auto last = [&] { return edits.last().at(0).value<FileFilter>(); };
  QLineEdit* search = part<QLineEdit>(bar, names::filterSearch);
  QToolButton* clear = part<QToolButton>(bar, names::filterClear);
  EXPECT_EQ(search->placeholderText(), QStringLiteral("Search by name (use / to search paths)"));

  // The clear button shows only while there is a query.
  EXPECT_FALSE(clear->isVisible());
  QKeyEvent accented(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("é"));  // typed, not pasted
  QApplication::sendEvent(search, &accented);
  EXPECT_EQ(last().query, "é");
  EXPECT_TRUE(clear->isVisible());
  QTest::keyClicks(search, QStringLiteral("t/"));
  EXPECT_EQ(last().query, "ét/");
  EXPECT_EQ(edits.count(), 3);  // one announcement per keystroke
  QTest::mouseClick(clear, Qt::LeftButton);
  EXPECT_EQ(last().query, "");
  EXPECT_EQ(search->text(), QString());
  EXPECT_FALSE(clear->isVisible());

  pick(part<QComboBox>(bar, names::filterSize), QStringLiteral("> 500 MB"));
  EXPECT_EQ(last().minSize, 524'288'000);
  pick(part<QComboBox>(bar, names::filterAge), QStringLiteral("> 2 years"));
  EXPECT_EQ(last().modifiedOlderThanDays, 730);
  pick(part<QComboBox>(bar, names::filterAge), QStringLiteral("Any date"));
  EXPECT_EQ(last().modifiedOlderThanDays, std::nullopt);
  QComboBox* bucket = part<QComboBox>(bar, names::filterBucket);
  EXPECT_EQ(bucket->count(), 14);  // "All categories", a divider, twelve categories
  EXPECT_EQ(bucket->itemText(0), QStringLiteral("All categories"));
  pick(bucket, QStringLiteral("Developer"));
  EXPECT_EQ(last().bucket, StorageBucket::developer);
  pick(bucket, QStringLiteral("All categories"));
  EXPECT_EQ(last().bucket, std::nullopt);

  // Chips: two chosen are both kept; tapping a chosen one removes only its kind.
  EXPECT_EQ(bar.findChildren<KindChip*>().size(), 9);
  QTest::mouseClick(chip(bar, FileKind::video), Qt::LeftButton);
  QTest::mouseClick(chip(bar, FileKind::audio), Qt::LeftButton);
  EXPECT_EQ(last().kinds, (std::set<FileKind>{FileKind::video, FileKind::audio}));
  EXPECT_TRUE(chip(bar, FileKind::video)->isChecked());
  QTest::mouseClick(chip(bar, FileKind::video), Qt::LeftButton);
  EXPECT_EQ(last().kinds, std::set<FileKind>{FileKind::audio});
  EXPECT_FALSE(chip(bar, FileKind::video)->isChecked());
  EXPECT_EQ(chip(bar, FileKind::diskImage)->property("sfSymbol").toString(), QStringLiteral("opticaldiscdrive.fill"));

  // The whole filter travels each time, and the bar never touches `hideProtected`.
  const FileFilter f = last();
  EXPECT_EQ(f.minSize, 524'288'000);
  EXPECT_FALSE(f.hideProtected);
  EXPECT_EQ(bar.filter(), f);
}

TEST(FilterBar, ShowsAGivenFilterWithoutAnnouncingIt) {
  FilterBar bar(fullConfig());
  bar.resize(900, 100);
  bar.show();
  QSignalSpy edits(&bar, &FilterBar::filterEdited);
  FileFilter f;
  f.query = "tax";
  f.minSize = 1'073'741'824;
  f.modifiedOlderThanDays = 180;
  f.bucket = StorageBucket::documents;
  f.kinds = {FileKind::document};
  f.pathPrefix = kHome + "/Documents/Taxes";
  f.hideProtected = true;
  bar.setFilter(f);
  EXPECT_EQ(edits.count(), 0);
  EXPECT_EQ(part<QLineEdit>(bar, names::filterSearch)->text(), QStringLiteral("tax"));
  EXPECT_EQ(part<QComboBox>(bar, names::filterSize)->currentText(), QStringLiteral("> 1 GB"));
  EXPECT_EQ(part<QComboBox>(bar, names::filterAge)->currentText(), QStringLiteral("> 6 months"));
  EXPECT_EQ(part<QComboBox>(bar, names::filterBucket)->currentText(), QStringLiteral("Documents"));
  EXPECT_TRUE(chip(bar, FileKind::document)->isChecked());

  // A folder prefix under home shows with "~"; its button removes it and the chip goes away, and
  // the rest of the filter (even the field the bar does not edit) travels unchanged.
  QWidget* folder = part<QWidget>(bar, names::filterFolderChip);
  EXPECT_TRUE(folder->isVisible());
  EXPECT_EQ(part<ElidedLabel>(bar, names::filterFolderText)->text(), QStringLiteral("~/Documents/Taxes"));
  QTest::mouseClick(part<QToolButton>(bar, names::filterFolderClear), Qt::LeftButton);
  ASSERT_EQ(edits.count(), 1);
  FileFilter expected = f;
  expected.pathPrefix.reset();
  EXPECT_EQ(edits.last().at(0).value<FileFilter>(), expected);
  EXPECT_FALSE(folder->isVisible());

  // A size no option offers shows no entry rather than a wrong one.
  f.minSize = 12345;
  bar.setFilter(f);
  EXPECT_EQ(part<QComboBox>(bar, names::filterSize)->currentIndex(), -1);
}

TEST(FilterBar, PartsAHostLeavesOutAndTheResultLine) {
  FilterBar bar(FilterBar::Config{});
  bar.resize(700, 100);
  bar.show();
  EXPECT_TRUE(bar.findChildren<KindChip*>().isEmpty());
  EXPECT_FALSE(part<QComboBox>(bar, names::filterBucket));
  EXPECT_FALSE(part<QPushButton>(bar, names::filterExport));
  EXPECT_FALSE(part<QWidget>(bar, names::filterFolderChip)->isVisible());
  QLabel* result = part<QLabel>(bar, names::filterResult);
  EXPECT_TRUE(result->isVisible());
  EXPECT_EQ(result->text(), QStringLiteral("0 files · Zero KB"));
  bar.setResult(2, -7);
  EXPECT_EQ(result->text(), QStringLiteral("2 files · Zero KB"));

  FilterBar exporting(fullConfig());
  exporting.show();
  QPushButton* csv = part<QPushButton>(exporting, names::filterExport);
  ASSERT_TRUE(csv);
  EXPECT_EQ(csv->text(), QStringLiteral("CSV"));
  EXPECT_EQ(csv->toolTip(), QStringLiteral("Export to CSV"));
  EXPECT_EQ(csv->property("sfSymbol").toString(), QStringLiteral("square.and.arrow.up"));
  QSignalSpy asked(&exporting, &FilterBar::exportRequested);
  QTest::mouseClick(csv, Qt::LeftButton);
  EXPECT_EQ(asked.count(), 1);
}
