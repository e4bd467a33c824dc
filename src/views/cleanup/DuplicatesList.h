#pragma once
// The group list of the Duplicates screen: one caption per group ("3 copies · 12 MB each") and one
// row per file (check box, icon, name over its folder, "Shares space", "Suggested original", date),
// on alternating backgrounds. Rows are painted by a delegate over a model of row descriptors; the
// groups stay in the store and the selection in the screen, and the model only reads them.
#include <QAbstractListModel>
#include <QStyledItemDelegate>
#include <string>
#include <vector>

#include "engines/DuplicateFinder.h"
#include "views/cleanup/CleanupList.h"
#include "views/cleanup/logic/DuplicateSelection.h"

namespace tolvex {

class DuplicatesListModel : public QAbstractListModel {
  Q_OBJECT
 public:
  enum Role {
    IsHeaderRole = Qt::UserRole + 1,  // bool
    CheckedRole,                      // bool
    FolderRole,                       // QString: displayPath of the file's path
    PathRole,                         // QString: the file's path as UTF-8 text
    DateTextRole,                     // QString
    IsOriginalRole,                   // bool: the first file of its group
    SharesSpaceRole,                  // bool: in its group's shared set
    StripeRole,                       // bool: an odd row of its group
    SerialRole,                       // qulonglong
  };

  // Folders show with `home` as "~".
  DuplicatesListModel(const std::vector<DuplicateGroup>& groups, const SerialSet& selected, std::string home,
                      QObject* parent = nullptr);

  // The groups changed: the rows are worked out again.
  void rebuild();
  // The selection changed: every row repaints.
  void selectionChanged();

  const DuplicateRow* row(int index) const;
  const DuplicateGroup* group(const DuplicateRow& row) const;
  FileNode* file(const DuplicateRow& row) const;
  const std::vector<DuplicateRow>& rows() const { return rows_; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  const std::vector<DuplicateGroup>& groups_;
  const SerialSet& selected_;
  std::string home_;
  std::vector<DuplicateRow> rows_;
};

class DuplicatesListDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  explicit DuplicatesListDelegate(QObject* parent = nullptr) : QStyledItemDelegate(parent) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                 const QModelIndex& index) override;

  static QRect checkRect(const QRect& rect);
  // Where the "Shares space" badge of a row lies (empty when the row has none).
  static QRect badgeRect(const QRect& rect, const QModelIndex& index);

 private:
  void paintFile(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;
};

class DuplicatesList : public CleanupList {
  Q_OBJECT
 public:
  DuplicatesList(const std::vector<DuplicateGroup>& groups, const SerialSet& selected, std::string home,
                 QWidget* parent = nullptr);

  DuplicatesListModel* duplicatesModel() const { return model_; }
  // What a click at `point` (viewport coordinates) does: a click on a file's box toggles it.
  void clickAt(const QPoint& point);

 signals:
  void fileCheckClicked(uint64_t serial);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // "Show in Finder" for a file row.
  void showMenu(const QPoint& pos);
  bool onCheck(const QModelIndex& index, const QPoint& point) const;

  DuplicatesListModel* model_;
  QPersistentModelIndex pressed_;
};

}  // namespace tolvex
