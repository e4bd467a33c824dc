#pragma once
// The menu-bar extra: a tray icon that shows the free space of the startup volume (a warning symbol
// below the low-space threshold) and opens the menu-bar panel next to itself. It is there while the
// desktop has a tray and "menuBar" is on, and follows that setting at once. While it is there,
// closing the main window keeps the application running; without it, closing the window quits.
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

class QMenu;
class QSystemTrayIcon;
class QWidget;

namespace tolvex {

class AppState;
class MenuBarPanel;

class MenuBarExtra : public QObject {
  Q_OBJECT
 public:
  // `trayAvailable`: whether the desktop shows tray icons (tests decide it).
  MenuBarExtra(AppState& state, QWidget* mainWindow, bool trayAvailable, QObject* parent = nullptr);
  ~MenuBarExtra() override;

  // The icon while the extra is inserted, else null.
  QSystemTrayIcon* icon() const { return icon_; }
  // The panel once it has been opened.
  MenuBarPanel* panel() const;

  // Opens the panel beside the icon, or closes it when it is open.
  void togglePanel();
  // Brings the main window to the front.
  void showMainWindow();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void sync();
  void insert();
  void remove();
  void updateIcon();

  AppState& state_;
  QPointer<QWidget> mainWindow_;
  bool trayAvailable_;
  QSystemTrayIcon* icon_ = nullptr;
  QMenu* menu_ = nullptr;
  QPointer<MenuBarPanel> panel_;
  QElapsedTimer sinceHidden_;  // since the panel last closed
};

}  // namespace tolvex
