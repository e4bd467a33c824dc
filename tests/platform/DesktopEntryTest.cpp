#include <gtest/gtest.h>

#include <unistd.h>

#include "platform/AtomicFile.h"
#include "platform/DesktopEntry.h"
#include "platform/DesktopFiles.h"
#include "platform/HomeFolder.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

DesktopEntry parsed(std::string_view text) {
  DesktopEntryRead read = DesktopEntry::parse(text);
  EXPECT_TRUE(read.entry) << read.reason;
  return read.entry ? *read.entry : DesktopEntry::parse("[Desktop Entry]\n").entry.value();
}

void write(const std::string& path, const std::string& text) {
  ASSERT_TRUE(makeFolders(path.substr(0, path.rfind('/'))));
  ASSERT_EQ(writeFileAtomically(path, text), 0);
}

std::string app(const std::string& name, const std::string& extra = "") {
  return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + name + "\n" + extra;
}

}  // namespace

TEST(DesktopEntry, ReadsGroupsKeysAndLocalisedValues) {
  const DesktopEntry entry = parsed(
      "# comment\n\n[Desktop Entry]\r\nType = Application\nName=Files\nName[de]=Dateien\nName[sr@latin]=Datoteke\n"
      "Name[pt_BR]=Arquivos\nComment=a\\sb\\nc\\\\d\\q\n  # indented comment\n"
      "[Desktop Action new]\nName=New Window\nExec=files --new\n");
  EXPECT_EQ(entry.string("Type"), "Application");
  EXPECT_EQ(entry.string("Comment"), "a b\nc\\d\\q");
  EXPECT_EQ(entry.string("Exec", "Desktop Action new"), "files --new");
  EXPECT_FALSE(entry.string("Exec"));
  const struct {
    const char* locale;
    const char* name;
  } cases[] = {
      {"de_DE.UTF-8", "Dateien"}, {"pt_BR.UTF-8", "Arquivos"}, {"pt_PT", "Files"},
      {"sr_RS.UTF-8@latin", "Datoteke"}, {"sr_RS", "Files"}, {"C", "Files"}, {"", "Files"},
  };
  for (const auto& c : cases) EXPECT_EQ(entry.localeString("Name", localeCandidates(c.locale)), c.name) << c.locale;
  EXPECT_EQ(localeCandidates("sr_RS.UTF-8@latin"), (std::vector<std::string>{"sr_RS@latin", "sr_RS", "sr@latin", "sr"}));
}

TEST(DesktopEntry, ListsBooleansAndPrefixes) {
  const DesktopEntry entry = parsed(
      "[Desktop Entry]\nCategories=GNOME;GTK;Utility;\nKeywords=a\\;b;c\\\\;;d\nOnlyShowIn=KDE\n"
      "NoDisplay=True\nHidden=true\nX-AppImage-Version=1.2\n");
  EXPECT_EQ(entry.list("Categories"), (std::vector<std::string>{"GNOME", "GTK", "Utility"}));
  EXPECT_EQ(entry.list("Keywords"), (std::vector<std::string>{"a;b", "c\\", "", "d"}));
  EXPECT_EQ(entry.list("OnlyShowIn"), std::vector<std::string>{"KDE"});
  EXPECT_TRUE(entry.list("Missing").empty());
  EXPECT_FALSE(entry.boolean("NoDisplay")) << "only the exact value true is true";
  EXPECT_TRUE(entry.boolean("Hidden"));
  EXPECT_TRUE(entry.hasKeyWithPrefix("X-AppImage-"));
  EXPECT_FALSE(entry.hasKeyWithPrefix("X-Flatpak"));
}

