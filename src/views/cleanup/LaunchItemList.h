#pragma once
// The list of the Login Items screen: a header row per scope followed by its launch items. Rows are
// painted by a delegate, buttons included ("Show in Finder" and the remove control), so a Mac with a
// few hundred agents lists them as fast as a handful. Only item rows can be selected; the selection
// is the item's path and survives every reload.
#include <QAbstractListModel>
#include <QListView>
#include <QStyledItemDelegate>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "system/LaunchItem.h"
#include "views/cleanup/logic/LoginItemsContent.h"

namespace tolvex {

class LaunchItemListModel : public QAbstractListModel {
  Q_OBJECT
 public:
  using QAbstractListModel::QAbstractListModel;

  void setItems(std::vector<LaunchItem> items);
  const std::vector<LaunchItem>& items() const { return items_; }

  // The item shown on `row`; none for a header row or a row out of range.
  const LaunchItem* item(int row) const;
  // The scope whose header is on `row`; none for an item row.
  std::optional<LaunchItem::Scope> header(int row) const;
  // The row showing the item at `path`, or -1.
  int rowOf(const std::string& path) const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  struct Row {
    std::optional<LaunchItem::Scope> header;
    size_t item = 0;
  };
  std::vector<LaunchItem> items_;
  std::vector<Row> rows_;
};

// The parts of an item row, for painting and for hit tests.
enum class LaunchItemPart { none, reveal, control };

struct LaunchItemRowGeometry {
  QRect icon;
  QRect text;
  QRect reveal;
  QRect control;  // the remove button, or the protected badge
};

class LaunchItemList;

class LaunchItemDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  explicit LaunchItemDelegate(LaunchItemList* list);
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  static LaunchItemRowGeometry geometry(const QRect& row, const LaunchItem& item);
  static int itemRowHeight(const LaunchItem& item);
  static constexpr int kHeaderHeight = 30;

 private:
  void paintHeader(QPainter* painter, const QStyleOptionViewItem& option, LaunchItem::Scope scope) const;
  void paintItem(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index,
                 const LaunchItem& item) const;
  void paintNameLine(QPainter* painter, const QRect& line, const LaunchItem& item, const QPalette& palette) const;
  void paintControl(QPainter* painter, const QRect& rect, const LaunchItem& item, int row,
                    const QStyleOptionViewItem& option) const;

  LaunchItemList* list_;
};

class LaunchItemList : public QListView {
  Q_OBJECT
 public:
  explicit LaunchItemList(QWidget* parent = nullptr);

  LaunchItemListModel* itemModel() const { return model_; }
  // Shows `items`; the selected path stays selected when it is still listed.
  void setItems(std::vector<LaunchItem> items);

  // The highlighted item's path, if any.
  const std::optional<std::string>& selectedPath() const { return selectedPath_; }
  void selectPath(const std::optional<std::string>& path);

  // Where a part of `row` lies in viewport coordinates (empty when the row has no such part).
  QRect partRect(int row, LaunchItemPart part) const;
  // The part of an item row under a viewport point, with its row.
  std::pair<int, LaunchItemPart> partAt(const QPoint& point) const;

  // The part under the pointer and the part pressed, for the delegate's hover and pressed looks.
  std::pair<int, LaunchItemPart> hovered() const { return hovered_; }
  std::pair<int, LaunchItemPart> pressed() const { return pressed_; }

 signals:
  void revealRequested(const std::string& path);
  void removeRequested(const LaunchItem& item);
  void selectedPathChanged();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  bool viewportEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void setHovered(std::pair<int, LaunchItemPart> hovered);
  void activate(int row, LaunchItemPart part);
  void restoreSelection();
  void viewSelectionChanged();

  LaunchItemListModel* model_;
  std::optional<std::string> selectedPath_;
  std::pair<int, LaunchItemPart> hovered_{-1, LaunchItemPart::none};
  std::pair<int, LaunchItemPart> pressed_{-1, LaunchItemPart::none};
  bool restoring_ = false;
};

}  // namespace tolvex
