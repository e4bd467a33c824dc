#include <gtest/gtest.h>

#include "model/FileKind.h"
#include "model/StorageBucket.h"
#include "platform/Paths.h"

using namespace tolvex;
using B = StorageBucket;
using OB = std::optional<StorageBucket>;

TEST(FileKind, TablesAreComplete) {
  EXPECT_EQ(extensionKindCount(), 183u);
  EXPECT_EQ(packageExtensionCount(), 32u);
  EXPECT_EQ(developerFolderNameCount(), 23u);
  EXPECT_STREQ(title(FileKind::diskImage), "Disk Images & Installers");
  EXPECT_EQ(fileKindFromRaw(8), FileKind::other);
  EXPECT_EQ(fileKindFromRaw(9), std::nullopt);
}

TEST(FileKind, KindForFileName) {
  struct Case {
    std::string name;
    FileKind kind;
  };
  const Case cases[] = {
      {".bashrc", FileKind::other},            // a leading dot is no extension
      {"archive.tar.gz", FileKind::archive},   // the last dot decides
      {"name.", FileKind::other},              // empty extension
      {"PHOTO.JPG", FileKind::image},          // looked up in lower case
      {"a.abcdefghijklm", FileKind::other},    // 13 bytes is too long
      {"a.sparseimage", FileKind::diskImage},  // 11 bytes
      {"sample.exs", FileKind::code},          // later list wins over audio
      {"x", FileKind::other},
      {"", FileKind::other},
      {"a.c", FileKind::code},
      {"Movie.MKV", FileKind::video},
      {"song.flac", FileKind::audio},
      {"report.pdf", FileKind::document},
      {"noext", FileKind::other},
      {"setup.pkg", FileKind::diskImage},
      {"\xff\xfe.png", FileKind::image},  // name bytes need not be UTF-8
      {"x.\xc3\x89XE", FileKind::other},
  };
  for (const auto& c : cases) EXPECT_EQ(kindForFileName(c.name), c.kind) << c.name;
}

TEST(StorageBucket, TitlesDetailsAndSymbols) {
  EXPECT_STREQ(title(B::junk), "Caches & Temporary Files");
  EXPECT_STREQ(detail(B::archives), "DMG, PKG, ZIP\u2026 usually safe to delete after installing.");
  EXPECT_STREQ(detail(B::other), "Everything that doesn\u2019t fit another category.");
  EXPECT_STREQ(symbol(B::images), "photo.on.rectangle.angled");
  EXPECT_EQ(storageBucketFromRaw(11), B::other);
  EXPECT_EQ(storageBucketFromRaw(12), std::nullopt);
  EXPECT_EQ(bucketForKind(FileKind::code), B::documents);
  EXPECT_EQ(bucketForKind(FileKind::diskImage), B::archives);
}

namespace {
OB judge(const std::string& path, OB inherited = std::nullopt) {
  auto components = pathComponents(path);
  return bucketForPath(components, lastPathComponent(path), inherited);
}
}  // namespace

