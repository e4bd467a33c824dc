// The Login Items screen over launchd folders laid out like a Mac's in a temporary home, read and
// removed by the real engine; launchctl and the administrator's runner are spies.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <fstream>

#include "app/ObjectNames.h"
#include "app/components/SymbolView.h"
#include "platform/Paths.h"
#include "platform/Trash.h"
#include "shell/SectionRouter.h"
#include "support/qt/AppFixture.h"
#include "support/qt/FakeEngines.h"
#include "views/ExplorerFixture.h"
#include "views/cleanup/LaunchItemList.h"
#include "views/cleanup/LoginItemsView.h"
#include "views/cleanup/SystemDataView.h"

using namespace tolvex;
using namespace tolvex::test;
using Scope = LaunchItem::Scope;
using Status = PrivilegedResult::Status;

namespace {

std::string plist(const std::string& label, const std::optional<std::string>& program, bool runAtLoad = false,
                  bool keepAlive = false) {
  std::string body = "<key>Label</key><string>" + label + "</string>";
  if (program) body += "<key>Program</key><string>" + *program + "</string>";
  if (runAtLoad) body += "<key>RunAtLoad</key><true/>";
  if (keepAlive) body += "<key>KeepAlive</key><true/>";
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>" + body + "</dict></plist>\n";
}

// A Mac's three launchd folders under the temporary home, and the spies standing in for launchctl
// and the administrator's runner. The spies are called from the screen's worker threads.
struct LaunchFolders {
  AppFixture fixture;
  FakeServices services;
  TreeBuilder tree{fixture.home / "mac"};
  std::unique_ptr<AppState> state;
  std::unique_ptr<LoginItemsView> view;

  struct Calls {
    std::mutex mutex;
    std::vector<std::vector<std::string>> process, privileged;
    std::atomic<int> loads{0};
    std::map<int, std::shared_ptr<Gate>> loadGates;  // load number (from 1) -> where it waits
  };
  std::shared_ptr<Calls> calls = std::make_shared<Calls>();
  // What an administrator step answers; by default the step runs as the user would run it.
  std::shared_ptr<std::function<PrivilegedResult(const std::vector<std::string>&)>> privileged =
      std::make_shared<std::function<PrivilegedResult(const std::vector<std::string>&)>>(
          [](const std::vector<std::string>& argv) {
            // launchctl and systemctl stand still; a move runs as the user would run it.
            if (argv[0] == kLaunchctlPath || argv[0] == kSystemctlPath) return PrivilegedResult{Status::succeeded, {}};
            auto result = runProcess(argv);
            if (!result) return PrivilegedResult{Status::notStarted, {}};
            return PrivilegedResult{result->exitStatus == 0 ? Status::succeeded : Status::failed, result->errorOutput};
          });
  std::shared_ptr<Gate> removeGate;  // when set, removals wait at it

  // Holds load number `n` (from 1), once it has read the folders, until the returned gate opens.
  std::shared_ptr<Gate> holdLoad(int n) {
    std::lock_guard lock(calls->mutex);
    return calls->loadGates[n] = std::make_shared<Gate>();
  }

  LaunchFolders() {
    state = std::make_unique<AppState>(fixture.environment());
    waitOrFail([&] { return !state->isRestoringScan(); }, "the last scan is restored");
  }
  ~LaunchFolders() {
    view.reset();
    {
      std::lock_guard lock(calls->mutex);
      for (auto& [n, gate] : calls->loadGates) gate->open();
    }
    if (removeGate) removeGate->open();
    state->waitForBackgroundWork();
  }

  std::string folder(Scope scope) const {
    switch (scope) {
      case Scope::userAgent: return tree.path("Users/me/Library/LaunchAgents");
      case Scope::systemAgent: return tree.path("Library/LaunchAgents");
      case Scope::systemDaemon: return tree.path("Library/LaunchDaemons");
    }
    return {};
  }
  std::string write(Scope scope, const std::string& name, const std::string& bytes) {
    const std::string path = folder(scope) + "/" + name;
    EXPECT_TRUE(makeFolders(folder(scope)));
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    return path;
  }

