#include <gtest/gtest.h>

#include <QDateTime>

#include "model/DisplayPath.h"
#include "views/MemTree.h"
#include "views/analysis/logic/NodeLists.h"
#include "views/analysis/logic/NodeSort.h"

using namespace tolvex;
using tolvex::test::MemTree;

namespace {
std::vector<std::string> namesOf(const std::vector<FileNode*>& nodes) {
  std::vector<std::string> out;
  for (const FileNode* n : nodes) out.push_back(n->name);
  return out;
}
int sign(int v) { return (v > 0) - (v < 0); }
}  // namespace

TEST(NodeSort, NaturalCompare) {
  struct Case {
    const char* a;
    const char* b;
    int expected;
  };
  const Case cases[] = {
      {"file9", "file10", -1},
      {"file10", "file9", 1},
      {"a", "B", -1},
      {"B", "a", 1},
      {"Report", "report", 0},
      {"007", "7", 0},
      {"x2y", "x02y", 0},
      {"abc", "abcd", -1},
      {"", "a", -1},
      {"z", "é", -1},
      {"1000", "999", 1},
      {"v1.10", "v1.9", 1},
      {"12345678901234567890", "12345678901234567891", -1},
  };
  for (const Case& c : cases) EXPECT_EQ(sign(naturalCompare(c.a, c.b)), c.expected) << c.a << " vs " << c.b;
}

TEST(NodeSort, MultiKeyStableOrdersAndHeaderClicks) {
  MemTree t;
  FileNode* b = t.file(t.root, "b.txt", 100);
  FileNode* a = t.file(t.root, "A.txt", 100);
  FileNode* c = t.file(t.root, "c.txt", 300);
  FileNode* d = t.file(t.root, "d.txt", 100);
  set(b->modified, 50.0);
  set(a->modified, 20.0);
  set(d->modified, 20.0);
  std::vector<FileNode*> rows{b, a, c, d};

  sortNodes(rows, defaultSortOrder());
  EXPECT_EQ(namesOf(rows), (std::vector<std::string>{"c.txt", "b.txt", "A.txt", "d.txt"}));  // ties keep order

  sortNodes(rows, {{NodeKey::size, true}, {NodeKey::modified, false}, {NodeKey::name, false}});
  EXPECT_EQ(namesOf(rows), (std::vector<std::string>{"b.txt", "d.txt", "A.txt", "c.txt"}));

  SortOrder order = defaultSortOrder();
  order = clickedHeader(order, NodeKey::name);
  EXPECT_EQ(order, (SortOrder{{NodeKey::name, true}, {NodeKey::size, false}}));
  order = clickedHeader(order, NodeKey::name);
  EXPECT_EQ(order, (SortOrder{{NodeKey::name, false}, {NodeKey::size, false}}));
  order = clickedHeader(order, NodeKey::size);
  EXPECT_EQ(order, (SortOrder{{NodeKey::size, false}, {NodeKey::name, false}}));
  order = clickedHeader(order, NodeKey::modified);
  EXPECT_EQ(order.front(), (NodeComparator{NodeKey::modified, false}));
  EXPECT_EQ(order.size(), 3u);

  // Categories and kinds compare by their titles.
  FileNode* app = t.folder(t.root, "x", StorageBucket::applications);
  FileNode* video = t.folder(t.root, "y", StorageBucket::video);
  FileNode* docs = t.folder(t.root, "z", StorageBucket::documents);
  std::vector<FileNode*> cats{video, docs, app};
  sortNodes(cats, {{NodeKey::category, true}});
  EXPECT_EQ(namesOf(cats), (std::vector<std::string>{"x", "z", "y"}));  // Applications, Documents, Video
}

TEST(NodeLists, ChildrenShownAndLargest) {
  MemTree t;
  FileNode* zero = t.folder(t.root, "zero");
  FileNode* a = t.file(t.root, "a", 500);
  FileNode* gone = t.file(t.root, "gone", 9000);
  FileNode* b = t.file(t.root, "b", 700);
  FileNode* c = t.file(t.root, "c", 500);
  set(gone->deleted, true);
  EXPECT_EQ(shownChildren(*t.root), (std::vector<FileNode*>{zero, a, b, c}));
  EXPECT_EQ(largestChildren(*t.root, 10, true), (std::vector<FileNode*>{b, a, c}));
  EXPECT_EQ(largestChildren(*t.root, 10, false), (std::vector<FileNode*>{b, a, c, zero}));
  EXPECT_EQ(largestChildren(*t.root, 2, true), (std::vector<FileNode*>{b, a}));

  // Files inside a deleted folder are gone too.
  FileNode* folder = t.folder(t.root, "folder");
  t.file(folder, "inside", 100);
  set(folder->deleted, true);
  EXPECT_TRUE(shownChildren(*folder).empty());
  EXPECT_TRUE(largestChildren(*folder, 10, false).empty());

  MemTree many;
  for (int i = 0; i < 15; ++i) many.file(many.root, "f" + std::to_string(i), 100 + i);
  const auto ten = largestChildren(*many.root, 10, true);
  ASSERT_EQ(ten.size(), 10u);
  EXPECT_EQ(ten.front()->name, "f14");
  EXPECT_EQ(ten.back()->name, "f5");
}

