#pragma once
// The sheet every reviewed deletion passes through: the plan's items grouped by risk, the opt-in for
// items marked review, what will happen to them, and the total. It deletes nothing itself; it hands
// the decision to AppState::confirmDeletion or dismisses the plan.
//
// One dialog serves one plan id. The review tick lives in the dialog and starts off, so a new plan
// never inherits the tick of an earlier one; the dialog closes itself as soon as AppState no longer
// holds its plan.
#include <QAbstractListModel>
#include <QDialog>
#include <QStyledItemDelegate>
#include <cstdint>
#include <string>
#include <vector>

#include "app/DeletionPlan.h"

class QCheckBox;
class QLabel;
class QListView;
class QPushButton;

namespace tolvex {

class AppState;
class SymbolLabel;

// The arithmetic of the sheet, as plain functions of the plan and the tick.
namespace confirm {
// The items of one risk, in plan order.
std::vector<const PlanItem*> itemsOf(const DeletionPlan& plan, Risk risk);
// Safe items, plus review items when the tick is on; never protected ones.
int64_t deletableCount(const DeletionPlan& plan, bool acceptedReview);
// The sum of the sizes of what deletableCount counts (saturating; may be negative).
int64_t bytesToDelete(const DeletionPlan& plan, bool acceptedReview);
// A group's header text: the count in decimal, " · ", the byte text of its total (clamped at 0).
QString groupText(const std::vector<const PlanItem*>& items);
// The byte text of max(bytes, 0).
QString byteText(int64_t bytes);
}  // namespace confirm

// The rows of the sheet's list: for each risk group that has items (safe, review, protected), one
// header row followed by one row per item in plan order.
class ConfirmDeletionModel : public QAbstractListModel {
  Q_OBJECT
 public:
  enum Role {
    IsHeaderRole = Qt::UserRole + 1,  // bool
    RiskRole,                         // int (Risk)
    PathRole,                         // QString, the item's path as UTF-8 text
    ReasonRole,                       // QString
    DisplayPathRole,                  // QString, displayPath of the item's path
    SizeTextRole,                     // QString, byte text of the size clamped at 0
    OpacityRole,                      // qreal, 1 or 0.55
    StripeRole,                       // bool, the item's row within its group is odd
  };

  // Paths show with the home folder `home` as "~".
  ConfirmDeletionModel(const DeletionPlan& plan, std::string home, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  bool acceptedReview() const { return acceptedReview_; }
  void setAcceptedReview(bool on);
  const PlanItem* itemAt(int row) const;

 private:
  struct Row {
    bool header = false;
    Risk risk = Risk::safe;
    const PlanItem* item = nullptr;  // null for a header
    QString headerText;
    bool stripe = false;
  };
  DeletionPlan plan_;
  std::string home_;
  std::vector<Row> rows_;
  bool acceptedReview_ = false;
};

// Paints the header and item rows of ConfirmDeletionModel.
class ConfirmDeletionDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  explicit ConfirmDeletionDelegate(QListView* view);

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  static constexpr int kRowInset = 6;  // between the list's edge and a row's background
  static constexpr int kPadH = 10;
  static constexpr int kPadV = 6;
  static constexpr int kIconSize = 20;
  static constexpr int kSpacing = 10;

 private:
  int textWidth(const QModelIndex& index) const;
  QListView* view_;
};

class ConfirmDeletionDialog : public QDialog {
  Q_OBJECT
 public:
  ConfirmDeletionDialog(AppState& state, DeletionPlan plan, QWidget* parent = nullptr);

  const std::string& planId() const { return plan_.id; }
  const DeletionPlan& plan() const { return plan_; }
  bool acceptedReview() const { return model_->acceptedReview(); }
  ConfirmDeletionModel* model() const { return model_; }

  static constexpr int kWidth = 640;
  static constexpr int kHeight = 560;
  static constexpr int kListMinimumHeight = 260;

 public slots:
  // Cancel, Escape and closing the window: dismiss the plan (only if it is still this one).
  void reject() override;

 private:
  void confirm();
  void setAcceptedReview(bool on);
  void refresh();
  void followPlan();

  AppState& state_;
  DeletionPlan plan_;
  ConfirmDeletionModel* model_;
  QLabel* subtitle_;
  QListView* list_;
  QCheckBox* reviewToggle_ = nullptr;
  QLabel* total_;
  QPushButton* cancel_;
  QPushButton* delete_;
};

}  // namespace tolvex