  LoginItemsLoaders loaders() {
    LaunchItemContext context;
    context.home = fixture.home.home();
    context.uid = 501;
    context.folders = {folder(Scope::userAgent), folder(Scope::systemAgent), folder(Scope::systemDaemon)};
    context.userAutostartFolder = fixture.home.configHome() + "/autostart";
    context.sharedAutostartFolders = {tree.path("etc/xdg/autostart")};
    context.userUnitFolder = fixture.home.configHome() + "/systemd/user";
    context.systemUnitFolders = {tree.path("etc/systemd/system"), tree.path("usr/local/lib/systemd/system")};
    context.searchPath = {tree.path("usr/bin")};
    context.clock = [clock = fixture.now] { return clock->load(); };
    context.applicationPath = [](const std::string&) { return std::optional<std::string>(); };
    auto c = calls;
    context.runProcess = [c](const std::vector<std::string>& argv) -> std::optional<ProcessResult> {
      std::lock_guard lock(c->mutex);
      c->process.push_back(argv);
      return std::nullopt;  // launchctl is not there
    };
    auto answer = privileged;
    context.runPrivileged = [c, answer](const std::vector<std::string>& argv) {
      {
        std::lock_guard lock(c->mutex);
        c->privileged.push_back(argv);
      }
      return (*answer)(argv);
    };
    LoginItemsLoaders loaders = LoginItemsLoaders::forContext(context);
    auto load = loaders.load;
    loaders.load = [load, c] {
      const int n = ++c->loads;
      std::shared_ptr<Gate> gate;
      {
        std::lock_guard lock(c->mutex);
        if (auto found = c->loadGates.find(n); found != c->loadGates.end()) gate = found->second;
      }
      // The folders are read first, then the load is held: what it delivers is what it read.
      auto items = load();
      if (gate) gate->wait();
      return items;
    };
    auto remove = loaders.remove;
    auto held = removeGate;
    loaders.remove = [remove, held](const LaunchItem& item) {
      if (held) held->wait();
      return remove(item);
    };
    return loaders;
  }

  void show() {
    view = std::make_unique<LoginItemsView>(*state, loaders());
    view->resize(1040, 680);
    view->show();
    waitOrFail([&] { return !view->loading(); }, "the first load ends");
  }

  LaunchItemList* list() const { return view->list(); }
  int rowOf(const std::string& path) const { return list()->itemModel()->rowOf(path); }
  void clickPart(const std::string& path, LaunchItemPart part) {
    const int row = rowOf(path);
    ASSERT_GE(row, 0) << path;
    list()->scrollTo(list()->itemModel()->index(row));
    const QRect rect = list()->partRect(row, part);
    ASSERT_FALSE(rect.isEmpty());
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, rect.center());
  }
  // Clicks the row's remove control and waits for the outcome and the reload after it.
  void removeByClick(const std::string& path) {
    const int loadsBefore = calls->loads;
    const int messages = messageChanges();
    clickPart(path, LaunchItemPart::control);
    waitOrFail([&] { return messageChanges() > messages; }, "the removal ends");
    waitOrFail([&] { return calls->loads > loadsBefore && !view->loading(); }, "the list is read again");
  }
  int messageChanges() const { return view->property("messages").toInt(); }
  void countMessages() {
    QObject::connect(view.get(), &LoginItemsView::messageChanged, view.get(),
                     [v = view.get()] { v->setProperty("messages", v->property("messages").toInt() + 1); });
  }

  std::vector<std::string> shownLabels() const {
    std::vector<std::string> out;
    const auto* model = list()->itemModel();
    for (int row = 0; row < model->rowCount(); ++row) {
      if (auto scope = model->header(row))
        out.push_back(std::string("# ") + rawValue(*scope));
      else
        out.push_back(model->item(row)->label);
    }
    return out;
  }
  std::vector<std::vector<std::string>> privilegedCalls() {
    std::lock_guard lock(calls->mutex);
    return calls->privileged;
  }
  std::vector<std::vector<std::string>> processCalls() {
    std::lock_guard lock(calls->mutex);
    return calls->process;
  }
  QString shownMessage() const {
    auto* label = view->findChild<SymbolLabel*>(QLatin1String(names::loginItemsMessage));
    return label->isVisible() ? label->text() : QString();
  }
};

}  // namespace