TEST(NodeLists, TitlesCrumbsAndChains) {
  const std::string home = "/home/me";
  MemTree t(home);
  FileNode* docs = t.folder(t.root, "Documents");
  FileNode* deep = t.folder(docs, "deep");
  EXPECT_EQ(folderTitle(*t.root, ScanTarget::home()), QStringLiteral("Home folder"));
  EXPECT_EQ(folderTitle(*t.root, ScanTarget::wholeDisk()), QStringLiteral("Entire disk"));
  EXPECT_EQ(folderTitle(*t.root, ScanTarget::folder("/x/Projects")), QStringLiteral("Projects"));
  EXPECT_EQ(folderTitle(*docs, ScanTarget::home()), QStringLiteral("Documents"));
  EXPECT_EQ(crumbLabel(*t.root, 0, home), QStringLiteral("~"));
  EXPECT_EQ(crumbLabel(*docs, 1, home), QStringLiteral("Documents"));
  MemTree disk("/System/Volumes/Data");
  EXPECT_EQ(crumbLabel(*disk.root, 0, home), QStringLiteral("/"));
  EXPECT_EQ(ancestorChain(deep), (std::vector<FileNode*>{t.root, docs, deep}));
  EXPECT_EQ(ancestorChain(t.root), (std::vector<FileNode*>{t.root}));
}

TEST(NodeLists, DeletionItemsCarryFullPathsAndVerdicts) {
  MemTree t("/tmp/tolvex-never-there");
  FileNode* f = t.file(t.folder(t.root, "sub"), "report.pdf", 4096);
  const SafetyContext safety = SafetyContext::forPlaces(Places::forHome("/tmp"));
  const auto items = deletionItems({f}, safety);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].path, "/tmp/tolvex-never-there/sub/report.pdf");
  EXPECT_EQ(items[0].name, "report.pdf");
  EXPECT_EQ(items[0].size, 4096);
  EXPECT_EQ(items[0].removal, Removal::trash);
  EXPECT_EQ(items[0].verdict, SafetyVerdict::forPath(items[0].path, safety));
  EXPECT_EQ(deletionItems({t.root}, safety)[0].verdict, SafetyVerdict::forPath("/tmp/tolvex-never-there", safety));
}

