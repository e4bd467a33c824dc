#pragma once
// The Login Items screen: the programs and services that start with the computer (autostart entries,
// systemd units, and launchd's agents and daemons where there are any), by where they are installed,
// with the application each belongs to; one is removed on request (stopped, and its file moved to the
// Trash where it is the user's or the administrator's own; the application stays). The screen keeps its
// own list, read off the UI thread, and shows the outcome of a removal in a line of its own, after
// which the list is read again, after a failure as after a success. A file moved to the Trash is
// recorded in the History.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/screen/Screen.h"
#include "system/LaunchItem.h"

class QPushButton;
class QWidget;

namespace tolvex {

class Card;
class DetachedWork;
class LaunchItemList;
class SymbolLabel;

// Where the screen reads its items and how it removes one. Both block and run off the UI thread.
struct LoginItemsLoaders {
  std::function<std::vector<LaunchItem>()> load;
  std::function<LaunchItemRemoval(const LaunchItem&)> remove;

  // The sources of the user whose places are `places`, systemctl, launchctl and the administrator's
  // runner; removals are dated by `clock`.
  static LoginItemsLoaders standard(const Places& places, std::function<double()> clock);
  // The same over the folders and runners of `context` (fixtures, tests).
  static LoginItemsLoaders forContext(LaunchItemContext context);
};

class LoginItemsView : public Screen {
  Q_OBJECT
 public:
  explicit LoginItemsView(AppState& state, QWidget* parent = nullptr);
  LoginItemsView(AppState& state, LoginItemsLoaders loaders, QWidget* parent = nullptr);

  const std::vector<LaunchItem>& items() const;
  bool loading() const { return loads_ > 0; }
  // The outcome of the last removal that ended.
  const std::optional<QString>& message() const { return message_; }
  const std::optional<std::string>& selection() const;

  // The Refresh button: reads the items again (disabled while a load runs).
  void load();
  // Removes `item` off the UI thread; its outcome replaces the message and the list is read again.
  // No state marks a removal under way: removals may overlap, each reporting when it ends.
  void remove(const LaunchItem& item);

  LaunchItemList* list() const { return list_; }

 signals:
  void itemsChanged();    // a load delivered
  void messageChanged();  // a removal ended

 protected:
  void refresh() override;
  void showEvent(QShowEvent* event) override;

 private:
  QWidget* buildHeader();
  QWidget* buildLoadingPanel();
  void reload();
  void syncLoading();

  LoginItemsLoaders loaders_;
  std::function<void(std::vector<HistoryEntry>)> record_;
  DetachedWork* work_;
  int loads_ = 0;
  uint64_t loadTicket_ = 0;   // the newest load started
  uint64_t shownTicket_ = 0;  // the load whose items are shown
  std::optional<QString> message_;

  QPushButton* refresh_ = nullptr;
  SymbolLabel* messageLabel_ = nullptr;
  QWidget* loadingPanel_ = nullptr;
  Card* card_ = nullptr;
  LaunchItemList* list_ = nullptr;
};

}  // namespace tolvex
