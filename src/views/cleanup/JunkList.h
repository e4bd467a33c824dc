#pragma once
// The list of the Junk screen: category headers, one row per rule (open/close chevron, check box,
// title line and explanation, item count, total) and, under an open rule, its items (check box,
// icon, name, date, size) with a line counting those not listed. Rows are painted by a delegate over
// a model of row descriptors; the findings stay in the store and the ticks in the screen, and the
// model only reads them.
#include <QAbstractListModel>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QVariantAnimation>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engines/JunkFinder.h"
#include "views/cleanup/ChevronTurns.h"
#include "views/cleanup/CleanupList.h"
#include "views/cleanup/logic/JunkSelection.h"

namespace tolvex {

class JunkListModel : public QAbstractListModel {
  Q_OBJECT
 public:
  enum Role {
    KindRole = Qt::UserRole + 1,  // int (JunkRow::Kind)
    CheckedRole,                  // bool: the rule's or item's box is ticked
    OpacityRole,                  // double: the box's opacity
    OpenRole,                     // bool: the rule is open
    ChevronLabelRole,             // QString: "Collapse" or "Expand"
    RuleIdRole,                   // QString
    ItemIdRole,                   // QString: the item's identifier (its path) as UTF-8 text
    ExplanationRole,              // QString
    CountTextRole,                // QString: "%lld items"
    SizeTextRole,                 // QString
    DateTextRole,                 // QString: empty when the item has no date
    SymbolRole,                   // QString: a section's symbol
  };

  JunkListModel(const std::vector<JunkFinding>& junk, const StringSet& selected, const StringSet& expanded,
                QObject* parent = nullptr);

  // The findings or the open rules changed: the rows are worked out again; rows that stay keep
  // their place (and the list its scroll position).
  void rebuild();
  // The ticks changed: the rules' check marks are worked out again and every row repaints.
  void selectionChanged();

  const JunkRow* row(int index) const;
  const JunkFinding* finding(const JunkRow& row) const;
  const JunkItem* item(const JunkRow& row) const;
  // Every item identifier of a finding, and its check mark.
  const StringSet& ruleIds(size_t finding) const;
  GroupCheck ruleCheck(size_t finding) const;
  const std::vector<JunkRow>& rows() const { return rows_; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  void updateChecks();

  const std::vector<JunkFinding>& junk_;
  const StringSet& selected_;
  const StringSet& expanded_;
  std::vector<JunkRow> rows_;
  std::vector<StringSet> ruleIds_;  // per finding, made when the findings change
  std::vector<GroupCheck> checks_;
};

class JunkListDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  // `angle` gives the chevron's turn (0 closed, 90 open) for a rule id and its open state.
  JunkListDelegate(JunkListModel* model, std::function<double(const std::string&, bool)> angle, QObject* parent);

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                 const QModelIndex& index) override;

  // Where a click lands on a row drawn in `rect`.
  enum class Hit { none, chevron, check };
  static Hit hitTest(JunkRow::Kind kind, const QRect& rect, const QPoint& point);
  static QRect chevronRect(const QRect& rect);
  static QRect checkRect(JunkRow::Kind kind, const QRect& rect);

 private:
  void paintSection(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;
  void paintRule(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;
  void paintItem(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;
  void paintMore(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;

  JunkListModel* model_;
  std::function<double(const std::string&, bool)> angle_;
};

class JunkList : public CleanupList {
  Q_OBJECT
 public:
  JunkList(const std::vector<JunkFinding>& junk, const StringSet& selected, const StringSet& expanded,
           QWidget* parent = nullptr);

  JunkListModel* junkModel() const { return model_; }
  // Turns the chevron of a rule towards its new state (at once without animations).
  void turnChevron(const std::string& ruleId, bool open);
  double chevronAngle(const std::string& ruleId, bool open) const;
  // What a click at `point` (viewport coordinates) does, as the signals below.
  void clickAt(const QPoint& point);

 signals:
  void chevronClicked(size_t finding);
  void ruleCheckClicked(size_t finding);
  void itemCheckClicked(size_t finding, size_t item);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // "Show in Finder" for an item row.
  void showMenu(const QPoint& pos);

  JunkListModel* model_;
  ChevronTurns turns_{viewport()};
  QPersistentModelIndex pressed_;
  JunkListDelegate::Hit pressedHit_ = JunkListDelegate::Hit::none;
};

}  // namespace tolvex
