#pragma once
#include <QMainWindow>
#include <QPointer>

class QDialog;

namespace tolvex {

class AppState;
class ConfirmDeletionDialog;
class MenuBarExtra;
class SectionRouter;
class ToastView;
class RemovedAppBanner;
class AccessOnboardingView;
class Sidebar;
class ScanToolbar;
class SettingsWindow;

// The one main window: the sidebar of sections and the screen of the current one, the scan toolbar,
// the menus with their shortcuts, and the sheets and messages the store asks for.
class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  explicit MainWindow(AppState& state, QWidget* parent = nullptr);

  SectionRouter* router() const { return router_; }
  Sidebar* sidebar() const { return sidebar_; }
  MenuBarExtra* menuBarExtra() const { return menuBarExtra_; }
  void showSettings();
  // "About Tolvex" (one box at a time).
  void showAbout();

 private:
  void buildMenus();
  void buildToolbar();
  void buildTray();
  void refreshAccess();
  void presentPlan();
  void presentOnboarding();
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

  AppState& state_;
  Sidebar* sidebar_;
  SectionRouter* router_;
  ScanToolbar* scanToolbar_ = nullptr;
  MenuBarExtra* menuBarExtra_ = nullptr;
  QPointer<SettingsWindow> settings_;
  QPointer<ConfirmDeletionDialog> planDialog_;
  QPointer<QDialog> about_;
  ToastView* toast_ = nullptr;
  RemovedAppBanner* removedBanner_ = nullptr;
  QPointer<AccessOnboardingView> onboarding_;
};

}  // namespace tolvex
