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
}

// A size no option offers (a recommendation's 500,000,000 bytes) is shown as an entry of its own, in
// order among the others, rather than as a blank picker; it goes once the filter holds an offered size.
TEST(FilterBar, ASizeNoOptionOffersIsShownAsItIs) {
  FilterBar bar(fullConfig());
  bar.resize(900, 100);
  bar.show();
  QSignalSpy edits(&bar, &FilterBar::filterEdited);
  QComboBox* size = part<QComboBox>(bar, names::filterSize);
  auto items = [&] {
    QStringList texts;
    for (int i = 0; i < size->count(); ++i) texts << size->itemText(i);
    return texts;
  };
  const QStringList offered{"Any size", "> 1 MB", "> 10 MB", "> 100 MB", "> 500 MB", "> 1 GB", "> 5 GB"};
  ASSERT_EQ(items(), offered);
  struct Case {
    int64_t minSize;
    int at;  // where the extra entry goes
    const char* text;
  };
  const Case cases[] = {{500'000'000, 4, "> 500 MB"}, {12'345, 1, "> 12 KB"}, {9'000'000'000, 7, "> 9 GB"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    FileFilter f;
    f.minSize = c.minSize;
    bar.setFilter(f);
    QStringList expected = offered;
    expected.insert(c.at, QString::fromLatin1(c.text));
    EXPECT_EQ(items(), expected);
    EXPECT_EQ(size->currentIndex(), c.at);
    EXPECT_EQ(size->currentText(), QString::fromLatin1(c.text));
  }
  // Picking the extra entry keeps the filter as it is; picking an offered size replaces it.
  size->setCurrentIndex(7);
  emit size->activated(7);
  EXPECT_EQ(edits.count(), 0);
  EXPECT_EQ(bar.filter().minSize, 9'000'000'000);
  pick(size, QStringLiteral("> 1 GB"));
  EXPECT_EQ(edits.last().at(0).value<FileFilter>().minSize, 1'073'741'824);
  EXPECT_EQ(items(), offered);
  EXPECT_EQ(size->currentText(), QStringLiteral("> 1 GB"));
}

// Tab goes from control to control: every stop shows where the keys are (no frame around a row of
// chips takes a turn of its own).
TEST(FilterBar, TabStopsAreTheControlsThemselves) {
  QWidget window;
  auto* bar = new FilterBar(fullConfig(), &window);
  bar->resize(900, 100);
  window.show();
  QLineEdit* search = part<QLineEdit>(*bar, names::filterSearch);
  search->setFocus(Qt::TabFocusReason);
  QApplication::processEvents();
  std::vector<QWidget*> stops;
  for (int i = 0; i < 20 && QApplication::focusWidget() && bar->isAncestorOf(QApplication::focusWidget()); ++i) {
    stops.push_back(QApplication::focusWidget());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  ASSERT_GE(stops.size(), 12u);
  EXPECT_EQ(stops[0], search);
  for (QWidget* stop : stops)
    EXPECT_TRUE(qobject_cast<QLineEdit*>(stop) || qobject_cast<QComboBox*>(stop) || qobject_cast<KindChip*>(stop) ||
                qobject_cast<QPushButton*>(stop))
        << stop->metaObject()->className() << " " << stop->objectName().toStdString();
  // Right after the last picker comes the first chip.
  const auto firstChip =
      std::find_if(stops.begin(), stops.end(), [](QWidget* w) { return qobject_cast<KindChip*>(w); });
  ASSERT_NE(firstChip, stops.end());
  EXPECT_TRUE(qobject_cast<QComboBox*>(*(firstChip - 1)));
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