TEST(DesktopEntry, RefusesWhatIsNotAnEntryWithAReason) {
  const struct {
    std::string bytes;
    const char* reason;
  } cases[] = {
      {"Name=x\n[Desktop Entry]\n", "before the first group"},
      {"[Desktop Entry]\nthis is not a key\n", "Line 2 is not"},
      {"[Desktop Entry\nName=x\n", "Line 1 is not"},
      {"[Desktop Entry] trailing\n", "Line 1 is not"},
      {"[Desktop Entry]\n=value\n", "Line 2 is not"},
      {"[Desktop Entry]\nNa me=x\n", "Line 2 is not"},
      {"[Other]\nName=x\n", "no [Desktop Entry] group"},
      {std::string("[Desktop Entry]\nName=a\0b\n", 24), "NUL byte"},
      {"[Desktop Entry]\nName=\xff\xfe\n", "not UTF-8"},
      {"[Desktop Entry]\nName=\xc3\n", "not UTF-8"},
      {"[Desktop Entry]\nName=" + std::string(DesktopEntry::kMaximumSize, 'x') + "\n", "larger than 1 MB"},
  };
  for (const auto& c : cases) {
    const DesktopEntryRead read = DesktopEntry::parse(c.bytes);
    EXPECT_FALSE(read.entry) << c.bytes.substr(0, 40);
    EXPECT_NE(read.reason.find(c.reason), std::string::npos) << read.reason;
  }
}

TEST(DesktopEntry, ExecArgumentsQuotingAndFieldCodes) {
  using Args = std::vector<std::string>;
  const struct {
    const char* exec;  // with its string escapes already resolved
    std::optional<Args> arguments;
  } cases[] = {
      {"gimp-2.10 %U", Args{"gimp-2.10"}},
      {"vlc --started-from-file %F", Args{"vlc", "--started-from-file"}},
      {"app --file=%f --name %c --icon %i %k", Args{"app", "--file=", "--name", "--icon"}},
      {"\"/opt/My App/run\" --x", Args{"/opt/My App/run", "--x"}},
      {"sh -c \"echo \\\"hi\\\" \\$HOME \\\\ \\`x\\`\"", Args{"sh", "-c", "echo \"hi\" $HOME \\ `x`"}},
      {"printf 100%%", Args{"printf", "100%"}},
      {"app \"\" end", Args{"app", "", "end"}},
      {"  spaced    out  ", Args{"spaced", "out"}},
      {"app \"unclosed", std::nullopt},
      {"%U", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(execArguments(c.exec), c.arguments) << c.exec;
  EXPECT_EQ(execProgram({"env", "GDK_BACKEND=x11", "LANG=C", "/opt/x/run.AppImage", "--a"}), "/opt/x/run.AppImage");
  EXPECT_EQ(execProgram({"firefox", "--new"}), "firefox");
  EXPECT_FALSE(execProgram({"env", "A=b"}));
}

TEST(DesktopEntry, ReadingAFileRefusesLoopsFifosAndHugeFiles) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  tree.symlink("b.desktop", "a.desktop");
  tree.symlink("a.desktop", "b.desktop");
  write(dir / "huge.desktop", "[Desktop Entry]\n" + std::string(DesktopEntry::kMaximumSize + 10, '#'));
  write(dir / "good.desktop", app("Good"));
  ASSERT_EQ(::mkfifo((dir / "fifo.desktop").c_str(), 0600), 0);
  EXPECT_NE(readDesktopEntry(dir / "a.desktop").reason.find("loop"), std::string::npos);
  EXPECT_NE(readDesktopEntry(dir / "huge.desktop").reason.find("larger"), std::string::npos);
  EXPECT_NE(readDesktopEntry(dir / "fifo.desktop").reason.find("not a regular file"), std::string::npos);
  EXPECT_NE(readDesktopEntry(dir / "missing.desktop").reason.find("can't be read"), std::string::npos);
  EXPECT_TRUE(readDesktopEntry(dir / "good.desktop").entry);
}

TEST(DesktopFiles, FirstDataFolderWinsHiddenUserCopyRemovesAndSubfoldersGiveIds) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  // The user's folder first, then two system folders.
  write(dir / "user/applications/org.example.Editor.desktop", app("My Editor"));
  write(dir / "user/applications/org.example.Viewer.desktop", "[Desktop Entry]\nHidden=true\n");
  write(dir / "user/applications/broken.desktop", "not an entry");
  write(dir / "usr/applications/org.example.Editor.desktop", app("Editor"));
  write(dir / "usr/applications/org.example.Viewer.desktop", app("Viewer"));
  write(dir / "usr/applications/broken.desktop", app("Broken, but the system copy reads"));
  write(dir / "usr/applications/kde/org.kde.tool.desktop", app("Tool"));
  write(dir / "usr/applications/notes.txt", "not an entry");
  tree.symlink("..", "usr/applications/kde/loop");  // a folder loop is read once
  write(dir / "local/applications/org.example.Editor.desktop", app("Third copy"));

  const DesktopFileIndex index = readDesktopFiles({dir / "user", dir / "usr", dir / "local", dir / "missing"});
  std::map<std::string, std::string> names;
  for (const DesktopFile& file : index.files) names[file.id] = file.entry.string("Name").value_or("");
  EXPECT_EQ(names, (std::map<std::string, std::string>{{"broken.desktop", "Broken, but the system copy reads"},
                                                       {"kde-org.kde.tool.desktop", "Tool"},
                                                       {"org.example.Editor.desktop", "My Editor"}}));
  ASSERT_EQ(index.refused.size(), 1u);
  EXPECT_EQ(index.refused[0].path, dir / "user/applications/broken.desktop");
  EXPECT_EQ(index.copies.at("org.example.Viewer.desktop").size(), 2u) << "a hidden ID still has its files";
  EXPECT_EQ(index.copies.at("org.example.Editor.desktop").size(), 3u);
  EXPECT_EQ(desktopFileId("kde/sub/x.desktop"), "kde-sub-x.desktop");
}

