#pragma once
// The folder list of the iCloud Drive screen: a folder row for each folder with items, and under an
// open folder its file rows (at most 300, then one "… and N more" line). Rows are painted; the check
// boxes, the disclosure chevrons and the context menu are hit-tested here and reported to the screen,
// which owns the selection and the open folders.
#include <QAbstractListModel>
#include <QListView>
#include <QStyledItemDelegate>
#include <functional>
#include <optional>

#include "engines/CloudDrive.h"
#include "views/cleanup/ChevronTurns.h"
#include "views/cleanup/logic/CloudSelection.h"

class QMenu;

namespace tolvex {

class ActivitySpinner;

class CloudListModel : public QAbstractListModel {
  Q_OBJECT
 public:
  CloudListModel(const StringSet& selected, const StringSet& expanded, QObject* parent = nullptr);

  // Shows `report` (or nothing); the model is reset only when the rows differ.
  void show(const CloudReport* report);
  const CloudReport* report() const { return report_; }
  const std::vector<CloudRow>& rows() const { return rows_; }
  const CloudRow* row(int index) const;
  const CloudFolder* folder(int index) const;
  const CloudItem* item(int index) const;
  bool isSelected(const std::string& path) const { return selected_.contains(path); }
  bool isExpanded(const CloudFolder& folder) const { return expanded_.contains(folder.path); }
  const StringSet& selected() const { return selected_; }
  // The row of a folder, or -1.
  int rowOfFolder(const std::string& path) const;
  int rowOfItem(const std::string& path) const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  const StringSet& selected_;
  const StringSet& expanded_;
  const CloudReport* report_ = nullptr;
  std::vector<CloudRow> rows_;
};

// Where the parts of a row lie, for painting and for clicks alike.
struct CloudRowGeometry {
  static constexpr int kFolderHeight = 44;
  static constexpr int kItemHeight = 28;
  static constexpr int kMoreHeight = 24;
  static constexpr int kInset = 24;  // the list's room at both sides, the page margin
  static constexpr int kItemIndent = 48;
  static QRect chevron(const QRect& row);
  static QRect folderCheck(const QRect& row);
  static QRect itemCheck(const QRect& row);
};

class CloudDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  // `angle` tells at what angle a folder's chevron is drawn (see ChevronTurns).
  CloudDelegate(CloudListModel* model, std::function<double(const std::string&, bool)> angle,
                QObject* parent = nullptr);
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  void paintFolder(QPainter* painter, const QStyleOptionViewItem& option, const CloudFolder& folder) const;
  void paintItem(QPainter* painter, const QStyleOptionViewItem& option, const CloudItem& item) const;
  CloudListModel* model_;
  std::function<double(const std::string&, bool)> angle_;
};

class CloudList : public QListView {
  Q_OBJECT
 public:
  CloudList(const StringSet& selected, const StringSet& expanded, QWidget* parent = nullptr);

  CloudListModel* cloudModel() const { return model_; }
  // The large progress indicator over the middle of the list while a load or an eviction runs.
  void setLoading(bool loading);
  bool isLoadingShown() const;
  // Rectangles of a row's controls in viewport coordinates (empty when the row has none).
  QRect chevronRect(int row) const;
  QRect checkRect(int row) const;
  // The menu of a file row ("Show in Finder"), or none for other rows; the caller shows it.
  QMenu* menuFor(int row);

 signals:
  void disclosureToggled(const std::string& folderPath);
  void folderChecked(const CloudFolder& folder, bool on);
  void fileChecked(const std::string& path, bool on);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // What a click at `pos` would act on.
  enum class Target { none, chevron, check };
  std::pair<Target, int> targetAt(const QPoint& pos) const;
  void activate(Target target, int row);
  void placeOverlay();

  CloudListModel* model_;
  ActivitySpinner* overlay_;
  ChevronTurns turns_{viewport()};
  std::pair<Target, int> pressed_{Target::none, -1};
};

}  // namespace tolvex
