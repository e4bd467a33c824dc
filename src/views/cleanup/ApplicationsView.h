#pragma once
// The Applications screen: the installed applications with the bytes of each bundle and of the data
// it keeps in the Library, narrowed by the filters and the search, the inspector of the selected
// application, and the uninstall through the store's plan. It keeps no list of its own: rows, counts
// and totals are worked out from the store at every refresh.
#include <QElapsedTimer>
#include <QPointer>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/screen/Screen.h"
#include "views/cleanup/AppDetailPane.h"
#include "views/cleanup/logic/AppList.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSplitter;
class QStackedWidget;
class QStyleOptionViewItem;
class QPainter;

namespace tolvex {

class AppInspector;
class RecordTable;

class ApplicationsView : public Screen {
  Q_OBJECT
 public:
  explicit ApplicationsView(AppState& state, QWidget* parent = nullptr);

  // The table's columns.
  enum Column { appColumn, totalColumn, bundleColumn, dataColumn, lastUsedColumn };

  // The applications listed, in the table's order, as of the last refresh.
  const std::vector<InstalledApp>& listed() const { return listed_; }
  const AppFilters& filters() const { return filters_; }
  const AppSortOrder& sortOrder() const { return sortOrder_; }
  void setSortOrder(AppSortOrder order);
  // The path of the selected application (it may be hidden by the filters, or gone).
  std::optional<std::string> selection() const;
  RecordTable* table() const { return table_; }
  // The pane of the selected application; none while nothing is selected or it is gone.
  AppInspector* inspector() const { return inspector_; }
  QWidget* inspectorColumn() const { return inspectorColumn_; }

  // The menu of a right-click on the rows `paths` (empty when no listed application is among them).
  QMenu* buildContextMenu(const std::set<std::string>& paths);

  // Measures the applications unless they are listed or being measured; measures again.
  void reload();
  void refreshApps();
  void uninstall(const InstalledApp& app);

 protected:
  void refresh() override;
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  // The search field's placeholder in the secondary tone of the light or dark palette.
  void syncPlaceholder();
  QWidget* headerRow();
  void showInspector();
  void dropInspector();
  void paintCell(QPainter* painter, const QStyleOptionViewItem& option, int row, int column) const;
  QString cellText(int row, int column) const;

  AppFilters filters_;
  AppSortOrder sortOrder_ = defaultAppSortOrder();
  std::vector<InstalledApp> listed_;
  std::vector<std::string> running_;
  QElapsedTimer runningRead_;
  int64_t largest_ = 1;
  double now_ = 0;

  QPushButton* refresh_;
  QLineEdit* search_;
  QCheckBox* hideApple_;
  QCheckBox* unusedOnly_;
  QLabel* summary_;
  QStackedWidget* faces_;
  QWidget* loading_;
  RecordTable* table_;
  QSplitter* split_;
  QWidget* inspectorColumn_;
  QLabel* selectAnApp_;
  QPointer<AppInspector> inspector_;
};

}  // namespace tolvex