TEST(DesktopFiles, ShownApplicationsFollowTypeDisplayDesktopsAndTryExec) {
  auto exists = [](const std::string& program) { return program == "present"; };
  const struct {
    const char* extra;
    std::vector<std::string> desktops;
    bool shown;
  } cases[] = {
      {"", {}, true},
      {"NoDisplay=true\n", {}, false},
      {"Hidden=true\n", {}, false},
      {"OnlyShowIn=KDE;\n", {"GNOME"}, false},
      {"OnlyShowIn=KDE;GNOME;\n", {"ubuntu", "GNOME"}, true},
      {"OnlyShowIn=KDE;\n", {}, false},
      {"NotShowIn=GNOME;\n", {"GNOME"}, false},
      {"NotShowIn=GNOME;\n", {"KDE"}, true},
      {"TryExec=present\n", {}, true},
      {"TryExec=absent\n", {}, false},
  };
  for (const auto& c : cases) EXPECT_EQ(isShownApplication(parsed(app("A", c.extra)), c.desktops, exists), c.shown) << c.extra;
  EXPECT_FALSE(isShownApplication(parsed("[Desktop Entry]\nType=Link\nName=x\n"), {}, exists));
}

TEST(DesktopFiles, FindsProgramsOnTheSearchPath) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  write(dir / "bin1/tool", "#!/bin/sh\n");
  write(dir / "bin2/tool", "#!/bin/sh\n");
  write(dir / "bin1/plain", "not executable");
  ASSERT_EQ(::chmod((dir / "bin1/tool").c_str(), 0755), 0);
  ASSERT_EQ(::chmod((dir / "bin2/tool").c_str(), 0755), 0);
  tree.folder("bin1/folder");
  const std::vector<std::string> path{dir / "missing", dir / "bin1", dir / "bin2"};
  EXPECT_EQ(findProgram("tool", path), dir / "bin1/tool");
  EXPECT_EQ(findProgram(dir / "bin2/tool", path), dir / "bin2/tool");
  EXPECT_FALSE(findProgram("folder", path));
  EXPECT_FALSE(findProgram("bin1/tool", path));
  EXPECT_FALSE(findProgram("", path));
  EXPECT_FALSE(findProgram("plain", path));
}