TEST(LoginItemsView, ListsTheItemsByScopeWithOrphansFirstAndTheirOwnersBadgesAndControls) {
  LaunchFolders f;
  const std::string app = f.tree.file("Applications/Zeta Sync.app/Contents/MacOS/zeta", 10);
  f.write(Scope::userAgent, "com.zeta.sync.plist", plist("com.zeta.sync", app, true));
  f.write(Scope::userAgent, "com.alpha.helper.plist",
          plist("com.alpha.helper", std::string("/opt/alpha/gone"), true, true));
  f.write(Scope::userAgent, "com.beta.plist", plist("com.beta", std::nullopt));
  f.write(Scope::systemDaemon, "com.apple.backupd.plist", plist("com.apple.backupd", std::string("/usr/bin/true")));
  f.write(Scope::systemDaemon, "org.example.vpn.plist", plist("org.example.vpn", std::string("/usr/bin/true")));
  f.write(Scope::userAgent, "notes.txt", "not a property list");
  f.show();

  EXPECT_EQ(f.shownLabels(), (std::vector<std::string>{"# userAgent", "com.alpha.helper", "com.beta", "com.zeta.sync",
                                                       "# systemDaemon", "com.apple.backupd", "org.example.vpn"}));
  const auto* model = f.list()->itemModel();
  EXPECT_EQ(model->data(model->index(0), Qt::DisplayRole).toString(), "Your login items");
  EXPECT_EQ(model->data(model->index(4), Qt::DisplayRole).toString(), "Services");
  // The owner's name stands for the label; the orphan carries its badge first.
  EXPECT_EQ(model->data(model->index(3), Qt::DisplayRole).toString(), "Zeta Sync");
  EXPECT_EQ(model->item(3)->ownerPath, f.tree.path("Applications/Zeta Sync.app"));
  EXPECT_TRUE(model->item(1)->isOrphan);
  EXPECT_EQ(launchItemBadges(*model->item(1)).front(), LaunchItemBadge::appRemoved);
  // Headers cannot be selected or clicked; rows of three lines are taller than rows of two.
  EXPECT_FALSE(model->flags(model->index(0)) & Qt::ItemIsSelectable);
  EXPECT_TRUE(f.list()->partRect(0, LaunchItemPart::control).isEmpty());
  EXPECT_GT(f.list()->visualRect(model->index(1)).height(), f.list()->visualRect(model->index(2)).height());
  // Every part lies inside its row and they do not overlap.
  for (int row : {1, 2, 3, 5, 6}) {
    const QRect whole = f.list()->visualRect(model->index(row));
    const QRect reveal = f.list()->partRect(row, LaunchItemPart::reveal);
    const QRect control = f.list()->partRect(row, LaunchItemPart::control);
    EXPECT_TRUE(whole.contains(reveal) && whole.contains(control)) << row;
    EXPECT_FALSE(reveal.intersects(control)) << row;
  }
  EXPECT_FALSE(f.view->findChild<QWidget*>(QLatin1String(names::loginItemsLoading))->isVisible());
  EXPECT_TRUE(f.shownMessage().isEmpty());
}

TEST(LoginItemsView, RemovingAUserAgentStopsItTrashesItsFileAndReloads) {
  LaunchFolders f;
  const std::string app = f.tree.file("Applications/Zeta Sync.app/Contents/MacOS/zeta", 10);
  const std::string path = f.write(Scope::userAgent, "com.zeta.sync.plist", plist("com.zeta.sync", app, true));
  f.write(Scope::userAgent, "com.beta.plist", plist("com.beta", std::nullopt));
  f.show();
  f.countMessages();
  f.list()->selectPath(path);

  f.removeByClick(path);
  EXPECT_EQ(f.shownMessage(), "\u201CZeta Sync\u201D won't start automatically any more. Its file is in the Trash.");
  EXPECT_EQ(f.view->message(), f.shownMessage());
  EXPECT_FALSE(pathExists(path));
  EXPECT_TRUE(pathExists(trashFilesFolder() + "/com.zeta.sync.plist"));
  EXPECT_EQ(f.processCalls(), (std::vector<std::vector<std::string>>{{kLaunchctlPath, "bootout", "gui/501", path}}));
  EXPECT_TRUE(f.privilegedCalls().empty());  // the user's own agent needs no administrator
  EXPECT_EQ(f.shownLabels(), (std::vector<std::string>{"# userAgent", "com.beta"}));
  auto* symbol = f.view->findChild<SymbolLabel*>(QLatin1String(names::loginItemsMessage));
  EXPECT_EQ(symbol->symbol(), "info.circle");
}

