// The pure side of the Large & Old and By Type screens: list building, the option tables, the tile
// order, the small-files note, the result line, and the CSV text with its export names.
#include <gtest/gtest.h>

#include "views/MemTree.h"
#include "views/analysis/logic/CsvExport.h"
#include "views/analysis/logic/FileLists.h"
#include "views/analysis/logic/NodeSort.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

constexpr double kNow = 1.8e9;
constexpr double kDay = 86400;

std::vector<std::string> names(const FileList& list) {
  std::vector<std::string> out;
  for (const FileNode* n : list.nodes) out.push_back(n->name);
  return out;
}

FileFilter minSize(int64_t bytes) {
  FileFilter f;
  f.minSize = bytes;
  return f;
}

FileFilter olderThan(int64_t days) {
  FileFilter f;
  f.modifiedOlderThanDays = days;
  return f;
}

}  // namespace

TEST(FileLists, SizeAndAgeOptionsAtTheirBoundaries) {
  MemTree t;
  FileNode* exact = t.file(t.root, "exact.bin", 1'048'576);
  FileNode* under = t.file(t.root, "under.bin", 1'048'575);
  FileNode* month = t.file(t.root, "month.mov", 600'000);
  FileNode* newer = t.file(t.root, "newer.mov", 600'000);
  set(exact->modified, kNow);
  set(under->modified, kNow);
  set(month->modified, kNow - 30 * kDay);
  set(newer->modified, kNow - 30 * kDay + 1);
  const std::vector<FileNode*> files = {exact, under, month, newer};

  struct Case {
    const char* what;
    FileFilter filter;
    std::vector<std::string> listed;
  };
  const Case cases[] = {
      {"any size, any date", FileFilter{}, {"exact.bin", "under.bin", "month.mov", "newer.mov"}},
      {"> 1 MB keeps exactly 1,048,576", minSize(sizeOptions()[1].bytes), {"exact.bin"}},
      {"> 10 MB keeps none", minSize(sizeOptions()[2].bytes), {}},
      {"> 1 month keeps exactly 30 days", olderThan(*ageOptions()[1].days), {"month.mov"}},
      {"> 3 months keeps none", olderThan(*ageOptions()[2].days), {}},
  };
  for (const Case& c : cases) {
    const FileList list = filteredFiles(files, c.filter, kNow);
    EXPECT_EQ(names(list), c.listed) << c.what;
    int64_t total = 0;
    for (const FileNode* n : list.nodes) total += get(n->size);
    EXPECT_EQ(list.totalSize, total) << c.what;
  }
}

TEST(FileLists, OptionTables) {
  std::vector<std::pair<std::string, int64_t>> sizes;
  for (const SizeOption& o : sizeOptions()) sizes.emplace_back(o.title, o.bytes);
  EXPECT_EQ(sizes, (std::vector<std::pair<std::string, int64_t>>{{"Any size", 0},
                                                                 {"> 1 MB", 1048576},
                                                                 {"> 10 MB", 10485760},
                                                                 {"> 100 MB", 104857600},
                                                                 {"> 500 MB", 524288000},
                                                                 {"> 1 GB", 1073741824},
                                                                 {"> 5 GB", 5368709120}}));
  std::vector<std::pair<std::string, std::optional<int64_t>>> ages;
  for (const AgeOption& o : ageOptions()) ages.emplace_back(o.title, o.days);
  EXPECT_EQ(ages, (std::vector<std::pair<std::string, std::optional<int64_t>>>{{"Any date", std::nullopt},
                                                                               {"Unchanged > 1 month", 30},
                                                                               {"> 3 months", 90},
                                                                               {"> 6 months", 180},
                                                                               {"> 1 year", 365},
                                                                               {"> 2 years", 730}}));
}

TEST(FileLists, GoneFilesKindsAndScanOrder) {
  MemTree t;
  FileNode* movies = t.folder(t.root, "Movies");
  FileNode* trip = t.folder(movies, "Trip");
  FileNode* a = t.file(movies, "a.mov", 3 << 20);
  FileNode* inside = t.file(trip, "inside.mov", 9 << 20);  // in a folder deleted later
  FileNode* b = t.file(movies, "b.mov", 1 << 20);
  FileNode* doc = t.file(t.root, "c.pdf", 5 << 20);
  FileNode* removed = t.file(movies, "d.mov", 2 << 20);  // deleted itself
  FileNode* e = t.file(movies, "e.mov", 4 << 20);        // same folder as the deleted one
  set(trip->deleted, true);
  set(removed->deleted, true);
  const std::vector<FileNode*> files = {a, inside, b, doc, removed, e};

  // Scan order is kept, not size order; files gone themselves or with a folder are left out, even
  // when their own neighbours in the list are not.
  EXPECT_EQ(names(filteredFiles(files, FileFilter{}, kNow)),
            (std::vector<std::string>{"a.mov", "b.mov", "c.pdf", "e.mov"}));
  const FileList videos = filteredFiles(files, FileFilter{}, kNow, FileKind::video);
  EXPECT_EQ(names(videos), (std::vector<std::string>{"a.mov", "b.mov", "e.mov"}));
  EXPECT_EQ(videos.totalSize, 8 << 20);
  // The kind limit and the filter's own kinds both apply.
  FileFilter documents;
  documents.kinds = {FileKind::document};
  EXPECT_TRUE(filteredFiles(files, documents, kNow, FileKind::video).nodes.empty());
  EXPECT_EQ(names(filteredFiles(files, documents, kNow)), std::vector<std::string>{"c.pdf"});
  // Everything filtered out: an empty list of size 0.
  const FileList none = filteredFiles(files, minSize(1LL << 40), kNow);
  EXPECT_TRUE(none.nodes.empty());
  EXPECT_EQ(none.totalSize, 0);
  EXPECT_EQ(resultLineText(0, 0), QStringLiteral("0 files · Zero KB"));
  EXPECT_EQ(resultLineText(12345, 1'500'000), QStringLiteral("12,345 files · 1.5 MB"));
}

TEST(FileLists, TileOrderAndTheSmallFilesNote) {
  ScanResult scan;
  scan.kindTotals = {{FileKind::image, 500},
                     {FileKind::audio, 100},
                     {FileKind::archive, 100},
                     {FileKind::video, 0},
                     {FileKind::code, 900}};
  scan.kindCounts = {{FileKind::video, 40}, {FileKind::image, 3}};
  // Largest first; equal totals (audio and archive; the absent kinds and video at 0) keep the
  // declared order; every kind has a tile.
  EXPECT_EQ(kindTileOrder(scan), (std::vector<FileKind>{FileKind::code, FileKind::image, FileKind::audio,
                                                        FileKind::archive, FileKind::document, FileKind::video,
                                                        FileKind::diskImage, FileKind::application, FileKind::other}));
  EXPECT_EQ(kindTotal(scan, FileKind::other), 0);
  EXPECT_EQ(kindCount(scan, FileKind::other), 0);

  FileFilter typed;
  typed.query = "a";
  struct Case {
    const char* what;
    FileKind kind;
    FileFilter filter;
    size_t listed;
    std::optional<int64_t> note;
  };
  const Case cases[] = {
      {"12 of 40 listed", FileKind::video, FileFilter{}, 12, 28},
      {"none listed", FileKind::video, FileFilter{}, 0, 40},
      {"all listed", FileKind::video, FileFilter{}, 40, std::nullopt},
      {"any active filter", FileKind::video, typed, 12, std::nullopt},
      {"a kind the scan did not count", FileKind::audio, FileFilter{}, 0, std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(unlistedSmallFiles(scan, c.kind, c.filter, c.listed), c.note) << c.what;
  EXPECT_EQ(smallFilesNoteText(1234),
            QStringLiteral("Only files over 512 KB are listed. The remaining 1,234 smaller files still count toward "
                           "the totals."));
}

TEST(CsvExport, FieldsAndDates) {
  struct Field {
    std::string in, out;
  };
  const Field fields[] = {
      {"plain", "\"plain\""},
      {"", "\"\""},
      {"a,b", "\"a,b\""},
      {"say \"hi\"", "\"say \"\"hi\"\"\""},
      {"two\nlines\r\n", "\"two\nlines\r\n\""},
      {"café", "\"café\""},
      // Bytes that are not UTF-8 become U+FFFD one by one; the text around them stays.
      {"caf\xE9.txt", "\"caf\xEF\xBF\xBD.txt\""},
      {"\xC3", "\"\xEF\xBF\xBD\""},                                  // a cut sequence
      {"\xC0\xAF", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},                  // an overlong form
      {"\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},  // a surrogate
      {"\xF0\x9F\x93\x81 \xFF\"", "\"\xF0\x9F\x93\x81 \xEF\xBF\xBD\"\"\""},
  };
  for (const Field& f : fields) EXPECT_EQ(csvField(f.in), f.out) << f.in;

  struct Date {
    double seconds;
    const char* text;
  };
  const Date dates[] = {
      {0, "1970-01-01T00:00:00Z"},         {1.8e9, "2027-01-15T08:00:00Z"},
      {951782400, "2000-02-29T00:00:00Z"}, {1709251199.9, "2024-02-29T23:59:59Z"},  // whole seconds, never rounded up
      {-1, "1969-12-31T23:59:59Z"},        {1e300, "9999-12-31T23:59:59Z"},
  };
  for (const Date& d : dates) EXPECT_EQ(isoDateTime(d.seconds), d.text) << d.seconds;
}

TEST(CsvExport, TheWholeFileByteForByte) {
  MemTree t("/System/Volumes/Data");
  FileNode* folder = t.folder(t.folder(t.root, "Users"), "a");
  FileNode* quoted = t.file(folder, "say \"cheese\", please.jpg", 1234567, StorageBucket::images);
  set(quoted->logicalSize, 1200000);
  set(quoted->modified, 0.0);
  FileNode* lines = t.file(folder, "two\nlines.pdf", 600000, StorageBucket::documents);
  set(lines->logicalSize, 599999);
  set(lines->modified, 1.8e9);
  FileNode* odd = t.file(folder, "f\xFF.zip", 700000, StorageBucket::archives);
  set(odd->logicalSize, 7);
  set(odd->modified, 1.8e9 + 0.5);

  EXPECT_EQ(csvText({}), "Path,Name,Bytes on disk,Bytes,Kind,Category,Modified\n");
  EXPECT_EQ(
      csvText({lines, quoted, odd}),
      "Path,Name,Bytes on disk,Bytes,Kind,Category,Modified\n"
      "\"/Users/a/two\nlines.pdf\",\"two\nlines.pdf\",\"600000\",\"599999\",\"Documents\",\"Documents\","
      "\"2027-01-15T08:00:00Z\"\n"
      "\"/Users/a/say \"\"cheese\"\", please.jpg\",\"say \"\"cheese\"\", please.jpg\",\"1234567\",\"1200000\","
      "\"Images\",\"Images & Photos\",\"1970-01-01T00:00:00Z\"\n"
      "\"/Users/a/f\xEF\xBF\xBD.zip\",\"f\xEF\xBF\xBD.zip\",\"700000\",\"7\",\"Archives\",\"Installers & Archives\","
      "\"2027-01-15T08:00:00Z\"\n");

  // The home folder is never abbreviated, the data volume itself is "/", numbers keep every digit
  // and a negative one its sign.
  MemTree home("/home/anna");
  FileNode* big = home.file(home.root, "big.bin", -5);
  EXPECT_EQ(csvLine(*big),
            "\"/home/anna/big.bin\",\"big.bin\",\"-5\",\"0\",\"Other\",\"Other\",\"1970-01-01T00:00:00Z\"\n");
  EXPECT_EQ(csvLine(*t.root).substr(0, 4), "\"/\",");

  EXPECT_EQ(largeFilesExportName(), QStringLiteral("Tolvex-files"));
  EXPECT_EQ(kindExportName(FileKind::video), QStringLiteral("Tolvex-Video"));
  EXPECT_EQ(kindExportName(FileKind::diskImage), QStringLiteral("Tolvex-Disk Images & Installers"));
}

TEST(FileLists, LongListsDoneInPartsGiveTheSameResult) {
  // A few thousand files in folders, some deleted, with many equal sizes, names and dates, so that
  // joining and merging the parts in the wrong order would show.
  MemTree t;
  std::vector<FileNode*> files;
  const char* extensions[] = {".mov", ".pdf", ".jpg", ".zip"};
  for (int folder = 0; folder < 40; ++folder) {
    FileNode* f = t.folder(t.root, "Folder " + std::to_string(folder % 7));
    if (folder % 9 == 4) set(f->deleted, true);
    for (int i = 0; i < 100; ++i) {
      FileNode* n = t.file(f, "file " + std::to_string(i % 13) + extensions[(folder + i) % 4], (i % 5) << 20);
      set(n->modified, kNow - (i % 3) * 400 * kDay);
      if (i % 17 == 0) set(n->deleted, true);
      files.push_back(n);
    }
  }
  FileFilter byName, byPath, old;
  byName.query = "FILE 1";
  byPath.query = "folder 3/file";
  old.modifiedOlderThanDays = 365;
  for (const FileFilter& filter : {FileFilter{}, byName, byPath, old, minSize(2 << 20)}) {
    for (std::optional<FileKind> kind : {std::optional<FileKind>(), std::optional<FileKind>(FileKind::video)}) {
      const FileList whole = filteredFiles(files, filter, kNow, kind, files.size() + 1);
      const FileList parts = filteredFiles(files, filter, kNow, kind, 500);
      EXPECT_EQ(parts.nodes, whole.nodes) << filter.query;
      EXPECT_EQ(parts.totalSize, whole.totalSize) << filter.query;
      EXPECT_FALSE(whole.nodes.empty()) << filter.query;
    }
  }
  for (const SortOrder& order : {defaultSortOrder(), SortOrder{{NodeKey::name, true}, {NodeKey::modified, false}},
                                 SortOrder{{NodeKey::modified, true}}}) {
    std::vector<FileNode*> whole = files, parts = files;
    sortNodes(whole, order, files.size() + 1);
    sortNodes(parts, order, 700);
    EXPECT_EQ(parts, whole);
  }
}
