#include <gtest/gtest.h>

#include "platform/AtomicFile.h"
#include "platform/Bundle.h"
#include "platform/RunningApps.h"
#include "support/MacHome.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"

using namespace tolvex;
using namespace tolvex::test;

TEST(BundleIdentifier, ReadsXmlAndBinaryInfoPlists) {
  struct Case {
    const char* name;
    std::string bytes;
    std::optional<std::string> identifier;
  };
  const std::string xmlWithNumber =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
      "<key>CFBundleIdentifier</key><integer>7</integer></dict></plist>";
  const std::string xmlArray =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><array>"
      "<string>com.example.App</string></array></plist>";
  const Case cases[] = {
      {"xml", infoPlistBytes("com.example.App", false), "com.example.App"},
      {"binary", infoPlistBytes("com.example.Binary", true), "com.example.Binary"},
      {"non-ASCII", infoPlistBytes("com.example.caf\xC3\xA9", true), "com.example.caf\xC3\xA9"},
      {"no identifier", infoPlistBytes(std::nullopt, false), std::nullopt},
      {"empty identifier", infoPlistBytes("", true), std::nullopt},
      {"blank identifier", infoPlistBytes(" \t\n", false), std::nullopt},
      {"identifier with inner space", infoPlistBytes("com.example. App", false), "com.example. App"},
      {"identifier not a string", xmlWithNumber, std::nullopt},
      {"root not a dictionary", xmlArray, std::nullopt},
      {"garbage", "this is not a property list at all", std::nullopt},
      {"truncated binary", infoPlistBytes("com.example.App", true).substr(0, 20), std::nullopt},
      {"empty", "", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(bundleIdentifierFromPlist(c.bytes), c.identifier) << c.name;
}

TEST(BundleIdentifier, ADamagedPlistThatOnceStoppedTheProcessIsRead) {
  // Found by fuzzing: reading every key of this binary plist made the plist library abort.
  auto bytes = readWholeFile(TOLVEX_SOURCE_DIR "/fuzz/seeds/plist_read/damaged-strings.bplist");
  ASSERT_TRUE(bytes);
  auto strings = infoStringsFromPlist(*bytes);
  ASSERT_TRUE(strings);
  EXPECT_EQ(*strings, (std::map<std::string, std::string>{{"CFBundleExecutable", "Editor"}}));
}

TEST(BundleIdentifier, ReadsContentsInfoPlistOfABundle) {
  TempDir dir;
  writeAppBundle(dir / "Xml.app", "com.example.Xml");
  writeAppBundle(dir / "Bin.app", "com.example.Bin", true);
  TreeBuilder(dir.path()).folder("Empty.app/Contents");
  EXPECT_EQ(bundleIdentifier(dir / "Xml.app"), "com.example.Xml");
  EXPECT_EQ(bundleIdentifier(dir / "Bin.app"), "com.example.Bin");
  EXPECT_EQ(bundleIdentifier(dir / "Empty.app"), std::nullopt);
  EXPECT_EQ(bundleIdentifier(dir / "Missing.app"), std::nullopt);
}

TEST(OpenBundle, ReadsTheTextValuesOfEitherLayout) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  writeApp(dir / "Full.app", {.identifier = "com.example.Full", .displayName = "Full Editor", .executable = "Full"},
           true);
  // The flat layout: Info.plist at the top, the executable beside it.
  tree.folder("Flat.app");
  ASSERT_EQ(writeFileAtomically(dir / "Flat.app/Info.plist", infoPlistBytes("com.example.Flat", false)), 0);
  // Values that are not text are left out of the dictionary.
  tree.folder("Typed.app/Contents");
  ASSERT_EQ(writeFileAtomically(dir / "Typed.app/Contents/Info.plist",
                                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                                "<key>CFBundleDisplayName</key><integer>3</integer>"
                                "<key>CFBundleName</key><string>Typed</string>"
                                "<key>CFBundleExecutable</key><string>../../evil</string>"
                                "<key>CFBundleIdentifier</key><array/></dict></plist>"),
            0);
  tree.folder("Bare.app/Contents");
  tree.file("File.app");

  auto full = openBundle(dir / "Full.app");
  ASSERT_TRUE(full);
  EXPECT_EQ(full->identifier, "com.example.Full");
  EXPECT_EQ(full->infoString("CFBundleDisplayName"), "Full Editor");
  EXPECT_EQ(full->executablePath(), dir / "Full.app/Contents/MacOS/Full");

  auto flat = openBundle(dir / "Flat.app");
  ASSERT_TRUE(flat);
  EXPECT_EQ(flat->identifier, "com.example.Flat");
  EXPECT_EQ(flat->infoString("CFBundleName"), "Example");
  EXPECT_EQ(bundleIdentifier(dir / "Flat.app"), "com.example.Flat");

  auto typed = openBundle(dir / "Typed.app");
  ASSERT_TRUE(typed);
  EXPECT_EQ(typed->info,
            (std::map<std::string, std::string>{{"CFBundleExecutable", "../../evil"}, {"CFBundleName", "Typed"}}));
  EXPECT_EQ(typed->identifier, std::nullopt);
  EXPECT_EQ(typed->executablePath(), std::nullopt);  // not a plain file name

  // A folder without Info.plist still opens, with nothing in it; a file is no bundle.
  auto bare = openBundle(dir / "Bare.app");
  ASSERT_TRUE(bare);
  EXPECT_TRUE(bare->info.empty());
  EXPECT_EQ(bare->identifier, std::nullopt);
  EXPECT_EQ(bare->executablePath(), std::nullopt);
  EXPECT_FALSE(openBundle(dir / "File.app"));
  EXPECT_FALSE(openBundle(dir / "Missing.app"));
}

TEST(RunningApps, BundleOfAnExecutableIsItsInnermostApp) {
  struct Case {
    const char* executable;
    std::optional<std::string> bundle;
  };
  const Case cases[] = {
      {"/Applications/Foo.app/Contents/MacOS/Foo", "/Applications/Foo.app"},
      {"/Applications/Foo.app/Contents/Frameworks/Helper.app/Contents/MacOS/Helper",
       "/Applications/Foo.app/Contents/Frameworks/Helper.app"},
      {"/opt/Foo.app/Contents/MacOS/Foo (deleted)", "/opt/Foo.app"},
      {"/usr/bin/bash", std::nullopt},
      {"/opt/Foo.app", std::nullopt},  // the bundle itself is not an executable inside it
      {"/opt/.app/bin", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(bundleOfExecutable(c.executable), c.bundle) << c.executable;
}

TEST(RunningApps, ListsIdentifiersOfProcessesRunFromBundles) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  writeAppBundle(dir / "Apps/One.app", "com.example.One");
  writeAppBundle(dir / "Apps/Two.app", "com.example.Two", true);
  writeAppBundle(dir / "Apps/NoId.app", std::nullopt);
  // A fake /proc: PID/exe links, the way the kernel shows them.
  tree.symlink(dir / "Apps/One.app/Contents/MacOS/One", "proc/100/exe");
  tree.symlink(dir / "Apps/One.app/Contents/MacOS/One", "proc/101/exe");
  tree.symlink(dir / "Apps/Two.app/Contents/MacOS/Two (deleted)", "proc/200/exe");
  tree.symlink(dir / "Apps/NoId.app/Contents/MacOS/NoId", "proc/300/exe");
  tree.symlink("/usr/bin/bash", "proc/400/exe");
  tree.symlink(dir / "Apps/Two.app/Contents/MacOS/Two", "proc/self/exe");  // not a process number
  tree.folder("proc/500");                                                 // no exe to read
  EXPECT_EQ(runningApplicationIdentifiers(dir / "proc"),
            (std::vector<std::string>{"com.example.One", "com.example.Two"}));
  EXPECT_TRUE(runningApplicationIdentifiers(dir / "no-proc").empty());
  // The real /proc can be read (this test runs from no bundle).
  EXPECT_NO_FATAL_FAILURE(runningApplicationIdentifiers());
}
