#pragma once
// The App Leftovers screen: data in the Library that belongs to applications no longer installed.
// It starts the store's search, sorts and shows the rows, keeps the user's selection and turns the
// selected rows into a deletion plan; nothing is deleted before the user confirms that plan.
#include <set>
#include <string>
#include <vector>

#include "app/screen/Screen.h"
#include "views/cleanup/logic/LeftoverList.h"

class QLabel;
class QMenu;
class QPainter;
class QPushButton;
class QStackedWidget;
class QStyleOptionViewItem;

namespace tolvex {

class RecordTable;
class SelectionBar;

class AppLeftoversView : public Screen {
  Q_OBJECT
 public:
  explicit AppLeftoversView(AppState& state, QWidget* parent = nullptr);

  enum Column { identifierColumn, locationColumn, sizeColumn, modifiedColumn };

  // The rows in the table's order, as of the last refresh.
  const std::vector<Leftover>& rows() const { return rows_; }
  const LeftoverSortOrder& sortOrder() const { return sortOrder_; }
  void setSortOrder(LeftoverSortOrder order);
  RecordTable* table() const { return table_; }
  SelectionBar* selectionBar() const { return bar_; }

  // Searches when nothing has been found yet; searches again.
  void findLeftovers();
  void load();
  // Plans the removal of the selected rows, in displayed order.
  void deleteLeftovers();
  // Reveals one of `paths` (the first displayed) in the file manager.
  void revealSelection(const std::set<std::string>& paths);
  QMenu* buildContextMenu(const std::set<std::string>& paths);

 protected:
  void refresh() override;
  void showEvent(QShowEvent* event) override;

 private:
  void updateBar();
  void paintCell(QPainter* painter, const QStyleOptionViewItem& option, int row, int column) const;
  QString cellText(int row, int column) const;

  LeftoverSortOrder sortOrder_ = defaultLeftoverSortOrder();
  std::vector<Leftover> rows_;
  std::set<std::string> folders_;  // the rows that are folders
  QPushButton* search_;
  QStackedWidget* faces_;
  QWidget* loading_;
  QWidget* content_;
  RecordTable* table_;
  SelectionBar* bar_;
};

}  // namespace tolvex
