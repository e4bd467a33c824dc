#include "shell/MainWindow.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QShowEvent>
#include <QSplitter>
#include <QSystemTrayIcon>
#include <QToolBar>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/Settings.h"
#include "app/services/BackgroundServices.h"
#include "app/services/UiServices.h"
#include "app/theme/Symbols.h"
#include "shell/AboutDialog.h"
#include "shell/AccessOnboardingView.h"
#include "shell/ConfirmDeletionDialog.h"
#include "shell/MenuBarExtra.h"
#include "shell/RemovedAppBanner.h"
#include "shell/ScanToolbar.h"
#include "shell/SectionRouter.h"
#include "shell/SettingsWindow.h"
#include "shell/Sidebar.h"
#include "shell/ToastView.h"

namespace tolvex {

MainWindow::MainWindow(AppState& state, QWidget* parent)
    : QMainWindow(parent), state_(state), sidebar_(new Sidebar(state, this)), router_(new SectionRouter(state, this)) {
  setObjectName(names::mainWindow);
  setWindowTitle(QStringLiteral("Tolvex"));
  setMinimumSize(1040, 680);
  resize(1200, 760);

  auto* split = new QSplitter(Qt::Horizontal, this);
  split->setObjectName(names::mainSplit);
  split->setChildrenCollapsible(false);
  split->addWidget(sidebar_);
  split->addWidget(router_);
  split->setStretchFactor(0, 0);
  split->setStretchFactor(1, 1);
  split->setSizes({230, 970});
  setCentralWidget(split);

  buildToolbar();
  buildMenus();
  buildTray();

  // The toast floats over the bottom of the detail area, above whichever screen is shown.
  toast_ = new ToastView(state_, router_);
  router_->installEventFilter(this);
  toast_->placeIn(router_->rect());
  // A removed application is reported over the top of the detail area.
  removedBanner_ = new RemovedAppBanner(state_, router_);
  removedBanner_->placeIn(router_->rect());
  connect(&state_, &AppState::accessChanged, this, &MainWindow::presentOnboarding);
  presentOnboarding();
  connect(&state_, &AppState::planChanged, this, &MainWindow::presentPlan);
  presentPlan();
  connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState appState) {
    if (appState == Qt::ApplicationActive) refreshAccess();
  });
}

void MainWindow::buildToolbar() {
  auto* bar = addToolBar(tr("Scan"));
  bar->setObjectName(names::mainToolbar);
  bar->setMovable(false);
  bar->setFloatable(false);
  auto* spacer = new QWidget(bar);
  spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  bar->addWidget(spacer);
  scanToolbar_ = new ScanToolbar(state_, bar);
  bar->addWidget(scanToolbar_);
}

void MainWindow::buildMenus() {
  QMenu* app = menuBar()->addMenu(QStringLiteral("Tolvex"));
  app->setObjectName(names::appMenu);
  QAction* about = app->addAction(tr("About Tolvex"));
  about->setObjectName(names::aboutAction);
  about->setMenuRole(QAction::AboutRole);
  connect(about, &QAction::triggered, this, &MainWindow::showAbout);
  QAction* updates = app->addAction(tr("Check for Updates…"));
  updates->setObjectName(names::checkForUpdatesAction);
  connect(updates, &QAction::triggered, this, [this] { UiServices::shared().checkForUpdates(this); });
  app->addSeparator();
  QAction* settings = app->addAction(tr("Settings…"));
  settings->setObjectName(names::settingsAction);
  settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
  connect(settings, &QAction::triggered, this, &MainWindow::showSettings);
  app->addSeparator();
  QAction* quit = app->addAction(tr("Quit Tolvex"));
  quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  connect(quit, &QAction::triggered, qApp, &QApplication::quit);

  QMenu* scan = menuBar()->addMenu(tr("Scan"));
  scan->setObjectName(names::scanMenuBar);
  QAction* disk = scan->addAction(tr("Scan Entire Disk"));
  disk->setObjectName(names::scanDiskAction);
  disk->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
  connect(disk, &QAction::triggered, this, [this] { state_.startScan(ScanTarget::wholeDisk()); });
  QAction* home = scan->addAction(tr("Scan Home Folder"));
  home->setObjectName(names::scanHomeAction);
  home->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R));
  connect(home, &QAction::triggered, this, [this] { state_.startScan(ScanTarget::home()); });
  scan->addSeparator();
  QAction* quick = scan->addAction(tr("Quick Clean"));
  quick->setObjectName(names::quickCleanAction);
  quick->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_1));
  connect(quick, &QAction::triggered, this, [this] { state_.setSection(AppSection::smartClean); });
  for (QAction* action : {settings, quit, disk, home, quick}) addAction(action);  // shortcuts work without the menu bar
}

void MainWindow::buildTray() {
  menuBarExtra_ = new MenuBarExtra(state_, this, QSystemTrayIcon::isSystemTrayAvailable(), this);
}

void MainWindow::showSettings() {
  if (!settings_) settings_ = new SettingsWindow(state_, this);
  settings_->show();
  settings_->raise();
  settings_->activateWindow();
}

void MainWindow::showAbout() {
  if (!about_) {
    about_ = new AboutDialog(this);
    about_->setAttribute(Qt::WA_DeleteOnClose);
  }
  about_->open();
  about_->raise();
  about_->activateWindow();
}

void MainWindow::refreshAccess() {
  state_.setHasFullDiskAccess(state_.environment().accessProbe());
  if (state_.showAccessOnboarding() && state_.hasFullDiskAccess()) {
    state_.setShowAccessOnboarding(false);
    state_.startScan();
  }
}

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  // The background work starts whenever the window opens (at launch and when it is reopened): a
  // tick at once and a fresh timer. A window brought back from the dock was never closed.
  if (event->spontaneous()) return;
  state_.services().start(&state_);
}

void MainWindow::presentOnboarding() {
  if (state_.showAccessOnboarding() && !onboarding_) {
    onboarding_ = new AccessOnboardingView(state_, this);
    onboarding_->setAttribute(Qt::WA_DeleteOnClose);
    onboarding_->open();
  } else if (!state_.showAccessOnboarding() && onboarding_) {
    onboarding_->accept();
  }
}

void MainWindow::presentPlan() {
  // One sheet per plan: a new plan gets a fresh sheet with its review box off; the old sheet closes
  // itself once its plan is no longer the pending one.
  const auto& plan = state_.plan();
  if (!plan || (planDialog_ && planDialog_->planId() == plan->id)) return;
  planDialog_ = new ConfirmDeletionDialog(state_, *plan, this);
  planDialog_->setAttribute(Qt::WA_DeleteOnClose);  // a closed sheet is never shown again
  planDialog_->open();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == router_ && toast_) {
    if (event->type() == QEvent::Resize) {
      toast_->placeIn(router_->rect());
      if (removedBanner_) removedBanner_->placeIn(router_->rect());
    }
    if (event->type() == QEvent::ChildAdded || event->type() == QEvent::LayoutRequest) {
      toast_->raise();
      if (removedBanner_) removedBanner_->raise();
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace tolvex