TEST(LoginItemsView, ASharedItemsFailureIsShownAsItsOwnTextAndTheItemStaysListed) {
  struct Case {
    const char* name;
    PrivilegedResult launchctl;  // the first administrator step
    PrivilegedResult move;       // the move to the Trash
    QString expected;
  };
  const Case cases[] = {
      {"the password dialog dismissed", {Status::cancelled, {}}, {Status::succeeded, {}}, "Cancelled."},
      {"the move refused",
       {Status::succeeded, {}},
       {Status::failed, "mv: cannot move: Operation not permitted"},
       "mv: cannot move: Operation not permitted"},
      {"nothing could be started, without a word",
       {Status::notStarted, {}},
       {Status::notStarted, {}},
       "Couldn't remove it."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LaunchFolders f;
    const std::string path =
        f.write(Scope::systemDaemon, "org.example.vpn.plist", plist("org.example.vpn", std::string("/usr/bin/true")));
    *f.privileged = [c](const std::vector<std::string>& argv) {
      return argv[0] == kLaunchctlPath ? c.launchctl : c.move;
    };
    f.show();
    f.countMessages();
    f.removeByClick(path);
    EXPECT_EQ(f.shownMessage(), c.expected);
    EXPECT_TRUE(pathExists(path));
    EXPECT_EQ(f.shownLabels(), (std::vector<std::string>{"# systemDaemon", "org.example.vpn"}));
    ASSERT_FALSE(f.privilegedCalls().empty());
    EXPECT_EQ(f.privilegedCalls().front(), (std::vector<std::string>{kLaunchctlPath, "bootout", "system", path}));
    EXPECT_TRUE(f.processCalls().empty());
  }
}

TEST(LoginItemsView, ASharedItemIsMovedByTheAdministratorsRunnerAndReportedOnlyOnceItIsGone) {
  LaunchFolders f;
  const std::string path =
      f.write(Scope::systemAgent, "org.example.agent.plist", plist("org.example.agent", std::string("/usr/bin/true")));
  f.show();
  f.countMessages();
  f.removeByClick(path);
  EXPECT_EQ(f.shownMessage(),
            "\u201Corg.example.agent\u201D won't start automatically any more. Its file is in the Trash.");
  EXPECT_FALSE(pathExists(path));
  const auto steps = f.privilegedCalls();
  ASSERT_GE(steps.size(), 2u);
  EXPECT_EQ(steps[0], (std::vector<std::string>{kLaunchctlPath, "bootout", "gui/501", path}));
  EXPECT_EQ(steps[1][0], "/bin/mv");
  EXPECT_TRUE(f.shownLabels().empty());
}

TEST(LoginItemsView, AnUnsupportedNameIsRefusedWithoutRunningAnything) {
  LaunchFolders f;
  const std::string odd = f.write(Scope::systemDaemon, "org.evil;reboot.plist", plist("org.evil", std::nullopt));
  f.show();
  f.countMessages();
  f.removeByClick(odd);
  EXPECT_EQ(f.shownMessage(), "Unsupported file name.");
  EXPECT_TRUE(pathExists(odd));

  // A path with a line break after ".plist" is refused as well (no such file is listed: the item is
  // handed to the screen directly).
  LaunchItem newline = f.list()->itemModel()->items().front();
  newline.path = f.folder(Scope::userAgent) + "/com.example.plist\n";
  newline.scope = Scope::userAgent;
  const int messages = f.messageChanges();
  f.view->remove(newline);
  waitOrFail([&] { return f.messageChanges() > messages; }, "the refusal is shown");
  EXPECT_EQ(f.view->message(), "Unsupported file name.");
  EXPECT_TRUE(f.processCalls().empty());
  EXPECT_TRUE(f.privilegedCalls().empty());
}

TEST(LoginItemsView, TheSystemsOwnItemsHaveABadgeThatRemovesNothing) {
  LaunchFolders f;
  const std::string path = f.write(Scope::userAgent, "com.apple.Safari.plist",
                                   plist("com.apple.Safari.agent", std::string("/usr/bin/true")));
  f.show();
  const int loads = f.calls->loads;
  f.clickPart(path, LaunchItemPart::control);
  QCoreApplication::processEvents();
  settle();
  EXPECT_FALSE(f.view->message());
  EXPECT_EQ(f.calls->loads, loads);
  EXPECT_TRUE(f.processCalls().empty());
  EXPECT_TRUE(pathExists(path));
}

TEST(LoginItemsView, ShowInFinderRevealsThePropertyList) {
  LaunchFolders f;
  const std::string path = f.write(Scope::userAgent, "com.beta.plist", plist("com.beta", std::nullopt));
  f.show();
  f.clickPart(path, LaunchItemPart::reveal);
  EXPECT_EQ(f.services.revealed, (std::vector<std::string>{path}));
  EXPECT_FALSE(f.view->selection());  // a button in the row does not select it
}

TEST(LoginItemsView, WhileTheFirstLoadRunsTheProgressShowsAndRefreshIsDisabled) {
  LaunchFolders f;
  f.write(Scope::userAgent, "com.beta.plist", plist("com.beta", std::nullopt));
  auto gate = f.holdLoad(1);
  f.view = std::make_unique<LoginItemsView>(*f.state, f.loaders());
  f.view->resize(1040, 680);
  f.view->show();
  waitOrFail([&] { return gate->someoneWaiting(); }, "the load starts");
  auto* refresh = f.view->findChild<QPushButton*>(QLatin1String(names::loginItemsRefresh));
  auto* panel = f.view->findChild<QWidget*>(QLatin1String(names::loginItemsLoading));
  EXPECT_TRUE(f.view->loading());
  EXPECT_FALSE(refresh->isEnabled());
  EXPECT_TRUE(panel->isVisible());
  EXPECT_TRUE(panel->findChild<QLabel*>()->text() == "Reading login items\u2026");
  EXPECT_FALSE(f.list()->isVisible());
  f.view->load();  // what the disabled button would do: nothing
  QTest::mouseClick(refresh, Qt::LeftButton);
  settle();
  EXPECT_EQ(f.calls->loads, 1);

  gate->open();
  waitOrFail([&] { return !f.view->loading(); }, "the load ends");
  EXPECT_TRUE(refresh->isEnabled());
  EXPECT_FALSE(panel->isVisible());
  EXPECT_EQ(f.shownLabels(), (std::vector<std::string>{"# userAgent", "com.beta"}));
}

TEST(LoginItemsView, ARefreshKeepsTheListAndTheSelectionOnScreenUntilTheNewListArrives) {
  LaunchFolders f;
  const std::string beta = f.write(Scope::userAgent, "com.beta.plist", plist("com.beta", std::nullopt));
  auto second = f.holdLoad(2);
  f.show();
  f.list()->selectPath(beta);
  f.write(Scope::userAgent, "com.alpha.plist", plist("com.alpha", std::nullopt));
  auto* refresh = f.view->findChild<QPushButton*>(QLatin1String(names::loginItemsRefresh));
  QTest::mouseClick(refresh, Qt::LeftButton);
  waitOrFail([&] { return second->someoneWaiting(); }, "the refresh starts");
  EXPECT_TRUE(f.view->loading());
  EXPECT_FALSE(refresh->isEnabled());
  EXPECT_TRUE(f.list()->isVisible());
  EXPECT_FALSE(f.view->findChild<QWidget*>(QLatin1String(names::loginItemsLoading))->isVisible());
  EXPECT_EQ(f.shownLabels(), (std::vector<std::string>{"# userAgent", "com.beta"}));

  second->open();
  waitOrFail([&] { return !f.view->loading(); }, "the refresh ends");
  EXPECT_EQ(f.shownLabels(), (std::vector<std::string>{"# userAgent", "com.alpha", "com.beta"}));
  EXPECT_EQ(f.view->selection(), beta);
  ASSERT_EQ(f.list()->selectionModel()->selectedIndexes().size(), 1);
  EXPECT_EQ(f.list()->selectionModel()->selectedIndexes().front().row(), f.rowOf(beta));
}

TEST(LoginItemsView, AListReadBeforeARemovalNeverReplacesTheOneReadAfterIt) {
  LaunchFolders f;
  const std::string beta = f.write(Scope::userAgent, "com.beta.plist", plist("com.beta", std::nullopt));
  f.write(Scope::userAgent, "com.alpha.plist", plist("com.alpha", std::nullopt));
  auto refreshLoad = f.holdLoad(2);
  f.show();
  f.countMessages();
  // A refresh is held while it reads the folder (both items still there); a removal then ends and
  // its own reload delivers first.
  f.view->load();
  waitOrFail([&] { return refreshLoad->someoneWaiting(); }, "the refresh reads");
  f.clickPart(beta, LaunchItemPart::control);
  waitOrFail([&] { return f.messageChanges() == 1 && f.calls->loads == 3; }, "the removal's reload starts");
  waitOrFail([&] { return f.shownLabels().size() == 2; }, "the removal's reload delivers");
  EXPECT_TRUE(f.view->loading());  // the refresh is still under way
  refreshLoad->open();
  waitOrFail([&] { return !f.view->loading(); }, "the refresh ends");
  EXPECT_EQ(f.shownLabels(), (std::vector<std::string>{"# userAgent", "com.alpha"}));
}

TEST(LoginItemsView, LeavingDuringARemovalNeitherWaitsNorCrashesAndTheRemovalStillEnds) {
  LaunchFolders f;
  const std::string path = f.write(Scope::userAgent, "com.beta.plist", plist("com.beta", std::nullopt));
  f.removeGate = std::make_shared<Gate>();
  f.show();
  f.clickPart(path, LaunchItemPart::control);
  waitOrFail([&] { return f.removeGate->someoneWaiting(); }, "the removal starts");
  f.view.reset();  // the user goes elsewhere while the password dialog is up
  f.removeGate->open();
  waitOrFail([&] { return !pathExists(path); }, "the removal ends");
  settle();
}

TEST(LoginItemsView, AnEmptyListShowsNoTextOfItsOwn) {
  LaunchFolders f;
  f.show();
  EXPECT_EQ(f.list()->itemModel()->rowCount(), 0);
  EXPECT_TRUE(f.list()->isVisible());
  EXPECT_FALSE(f.view->findChild<QWidget*>(QLatin1String(names::loginItemsLoading))->isVisible());
  EXPECT_FALSE(f.view->findChild<QWidget*>(QLatin1String(names::loginItemsMessage))->isVisible());
}

TEST(LoginItemsView, AnAutostartEntryGoesToTheTrashAndIntoTheHistoryEvenWhenTheScreenIsLeftMeanwhile) {
  LaunchFolders f;
  const std::string autostart = f.fixture.home.configHome() + "/autostart/";
  const std::string sync = autostart + "org.example.Sync.desktop";
  const std::string chat = autostart + "chat.desktop";
  for (const std::string& path : {sync, chat}) {
    ASSERT_TRUE(makeFolders(parentPath(path)));
    std::ofstream(path) << "[Desktop Entry]\nType=Application\nName=X\nExec=true\n";
  }
  f.show();
  f.countMessages();
  EXPECT_EQ(f.shownLabels(), (std::vector<std::string>{"# userAgent", "chat", "org.example.Sync"}));
  EXPECT_EQ(f.list()->itemModel()->data(f.list()->itemModel()->index(0), Qt::DisplayRole).toString(),
            "Your login items");

  f.removeByClick(sync);
  EXPECT_EQ(f.shownMessage(),
            "\u201Corg.example.Sync\u201D won't start automatically any more. Its file is in the Trash.");
  waitOrFail([&] { return f.state->history().entries().size() == 1; }, "the removal is recorded");
  const HistoryEntry recorded = f.state->history().entries().front();
  EXPECT_EQ(recorded.originalPath, sync);
  EXPECT_EQ(recorded.date, f.fixture.now->load());
  ASSERT_TRUE(recorded.trashPath);
  EXPECT_TRUE(pathExists(*recorded.trashPath));
  EXPECT_TRUE(f.processCalls().empty());
  EXPECT_TRUE(f.privilegedCalls().empty());
  // What the History puts back is the very entry, where it was.
  EXPECT_EQ(f.state->history().restore(recorded), std::nullopt);
  EXPECT_TRUE(pathExists(sync));

  // A removal that ends after the screen is gone is recorded all the same.
  f.removeGate = std::make_shared<Gate>();
  f.view = std::make_unique<LoginItemsView>(*f.state, f.loaders());
  f.view->resize(1040, 680);
  f.view->show();
  waitOrFail([&] { return !f.view->loading() && f.rowOf(chat) >= 0; }, "the list is read");
  f.clickPart(chat, LaunchItemPart::control);
  waitOrFail([&] { return f.removeGate->someoneWaiting(); }, "the removal starts");
  f.view.reset();
  f.removeGate->open();
  waitOrFail([&] { return f.state->history().entries().size() == 2; }, "the late removal is recorded");
  EXPECT_EQ(f.state->history().entries().front().originalPath, chat);
}

TEST(LoginItemsView, AServiceOfAnotherPackageIsStoppedAndItsFileStaysWithoutAHistoryEntry) {
  LaunchFolders f;
  const std::string unit = f.tree.path("usr/local/lib/systemd/system/backup.service");
  const std::string wants = f.tree.path("etc/systemd/system/multi-user.target.wants/backup.service");
  ASSERT_TRUE(makeFolders(parentPath(unit)) && makeFolders(parentPath(wants)));
  std::ofstream(unit) << "[Service]\nExecStart=/opt/backup/run\n";
  ASSERT_EQ(::symlink(unit.c_str(), wants.c_str()), 0);
  f.show();
  f.countMessages();
  EXPECT_EQ(f.shownLabels(), (std::vector<std::string>{"# systemDaemon", "backup.service"}));
  EXPECT_EQ(f.list()->itemModel()->data(f.list()->itemModel()->index(0), Qt::DisplayRole).toString(), "Services");
  EXPECT_EQ(launchItemControl(f.view->items().front()), LaunchItemControl::removeAsAdministrator);

  f.removeByClick(unit);
  EXPECT_EQ(f.shownMessage(), "\u201Cbackup.service\u201D won't start automatically any more.");
  EXPECT_EQ(f.privilegedCalls(),
            (std::vector<std::vector<std::string>>{{kSystemctlPath, "disable", "--now", "--", "backup.service"}}));
  EXPECT_TRUE(pathExists(unit));
  settle();
  EXPECT_TRUE(f.state->history().entries().empty());
}

TEST(LoginItemsView, CopyTakesTheSelectedLabel) {
  LaunchFolders f;
  const std::string beta = f.write(Scope::userAgent, "com.beta.plist", plist("com.example.beta", std::nullopt));
  f.show();
  f.list()->selectPath(beta);
  f.list()->setFocus();
  QTest::keySequence(f.list(), QKeySequence::Copy);
  EXPECT_EQ(QApplication::clipboard()->text(), "com.example.beta");
}

TEST(LoginItemsView, LeavingAndComingBackClearsTheMessageAndLoadsAgain) {
  LaunchFolders f;
  const std::string beta = f.write(Scope::userAgent, "com.beta.plist", plist("com.beta", std::nullopt));
  f.write(Scope::systemDaemon, "org.example.vpn.plist", plist("org.example.vpn", std::string("/usr/bin/true")));
  *f.privileged = [](const std::vector<std::string>&) { return PrivilegedResult{Status::cancelled, {}}; };
  SectionRouter router(*f.state);
  router.setFactory([&f](AppSection section, AppState& state) -> QWidget* {
    if (section == AppSection::loginItems) return new LoginItemsView(state, f.loaders());
    return SectionRouter::makeScreen(section, state);
  });
  router.resize(1040, 680);
  static_cast<QWidget&>(router).show();
  auto screen = [&] { return qobject_cast<LoginItemsView*>(router.currentScreen()); };
  f.state->setSection(AppSection::loginItems);
  waitOrFail([&] { return screen() && f.calls->loads == 1 && !screen()->loading(); }, "the first visit loads");
  screen()->remove(screen()->items().back());
  waitOrFail([&] { return screen()->message() && !screen()->loading(); }, "the removal is reported");
  EXPECT_EQ(screen()->message(), "Cancelled.");

  f.state->setSection(AppSection::history);
  f.state->setSection(AppSection::loginItems);
  waitOrFail([&] { return f.calls->loads == 3 && !screen()->loading(); }, "the second visit loads");
  EXPECT_FALSE(screen()->message());
  EXPECT_FALSE(screen()->findChild<QWidget*>(QLatin1String(names::loginItemsMessage))->isVisible());
  EXPECT_EQ(screen()->items().size(), 2u);
  EXPECT_TRUE(pathExists(beta));
}

TEST(SectionRouter, ShowsTheLoginItemsAndSystemDataScreens) {
  AppFixture fixture;
  AppState state(fixture.environment());
  waitOrFail([&] { return !state.isRestoringScan(); }, "the last scan is restored");
  SectionRouter router(state);
  state.setSection(AppSection::loginItems);
  EXPECT_TRUE(qobject_cast<LoginItemsView*>(router.currentScreen()));
  state.setSection(AppSection::systemData);
  EXPECT_TRUE(qobject_cast<SystemDataView*>(router.currentScreen()));
  state.setSection(AppSection::overview);
  settle();
  state.waitForBackgroundWork();
}
