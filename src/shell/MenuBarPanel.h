#pragma once
// The panel that opens from the menu-bar item: the startup volume's fill state, the fill-up
// forecast, the last scheduled clean and what a just-removed application left behind, then Quick
// Clean, "Open Tolvex" and "Quit". An ordinary widget: the tray shows it as a popup, tests as is.
// It keeps no state; every row is drawn again from the store and the services when they change.
#include <QWidget>

class QLabel;
class QPushButton;

namespace tolvex {

class AppState;
class DiskRing;
class PrimaryButton;
class RowButton;
class SymbolLabel;

class MenuBarPanel : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kWidth = 290;
  static constexpr double kForecastWindowDays = 30;

  explicit MenuBarPanel(AppState& state, QWidget* parent = nullptr);

  // Shows the Trends screen in the main window.
  void openTrends();
  // Shows the main window on the Quick Clean screen and starts its search.
  void quickClean();
  // Shows the main window as it was.
  void openMainWindow();

 signals:
  // The main window should come to the front.
  void mainWindowRequested();
  void quitRequested();

 protected:
  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void build();
  QWidget* buildSpaceLine();
  QWidget* buildFooter();
  void scheduleRefresh();
  void refresh();

  AppState& state_;
  bool refreshQueued_ = false;
  QWidget* spaceLine_ = nullptr;
  DiskRing* ring_ = nullptr;
  QLabel* percent_ = nullptr;
  QLabel* volumeName_ = nullptr;
  QLabel* free_ = nullptr;
  QLabel* purgeable_ = nullptr;
  RowButton* forecast_ = nullptr;
  SymbolLabel* forecastLabel_ = nullptr;
  SymbolLabel* autoClean_ = nullptr;
  RowButton* leftovers_ = nullptr;
  SymbolLabel* leftoversLabel_ = nullptr;
  PrimaryButton* quickClean_ = nullptr;
};

}  // namespace tolvex
