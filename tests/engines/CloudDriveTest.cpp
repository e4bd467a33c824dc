#include <gtest/gtest.h>

#include <dirent.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

#include "engines/CloudDrive.h"
#include "platform/HomeFolder.h"
#include "platform/Paths.h"
#include "support/FileState.h"
#include "support/MacHome.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

using Status = CloudDownloadingStatus;

// iCloud as a test wants it: resource values by path (every other path reads as a plain local file),
// installed applications by bundle identifier, and evictions that succeed unless told otherwise.
class FakeCloudProvider : public CloudProvider {
 public:
  std::map<std::string, CloudResourceValues> values;
  std::map<std::string, std::string> applications;
  std::map<std::string, std::string> evictionErrors;
  mutable std::vector<std::string> evictions;
  mutable std::vector<std::string> lookups;

  std::optional<CloudResourceValues> resourceValues(const std::string& path) const override {
    if (auto it = values.find(path); it != values.end()) return it->second;
    return local_.resourceValues(path);
  }
  std::optional<std::string> evictUbiquitousItem(const std::string& path) const override {
    evictions.push_back(path);
    if (auto it = evictionErrors.find(path); it != evictionErrors.end()) return it->second;
    return std::nullopt;
  }
  std::optional<std::string> applicationPath(const std::string& identifier) const override {
    lookups.push_back(identifier);
    if (auto it = applications.find(identifier); it != applications.end()) return it->second;
    return std::nullopt;
  }

 private:
  LocalCloudProvider local_{std::vector<std::string>{}};
};

CloudResourceValues downloaded(int64_t allocated, std::optional<bool> uploaded = true, int64_t length = -1) {
  return {true, length < 0 ? allocated : length, allocated, Status::current, uploaded};
}
CloudResourceValues notDownloaded(int64_t length) { return {true, length, 0, Status::notDownloaded, true}; }

// A home folder with "Library/Mobile Documents" and a fake iCloud over it.
class CloudHome {
 public:
  CloudHome() : tree_(home_ / "Library/Mobile Documents") { tree_.folder(""); }

  const std::string& home() const { return home_.home(); }
  std::string base() const { return tree_.base(); }
  std::string path(const std::string& relative) const { return tree_.path(relative); }
  TreeBuilder& tree() { return tree_; }
  FakeCloudProvider& provider() { return provider_; }

  // A real (small) file whose resource values are `values`.
  std::string file(const std::string& relative, const CloudResourceValues& values) {
    const std::string p = tree_.file(relative, 10);
    provider_.values[p] = values;
    return p;
  }

 private:
  TempHome home_;
  TreeBuilder tree_;
  FakeCloudProvider provider_;
};

const CloudFolder* folderAt(const CloudReport& report, const std::string& path) {
  for (const CloudFolder& folder : report.folders)
    if (folder.path == path) return &folder;
  return nullptr;
}

std::vector<std::string> titlesOf(const CloudReport& report) {
  std::vector<std::string> titles;
  for (const CloudFolder& folder : report.folders) titles.push_back(folder.title);
  return titles;
}

std::vector<std::string> listing(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  while (dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(dir);
  return names;
}

}  // namespace

TEST(InspectICloud, UnavailableWithoutMobileDocuments) {
  TempHome home;
  FakeCloudProvider provider;
  CloudReport report = inspectICloud(home.home(), provider);
  EXPECT_FALSE(report.isAvailable);
  EXPECT_TRUE(report.folders.empty());

  // A file where the folder should be cannot be listed either.
  TreeBuilder(home.home()).file("Library/Mobile Documents", 10);
  report = inspectICloud(home.home(), provider);
  EXPECT_FALSE(report.isAvailable);

  // An empty folder is iCloud Drive in use, with nothing in it.
  TempHome other;
  TreeBuilder(other.home()).folder("Library/Mobile Documents");
  report = inspectICloud(other.home(), provider);
  EXPECT_TRUE(report.isAvailable);
  EXPECT_TRUE(report.folders.empty());
}

