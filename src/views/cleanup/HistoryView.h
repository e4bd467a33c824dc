#pragma once
// The History screen: everything the application has deleted, newest first, with a Restore button on
// each item still in the Trash, and above the list the items the last deletion run could not delete.
// It writes to the history in two ways only, restoring one entry and clearing the list; it never
// deletes a file.
#include "app/screen/Screen.h"

class QLabel;
class QPushButton;

namespace tolvex {

class Card;
class DeletionHistory;
class HistoryTable;
struct HistoryEntry;

class HistoryView : public Screen {
  Q_OBJECT
 public:
  HistoryView(AppState& state, DeletionHistory& history, QWidget* parent = nullptr);

  HistoryTable* table() const { return table_; }
  // Puts the entry's item back (the store refuses anything but the very item, into a free place).
  void restore(const HistoryEntry& entry);
  // Empties the list, at once and without asking; the files stay where they are.
  void clearHistory();

 protected:
  void refresh() override;
  void changeEvent(QEvent* event) override;

 private:
  void showFailures();

  DeletionHistory& history_;
  QPushButton* clear_;
  Card* failures_;
  QWidget* failureRows_;
  QLabel* restoreNote_;
  HistoryTable* table_;
};

}  // namespace tolvex