TEST(NodeLists, ExclusionsAreStoredOnlyWhenTheListCanHoldThem) {
  struct Case {
    std::string path;
    bool storable;
  };
  const Case cases[] = {
      {"/Users/a/b", true},    {"/data/Bilder – 2024", true}, {"/a/line\nbreak", false},
      {"/a/return\rx", false}, {"/a/\xff\xfe", false},        {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(canStoreExclusion(c.path), c.storable) << c.path;
  EXPECT_EQ(exclusionsWith({}, "/x"), QStringLiteral("/x"));
  EXPECT_EQ(exclusionsWith({"/a", "/x"}, "/x"), QStringLiteral("/a\n/x\n/x"));
}

TEST(NodeLists, CellTexts) {
  MemTree t;
  FileNode* folder = t.folder(t.root, "folder");
  t.file(folder, "one.bin", 10);
  for (int i = 0; i < 1233; ++i) add(folder->fileCount, 1);
  FileNode* archive = t.file(t.root, "Archive.TAR.GZ", 10);
  FileNode* readme = t.file(t.root, "README", 10);
  FileNode* dotfile = t.file(t.root, ".bashrc", 10);
  EXPECT_EQ(filesText(*folder), QStringLiteral("1,234"));
  EXPECT_EQ(filesText(*archive), QStringLiteral("\u2014"));
  EXPECT_EQ(kindText(*archive), QStringLiteral("GZ"));
  EXPECT_EQ(kindText(*readme), QStringLiteral("Other"));
  EXPECT_EQ(kindText(*dotfile), QStringLiteral("Other"));
  EXPECT_EQ(shortDateText(0), QStringLiteral("\u2014"));
  EXPECT_EQ(shortDateText(86400), QStringLiteral("\u2014"));
  const double noon = QDateTime(QDate(2024, 3, 5), QTime(12, 0)).toSecsSinceEpoch();
  EXPECT_EQ(shortDateText(noon), QStringLiteral("Mar 5, 2024"));
  set(t.root->smallFilesCount, 1500);
  set(t.root->smallFilesSize, 2'500'000);
  EXPECT_EQ(smallFilesText(*t.root), QStringLiteral("Also: 1,500 small files directly in this folder · 2.5 MB"));
  EXPECT_EQ(fileCountText(12345), QStringLiteral("12,345 files"));
  EXPECT_EQ(selectedText(1), QStringLiteral("1 selected"));
  EXPECT_EQ(bytesText(-5), QStringLiteral("Zero KB"));
  EXPECT_EQ(shareOf(5, 0), 0.0);
  EXPECT_EQ(shareOf(5, 10), 0.5);
  EXPECT_EQ(shareOf(0, 1), 0.0);
}

// A moment is written one way everywhere: abbreviated date, "at", and the locale's short time,
// which never shows seconds (the C locale's own short form does).
TEST(NodeLists, DateAndTimeTextsNeverShowSeconds) {
  const QLocale locales[] = {QLocale(QLocale::English, QLocale::UnitedStates), QLocale::c(),
                             QLocale(QLocale::German, QLocale::Germany),
                             QLocale(QLocale::English, QLocale::UnitedKingdom)};
  const QLocale saved;
  const double at = QDateTime(QDate(2026, 12, 3), QTime(8, 17, 14)).toSecsSinceEpoch();
  for (const QLocale& locale : locales) {
    QLocale::setDefault(locale);
    const QString text = shortDateTimeText(at);
    SCOPED_TRACE(locale.name().toStdString() + ": " + text.toStdString());
    EXPECT_FALSE(text.contains(QStringLiteral("14")));
    EXPECT_TRUE(text.contains(QStringLiteral("8:17")));
    EXPECT_TRUE(text.startsWith(shortDateText(at) + QStringLiteral(" at ")));
  }
  QLocale::setDefault(saved);
  EXPECT_EQ(shortDateTimeText(at), QStringLiteral("Dec 3, 2026 at 8:17 AM"));
  EXPECT_EQ(shortDateTimeText(86400), QStringLiteral("\u2014"));
  EXPECT_EQ(shortDateTimeText(std::nan("")), QStringLiteral("\u2014"));
  EXPECT_EQ(shortTimeText(QTime(23, 5, 59)), QStringLiteral("11:05 PM"));
}

TEST(NodeLists, ColumnsFitTheirRoom) {
  const std::vector<int> minimum{220, 150, 50, 60}, ideal{340, 200, 50, 80};
  EXPECT_EQ(fitColumns(670, minimum, ideal, 0), ideal);
  EXPECT_EQ(fitColumns(870, minimum, ideal, 0), (std::vector<int>{540, 200, 50, 80}));
  EXPECT_EQ(fitColumns(100, minimum, ideal, 0), minimum);
  // The name gives up its room first, so the figures and dates beside it keep theirs.
  EXPECT_EQ(fitColumns(580, minimum, ideal, 0), (std::vector<int>{250, 200, 50, 80}));
  EXPECT_EQ(fitColumns(550, minimum, ideal, 0), (std::vector<int>{220, 200, 50, 80}));
  const auto squeezed = fitColumns(500, minimum, ideal, 0);
  int sum = 0;
  for (size_t i = 0; i < squeezed.size(); ++i) {
    EXPECT_GE(squeezed[i], minimum[i]);
    EXPECT_LE(squeezed[i], ideal[i]);
    sum += squeezed[i];
  }
  EXPECT_EQ(sum, 500);
  EXPECT_EQ(squeezed[0], 220);
  EXPECT_EQ(squeezed[2], 50);
  // The stretch column in the middle is the first to give, too.
  EXPECT_EQ(fitColumns(560, {60, 220, 50}, {80, 340, 50}, 1), (std::vector<int>{80, 430, 50}));
  EXPECT_EQ(fitColumns(400, {60, 220, 50}, {80, 340, 50}, 1), (std::vector<int>{80, 270, 50}));
}

TEST(NodeSort, NumericKeysSortTheSameWithTiesAndOddDates) {
  MemTree t;
  std::vector<FileNode*> nodes;
  for (int i = 0; i < 40; ++i) {
    FileNode* n = t.file(t.root, "f" + std::to_string(i % 7), 100 * (i % 5));
    set(n->modified, i % 3 == 0 ? std::nan("") : 1000.0 * (i % 4));
    nodes.push_back(n);
  }
  for (const SortOrder& order :
       {SortOrder{{NodeKey::size, false}, {NodeKey::name, true}},
        SortOrder{{NodeKey::modified, true}, {NodeKey::size, false}}, SortOrder{{NodeKey::size, true}}}) {
    std::vector<FileNode*> sorted = nodes;
    sortNodes(sorted, order);
    // Each neighbour pair is in order under the comparators, and full ties keep their given order.
    for (size_t i = 1; i < sorted.size(); ++i) {
      int decided = 0;
      for (const NodeComparator& c : order) {
        const int r = compareNodes(*sorted[i - 1], *sorted[i], c.key);
        if (r != 0) {
          decided = c.ascending ? r : -r;
          break;
        }
      }
      EXPECT_LE(decided, 0) << i;
      if (decided == 0) {
        EXPECT_LT(std::find(nodes.begin(), nodes.end(), sorted[i - 1]),
                  std::find(nodes.begin(), nodes.end(), sorted[i]));
      }
    }
  }
}