TEST(InspectICloud, PlaceholdersAloneDoNotKeepAFolder) {
  CloudHome home;
  const std::string top = home.file("com~apple~CloudDocs/Scan.pdf", downloaded(3'000'000));
  home.tree().file("com~apple~CloudDocs/Archive/.x.pdf.icloud", 100);
  home.tree().file("com~apple~CloudDocs/Archive/.y.mov.icloud", 100);

  const CloudReport report = inspectICloud(home.home(), home.provider());
  ASSERT_TRUE(report.isAvailable);
  ASSERT_EQ(report.folders.size(), 1u);
  const CloudFolder& loose = report.folders[0];
  EXPECT_EQ(loose.path, home.path("com~apple~CloudDocs"));
  EXPECT_EQ(loose.title, "Files at the top of iCloud Drive");
  EXPECT_FALSE(loose.isApp);
  EXPECT_EQ(loose.localSize, 3'000'000);
  EXPECT_EQ(loose.cloudOnlySize, 0);
  ASSERT_EQ(loose.items.size(), 1u);
  EXPECT_EQ(loose.items[0], (CloudItem{top, "Scan.pdf", 3'000'000, true}));
}

TEST(AccountCloudFile, EachKindOfFileCountsWhereItBelongs) {
  struct Case {
    std::string name;
    std::optional<CloudResourceValues> values;  // none: they cannot be read
    int64_t local, cloudOnly, cloudOnlyCount;
    std::optional<CloudItem> item;
  };
  TempDir dir;
  const std::string d = dir.path() + "/";
  const Case cases[] = {
      {".Movie.mov.icloud", downloaded(9'000'000), 0, 0, 1, std::nullopt},  // a placeholder, whatever it says
      {".icloud", std::nullopt, 0, 0, 1, std::nullopt},
      {".DS_Store", downloaded(5'000'000), 0, 0, 0, std::nullopt},
      {"unreadable", std::nullopt, 0, 0, 0, std::nullopt},
      {"folder", CloudResourceValues{false, 0, 4096, std::nullopt, std::nullopt}, 0, 0, 0, std::nullopt},
      {"just small", downloaded(999'999), 999'999, 0, 0, std::nullopt},
      {"just large", downloaded(1'000'000), 1'000'000, 0, 0,
       CloudItem{d + "just large", "just large", 1'000'000, true}},
      {"not uploaded", downloaded(2'000'000, false), 2'000'000, 0, 0,
       CloudItem{d + "not uploaded", "not uploaded", 2'000'000, false}},
      {"no upload state", downloaded(2'000'000, std::nullopt), 2'000'000, 0, 0,
       CloudItem{d + "no upload state", "no upload state", 2'000'000, false}},
      {"not in iCloud", CloudResourceValues{true, 1'500'000, 1'503'232, std::nullopt, std::nullopt}, 1'503'232, 0, 0,
       CloudItem{d + "not in iCloud", "not in iCloud", 1'503'232, false}},
      {"dataless", downloaded(0, true, 5'000'000), 0, 5'000'000, 1, std::nullopt},
      {"not downloaded", CloudResourceValues{true, 7'000'000, 7'000'000, Status::notDownloaded, true}, 0, 7'000'000, 1,
       std::nullopt},
      {"not downloaded, no size", CloudResourceValues{true, std::nullopt, 0, Status::notDownloaded, true}, 0, 0, 1,
       std::nullopt},
      {"empty", downloaded(0, true, 0), 0, 0, 0, std::nullopt},
      {"no sizes", CloudResourceValues{true, std::nullopt, std::nullopt, Status::downloaded, true}, 0, 0, 0,
       std::nullopt},
  };
  for (const Case& c : cases) {
    FakeCloudProvider provider;
    const std::string path = d + c.name;
    if (c.values) provider.values[path] = *c.values;
    CloudFolder folder{dir.path(), "title", false, 0, 0, 0, {}};
    accountCloudFile(path, folder, provider);
    EXPECT_EQ(folder.localSize, c.local) << c.name;
    EXPECT_EQ(folder.cloudOnlySize, c.cloudOnly) << c.name;
    EXPECT_EQ(folder.cloudOnlyCount, c.cloudOnlyCount) << c.name;
    EXPECT_EQ(folder.items, c.item ? std::vector<CloudItem>{*c.item} : std::vector<CloudItem>{}) << c.name;
  }
}

TEST(InspectICloud, DriveFoldersContainersTitlesAndOrder) {
  CloudHome home;
  auto& provider = home.provider();
  provider.applications["com.example.pages"] = "/Applications/Pages.app";

  // iCloud Drive: a folder with a package, a hidden file and a nested folder; its Trash and .DS_Store
  // are passed over; a hidden folder is taken; loose files and a placeholder at the top.
  home.file("com~apple~CloudDocs/Documents/Report.pages/Data/preview.jpg", downloaded(1'500'000));
  home.file("com~apple~CloudDocs/Documents/.hidden.bin", downloaded(2'000'000, false));
  home.file("com~apple~CloudDocs/Documents/Old/letter.txt", downloaded(4096));
  home.file("com~apple~CloudDocs/Documents/Old/movie.mov", notDownloaded(8'000'000));
  home.tree().symlink(home.path("com~apple~CloudDocs/Documents/.hidden.bin"), "com~apple~CloudDocs/Documents/link");
  home.file("com~apple~CloudDocs/.Trash/deleted.bin", downloaded(50'000'000));
  home.file("com~apple~CloudDocs/.DS_Store", downloaded(60'000'000));
  home.file("com~apple~CloudDocs/.hidden folder/a.bin", downloaded(1'200'000));
  home.file("com~apple~CloudDocs/loose.zip", downloaded(1'100'000));
  home.tree().file("com~apple~CloudDocs/.later.key.icloud", 10);
  home.tree().symlink("nowhere", "com~apple~CloudDocs/dangling");
  // Application containers.
  home.file("iCloud~com~example~notes/Documents/db.sqlite", downloaded(900'000));
  home.file("iCloud~com~example~notes/Documents/attachment.png", downloaded(3'000'000));
  home.file("ABCDE12345~com~example~app/Documents/state.bin", downloaded(0, true, 10'000'000));
  home.file("iCloud~com~example~pages/Documents/Essay.pages", downloaded(1'300'000));
  home.tree().file("iCloud~com~example~empty/Documents/.a.icloud", 10);
  home.file(".hidden~container/Documents/big.bin", downloaded(99'000'000));

  const CloudReport report = inspectICloud(home.home(), provider);
  ASSERT_TRUE(report.isAvailable);

  const CloudFolder* documents = folderAt(report, home.path("com~apple~CloudDocs/Documents"));
  ASSERT_TRUE(documents);
  EXPECT_EQ(documents->title, "Documents");
  EXPECT_FALSE(documents->isApp);
  EXPECT_EQ(documents->localSize, 1'500'000 + 2'000'000 + 4096);
  EXPECT_EQ(documents->cloudOnlySize, 8'000'000);
  EXPECT_EQ(documents->cloudOnlyCount, 1);
  ASSERT_EQ(documents->items.size(), 2u);  // largest first
  EXPECT_EQ(documents->items[0].name, ".hidden.bin");
  EXPECT_EQ(documents->items[1].name, "preview.jpg");
  EXPECT_EQ(documents->evictableSize(), 1'500'000);  // the hidden file is not uploaded yet

  const CloudFolder* hidden = folderAt(report, home.path("com~apple~CloudDocs/.hidden folder"));
  ASSERT_TRUE(hidden);
  EXPECT_EQ(hidden->title, ".hidden folder");

  const CloudFolder* loose = folderAt(report, home.path("com~apple~CloudDocs"));
  ASSERT_TRUE(loose);
  EXPECT_EQ(loose->localSize, 1'100'000);
  EXPECT_EQ(loose->cloudOnlyCount, 1);

  EXPECT_FALSE(folderAt(report, home.path("com~apple~CloudDocs/.Trash")));
  EXPECT_FALSE(folderAt(report, home.path("iCloud~com~example~empty")));  // placeholders only
  EXPECT_FALSE(folderAt(report, home.path(".hidden~container")));

  const CloudFolder* app = folderAt(report, home.path("ABCDE12345~com~example~app"));
  ASSERT_TRUE(app);
  EXPECT_TRUE(app->isApp);
  EXPECT_EQ(app->localSize, 0);
  EXPECT_EQ(app->cloudOnlySize, 10'000'000);

  // Largest local use first; a folder with only iCloud bytes comes last.
  EXPECT_EQ(titlesOf(report), (std::vector<std::string>{"Notes", "Documents", "Pages", ".hidden folder",
                                                        "Files at the top of iCloud Drive", "App"}));
  EXPECT_EQ(totalEvictableSize(report.folders), 3'000'000 + 1'500'000 + 1'300'000 + 1'200'000 + 1'100'000);
}

TEST(InspectICloud, EqualFoldersKeepTheListingOrder) {
  CloudHome home;
  const std::vector<std::string> names = {"iCloud~org~one~alpha", "iCloud~org~two~beta", "iCloud~org~three~gamma",
                                          "iCloud~org~four~delta"};
  for (const std::string& name : names) home.file(name + "/Documents/file", downloaded(2'000'000));
  home.file("iCloud~org~five~bigger/Documents/file", downloaded(2'000'001));

  std::vector<std::string> expected = {"Bigger"};
  for (const std::string& name : listing(home.base()))
    if (name != "iCloud~org~five~bigger") expected.push_back(cloudFolderTitle(name, home.provider()));
  EXPECT_EQ(titlesOf(inspectICloud(home.home(), home.provider())), expected);
}

TEST(CloudFolderTitle, ContainerNamesToTitles) {
  FakeCloudProvider provider;
  provider.applications["com.example.pages"] = "/Applications/Pages.app";
  provider.applications["com.example.studio"] = "/Applications/My.application Studio.app";
  const std::pair<std::string, std::string> cases[] = {
      {"iCloud~com~example~notes", "Notes"},
      {"ABCDE12345~com~example~app", "App"},
      {"iCloud~com~example~pages", "Pages"},
      {"iCloud~com~example~studio", "My.application Studio"},  // only the bundle's own ".app" goes
      {"57T9237FN3~net~whatsapp~WhatsApp", "WhatsApp"},
      {"com~example~tool", "Tool"},          // a lower-case first part is kept
      {"Team1~com~example~thing", "Thing"},  // not a team identifier, but its last part is still the title
      {"iCloud~~com~~example~~x", "X"},      // empty parts do not count
      {"iCloud", "ICloud"},
      {"~~", "~~"},
      {"iCloud~com~example~\xC3\xA9t\xC3\xA9", "\xC3\x89t\xC3\xA9"},  // "été" gives "Été"
      {"iCloud~com~example~\xFFx", "\xFFx"},                          // bytes that are not UTF-8 stay
  };
  for (const auto& [name, title] : cases) EXPECT_EQ(cloudFolderTitle(name, provider), title) << name;

  // The identifier looked up is the parts after the prefix joined with "."; an empty one is never looked up.
  provider.lookups.clear();
  cloudFolderTitle("ABCDE12345~com~example~app", provider);
  cloudFolderTitle("iCloud", provider);
  cloudFolderTitle("ABCDE12345", provider);
  EXPECT_EQ(provider.lookups, std::vector<std::string>{"com.example.app"});
}

TEST(EvictICloudItems, EveryItemEndsEvictedOrAsAFailure) {
  FakeCloudProvider provider;
  provider.evictionErrors["/c/failing"] = "The file is in use.";
  const std::vector<CloudItem> items = {
      {"/c/not uploaded", "not uploaded", 4'000'000, false},
      {"/c/first", "first", 2'000'000, true},
      {"/c/failing", "failing", 3'000'000, true},
      {"/c/second", "second", 1'000'000, true},
  };
  const EvictionReport report = evictICloudItems(items, provider);
  EXPECT_EQ(report.freed, 3'000'000);
  EXPECT_EQ(report.evicted, (std::vector<std::string>{"/c/first", "/c/second"}));
  ASSERT_EQ(report.failures.size(), 2u);
  EXPECT_EQ(report.failures[0].path, "/c/not uploaded");
  EXPECT_EQ(report.failures[0].reason, "Not uploaded to iCloud yet.");
  EXPECT_EQ(report.failures[1].path, "/c/failing");
  EXPECT_EQ(report.failures[1].reason, "The file is in use.");
  EXPECT_NE(report.failures[0].id, report.failures[1].id);
  EXPECT_EQ(report.failures[0].id.size(), 36u);
  // The item iCloud does not hold whole is never handed to the system.
  EXPECT_EQ(provider.evictions, (std::vector<std::string>{"/c/first", "/c/failing", "/c/second"}));

  EXPECT_EQ(evictICloudItems({}, provider).freed, 0);
}

TEST(LocalCloudProvider, NoFileIsAnICloudItemAndNothingIsEvicted) {
  CloudHome home;
  const std::string file = home.tree().file("com~apple~CloudDocs/Documents/big.bin", 1'200'000);
  home.tree().symlink(file, "com~apple~CloudDocs/Documents/link");
  LocalCloudProvider provider(std::vector<std::string>{});

  const auto values = provider.resourceValues(file);
  ASSERT_TRUE(values);
  EXPECT_TRUE(values->isRegularFile);
  EXPECT_EQ(values->fileSize, 1'200'000);
  EXPECT_EQ(values->totalFileAllocatedSize, allocatedSize(file));
  EXPECT_EQ(values->downloadingStatus, std::nullopt);
  EXPECT_EQ(values->isUploaded, std::nullopt);
  EXPECT_FALSE(provider.resourceValues(home.path("com~apple~CloudDocs/Documents/link"))->isRegularFile);
  EXPECT_FALSE(provider.resourceValues(home.path("missing")));

  // The system's own inspection and eviction: the file counts as downloaded, is never uploaded, and is
  // never touched, even when an item claims otherwise.
  const CloudReport report = inspectICloud(home.home());
  ASSERT_EQ(report.folders.size(), 1u);
  EXPECT_EQ(report.folders[0].localSize, allocatedSize(file));
  ASSERT_EQ(report.folders[0].items.size(), 1u);
  EXPECT_FALSE(report.folders[0].items[0].isUploaded);
  EXPECT_EQ(report.folders[0].evictableSize(), 0);

  const FileState before = fileState(file);
  CloudItem claimed = report.folders[0].items[0];
  claimed.isUploaded = true;
  const EvictionReport eviction = evictICloudItems({report.folders[0].items[0], claimed});
  EXPECT_EQ(eviction.freed, 0);
  EXPECT_TRUE(eviction.evicted.empty());
  ASSERT_EQ(eviction.failures.size(), 2u);
  EXPECT_EQ(eviction.failures[0].reason, kNotUploadedReason);
  EXPECT_EQ(eviction.failures[1].reason, kNotInICloudReason);
  EXPECT_EQ(fileState(file), before);
}

TEST(LocalCloudProvider, FindsApplicationsByBundleIdentifier) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  writeAppBundle(dir / "first/Pages.app", std::string("com.example.pages"));
  writeAppBundle(dir / "second/Pages Copy.app", std::string("com.example.pages"));
  writeAppBundle(dir / "second/Keynote.app", std::string("com.example.keynote"), true);
  writeAppBundle(dir / "second/Unnamed.app", std::nullopt);
  writeAppBundle(dir / "second/Deep/Numbers.app", std::string("com.example.numbers"));
  tree.file("second/Fake.app", 100);
  LocalCloudProvider provider({dir / "missing", dir / "first", dir / "second"});

  EXPECT_EQ(provider.applicationPath("com.example.pages"), dir / "first/Pages.app");
  EXPECT_EQ(provider.applicationPath("com.example.keynote"), dir / "second/Keynote.app");
  EXPECT_EQ(provider.applicationPath("com.example.numbers"), std::nullopt);  // only directly inside a folder
  EXPECT_EQ(provider.applicationPath("com.example.other"), std::nullopt);
  EXPECT_EQ(provider.applicationPath(""), std::nullopt);
}