TEST(StorageBucket, BucketForPathRulesInOrder) {
  struct Case {
    const char* path;
    OB inherited;
    OB expected;
  };
  const Case cases[] = {
      // 1–5: names decide first, even inside a junk folder.
      {"/Users/x/Library/Caches/Old.app", B::junk, B::applications},
      {"/Users/x/Library/Caches/P.photoslibrary", B::junk, B::images},
      {"/Users/x/Pictures/P.photolibrary", std::nullopt, B::images},
      {"/Users/x/Music/M.musiclibrary", std::nullopt, B::audio},
      {"/Users/x/Music/S.logicx", std::nullopt, B::audio},
      {"/Users/x/Music/G.band", std::nullopt, B::audio},
      {"/Users/x/Movies/F.fcpbundle", std::nullopt, B::video},
      {"/Users/x/Movies/I.imovielibrary", std::nullopt, B::video},
      {"/Users/x/Movies/T.tvlibrary", std::nullopt, B::video},
      {"/Users/x/Archives/A.xcarchive", B::junk, B::developer},
      // 6: inheritance, except appData, system and other.
      {"/Users/x/Library/Caches/anything", B::junk, B::junk},
      {"/Applications/X.app/Contents/node_modules", B::applications, B::applications},
      {"/Users/x/Library/Application Support/node_modules", B::appData, B::developer},
      {"/System/Library/x", B::system, B::system},
      // 7: developer names.
      {"/Users/x/code/node_modules", std::nullopt, B::developer},
      {"/Users/x/code/go", std::nullopt, B::developer},
      {"/Users/x/code/Go", std::nullopt, std::nullopt},
      // 8: the root.
      {"/", B::trash, B::trash},
      {"/", std::nullopt, std::nullopt},
      // 9: Users.
      {"/Users", std::nullopt, std::nullopt},
      {"/Users/x", B::appData, B::appData},
      {"/Users/x", std::nullopt, std::nullopt},
      {"/Users/x/.Trash", std::nullopt, B::trash},
      {"/Users/x/Library", std::nullopt, B::appData},
      {"/Users/x/Library/Caches", B::appData, B::junk},
      {"/Users/x/Library/Logs", B::appData, B::junk},
      {"/Users/x/Library/HTTPStorages", B::appData, B::junk},
      {"/Users/x/Library/Saved Application State", B::appData, B::junk},
      {"/Users/x/Library/Developer", B::appData, B::developer},
      {"/Users/x/Library/Mail", B::appData, std::nullopt},
      {"/Users/x/Library/Messages", B::appData, std::nullopt},
      {"/Users/x/Library/Mobile Documents", B::appData, std::nullopt},
      {"/Users/x/Library/CloudStorage", B::appData, std::nullopt},
      {"/Users/x/Library/Application Support", B::appData, B::appData},
      {"/Users/x/Applications", std::nullopt, std::nullopt},
      {"/Users/x/Documents", std::nullopt, std::nullopt},
      {"/Users/x/Documents/sub", B::appData, B::appData},
      // 10–15.
      {"/Applications", std::nullopt, std::nullopt},
      {"/Library", std::nullopt, B::system},
      {"/Library/Caches", B::system, B::junk},
      {"/Library/Logs", B::system, B::junk},
      {"/Library/Developer", B::system, B::developer},
      {"/Library/Fonts", B::system, B::system},
      {"/private", std::nullopt, B::system},
      {"/private/var/folders", B::system, B::junk},
      {"/private/var/log", B::system, B::junk},
      {"/private/var", B::system, B::system},
      {"/private/tmp", B::system, B::junk},
      {"/private/etc", B::system, B::system},
      {"/usr/local", std::nullopt, B::developer},
      {"/opt/homebrew", std::nullopt, B::developer},
      {"/System", std::nullopt, B::system},
      {"/cores", std::nullopt, B::system},
      {"/.Spotlight-V100", std::nullopt, B::system},
      {"/MobileSoftwareUpdate", std::nullopt, B::system},
      {"/Volumes/Disk", std::nullopt, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(judge(c.path, c.inherited), c.expected) << c.path;
}

TEST(PathClassifier, JudgesTheHomeFolderAsAMacUserFolder) {
  const PathClassifier classifier("/home/alice", "/home/alice/.local/share/Trash");
  auto classify = [&](const std::string& path, OB inherited) {
    return classifier.classify(path, lastPathComponent(path), inherited);
  };
  struct Case {
    const char* path;
    OB inherited;
    OB expected;
  };
  const Case cases[] = {
      {"/home/alice", std::nullopt, std::nullopt},
      {"/home/alice/Library", std::nullopt, B::appData},
      {"/home/alice/Library/Caches", B::appData, B::junk},
      {"/home/alice/.Trash", std::nullopt, B::trash},
      {"/home/alice/.cache", std::nullopt, B::junk},
      {"/home/alice/.config", std::nullopt, B::appData},
      {"/home/alice/.local", std::nullopt, B::appData},
      {"/home/alice/.local/share/Trash", B::appData, B::trash},
      {"/home/alice/.local/share/Trash/files", B::trash, B::trash},
      {"/home/alice/Documents", std::nullopt, std::nullopt},
      {"/home/alice/code/node_modules", std::nullopt, B::developer},
      {"/home/alicex/Library", std::nullopt, std::nullopt},  // not inside the home folder
      {"/home", std::nullopt, std::nullopt},
      // Linux places at the root.
      {"/usr", std::nullopt, B::system},
      {"/usr/share", B::system, B::system},
      {"/usr/local", std::nullopt, B::developer},
      {"/etc", std::nullopt, B::system},
      {"/boot", std::nullopt, B::system},
      {"/lib64", std::nullopt, B::system},
      {"/snap", std::nullopt, B::system},
      {"/var", std::nullopt, std::nullopt},
      {"/var/lib", std::nullopt, B::system},
      {"/var/tmp", std::nullopt, B::junk},
      {"/var/cache", std::nullopt, B::junk},
      {"/var/log", std::nullopt, B::junk},
      {"/tmp", std::nullopt, B::junk},
      {"/opt/tool", std::nullopt, B::developer},
      // Name rules still come first.
      {"/usr/share/Thing.app", B::system, B::applications},
      {"/var/cache/x.photoslibrary", B::junk, B::images},
  };
  for (const auto& c : cases) EXPECT_EQ(classify(c.path, c.inherited), c.expected) << c.path;
}

TEST(PathClassifier, MacLikePathsOutsideTheHomeKeepTheirRules) {
  const PathClassifier classifier("/root", "/root/.local/share/Trash");
  EXPECT_EQ(classifier.classify("/Users/x/Library/Caches", "Caches", B::appData), B::junk);
  EXPECT_EQ(classifier.classify("/root/Library/Logs", "Logs", B::appData), B::junk);
  EXPECT_EQ(classifier.classify("/Library/Fonts", "Fonts", B::system), B::system);
}
