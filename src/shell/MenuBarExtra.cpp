#include "shell/MenuBarExtra.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QWidget>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/theme/Symbols.h"
#include "shell/MenuBarPanel.h"
#include "shell/logic/MenuBarText.h"

namespace tolvex {

namespace {

constexpr int kIconSize = 22;
// A click on the icon while the panel is open first closes the popup (a click outside it) and
// then activates the icon: an activation this soon after closing is that same click.
constexpr qint64 kSameClickMs = 250;

}  // namespace

MenuBarExtra::MenuBarExtra(AppState& state, QWidget* mainWindow, bool trayAvailable, QObject* parent)
    : QObject(parent), state_(state), mainWindow_(mainWindow), trayAvailable_(trayAvailable) {
  sync();
  connect(&state_.services(), &BackgroundServices::changed, this, &MenuBarExtra::sync);
}

MenuBarExtra::~MenuBarExtra() {
  delete panel_;  // a top-level popup: no parent takes it along
  delete menu_;
}

MenuBarPanel* MenuBarExtra::panel() const { return panel_; }

void MenuBarExtra::sync() {
  const bool wanted = trayAvailable_ && state_.services().menuBarEnabled();
  if (wanted && !icon_) insert();
  if (!wanted && icon_) remove();
  if (icon_) updateIcon();
  // Without the extra nothing would be left to bring the window back: closing it quits.
  QApplication::setQuitOnLastWindowClosed(icon_ == nullptr);
}

void MenuBarExtra::insert() {
  icon_ = new QSystemTrayIcon(this);
  icon_->setObjectName(QLatin1String(names::trayIcon));
  connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason != QSystemTrayIcon::Context) togglePanel();
  });
  // Trays that only ever open a menu still reach the panel's actions through it.
  menu_ = new QMenu;
  menu_->addAction(tr("Open Tolvex"), this, &MenuBarExtra::showMainWindow);
  menu_->addAction(tr("Show Free Space…"), this, &MenuBarExtra::togglePanel);
  menu_->addSeparator();
  menu_->addAction(tr("Quit"), qApp, &QApplication::quit);
  icon_->setContextMenu(menu_);
  updateIcon();
  icon_->show();
}

void MenuBarExtra::remove() {
  if (panel_) panel_->hide();
  delete icon_;
  icon_ = nullptr;
  delete menu_;
  menu_ = nullptr;
  // Turned off while the window was closed: the window is the only way back in.
  if (mainWindow_ && !mainWindow_->isVisible()) showMainWindow();
}

void MenuBarExtra::updateIcon() {
  const BackgroundServices& services = state_.services();
  const MenuBarLabelContent label = menuBarLabel(services.volume(), services.lowSpaceGB());
  if (icon_->property("sfSymbol").toString() != label.symbol) {
    const bool warning = label.symbol == QLatin1String("exclamationmark.triangle.fill");
    icon_->setIcon(warning ? Symbols::icon(label.symbol, Theme::warning(), kIconSize)
                           : Symbols::icon(label.symbol, kIconSize));
    icon_->setProperty("sfSymbol", label.symbol);
  }
  icon_->setToolTip(label.title ? tr("Tolvex: %1 free").arg(*label.title) : QStringLiteral("Tolvex"));
}

void MenuBarExtra::togglePanel() {
  if (!panel_) {
    panel_ = new MenuBarPanel(state_);
    panel_->setWindowFlags(Qt::Popup);
    connect(panel_, &MenuBarPanel::mainWindowRequested, this, [this] {
      panel_->hide();
      showMainWindow();
    });
    connect(panel_, &MenuBarPanel::quitRequested, qApp, &QApplication::quit, Qt::QueuedConnection);
    panel_->installEventFilter(this);
  }
  if (panel_->isVisible()) {
    panel_->hide();
    return;
  }
  if (sinceHidden_.isValid() && sinceHidden_.elapsed() < kSameClickMs) return;
  panel_->adjustSize();
  const QPoint cursor = QCursor::pos();
  QScreen* screen = QGuiApplication::screenAt(cursor);
  if (!screen) screen = QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->availableGeometry() : QRect(QPoint(0, 0), panel_->size());
  const QRect iconRect = icon_ ? icon_->geometry() : QRect();
  panel_->move(popupPosition(iconRect, panel_->size(), area, cursor));
  panel_->show();
  panel_->activateWindow();
}

bool MenuBarExtra::eventFilter(QObject* watched, QEvent* event) {
  if (watched == panel_ && event->type() == QEvent::Hide) sinceHidden_.start();
  return QObject::eventFilter(watched, event);
}

void MenuBarExtra::showMainWindow() {
  if (!mainWindow_) return;
  if (mainWindow_->isMinimized())
    mainWindow_->showNormal();
  else
    mainWindow_->show();
  mainWindow_->raise();
  mainWindow_->activateWindow();
}

}  // namespace tolvex
