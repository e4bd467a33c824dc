#include "views/cleanup/HistoryView.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/components/Card.h"
#include "app/components/ElidedLabel.h"
#include "app/components/PageHeader.h"
#include "app/components/SymbolView.h"
#include "app/theme/Theme.h"
#include "engines/DeletionHistory.h"
#include "model/DisplayPath.h"
#include "views/cleanup/HistoryTable.h"

namespace tolvex {
namespace {

QWidget* failureRow(const DeletionFailure& failure, std::string_view home, QWidget* parent) {
  auto* row = new QWidget(parent);
  row->setObjectName(QLatin1String(names::historyFailureRow));
  auto* line = new QHBoxLayout(row);
  line->setContentsMargins(0, 0, 0, 0);
  line->setSpacing(8);
  auto* symbol = new SymbolView(QStringLiteral("xmark.octagon.fill"), Theme::danger(), 14, row);
  line->addWidget(symbol, 0, Qt::AlignTop);
  auto* text = new QVBoxLayout;
  text->setContentsMargins(0, 0, 0, 0);
  text->setSpacing(1);
  auto* path = new ElidedLabel(QString::fromUtf8(displayPath(failure.path, home)), row);
  path->setObjectName(QLatin1String(names::historyFailurePath));
  path->setElideMode(Qt::ElideMiddle);
  Theme::setTextStyle(path, TextStyle::body);
  text->addWidget(path);
  auto* reason = new QLabel(QString::fromUtf8(failure.reason), row);
  reason->setObjectName(QLatin1String(names::historyFailureReason));
  reason->setWordWrap(true);
  Theme::setTextStyle(reason, TextStyle::caption);
  Theme::setForeground(reason, Tone::secondary);
  text->addWidget(reason);
  line->addLayout(text, 1);
  return row;
}

// What the user reads when a restore is refused: the item and the store's reason.
QString restoreRefusedText(const HistoryEntry& entry, const RestoreFailure& failure) {
  QString reason = QString::fromUtf8(failure.reason);
  if (!reason.endsWith(QLatin1Char('.'))) reason += QLatin1Char('.');
  return HistoryView::tr("“%1” wasn’t restored. %2").arg(historyItemName(entry.originalPath), reason);
}

}  // namespace

HistoryView::HistoryView(AppState& state, DeletionHistory& history, QWidget* parent)
    : Screen(state, parent), history_(history) {
  setObjectName(QLatin1String(names::historyView));
  QVBoxLayout* column = ambientPage();
  QWidget* page = column->parentWidget();
  column->setSpacing(14);

  auto* header = new PageHeader(
      tr("History"),
      tr("Everything Tolvex has deleted. Anything still in the Trash can be restored to its original location."), page);
  header->setContentsMargins(24, 24, 24, 0);
  clear_ = new QPushButton(tr("Clear History"), header);
  clear_->setObjectName(QLatin1String(names::historyClear));
  clear_->setAutoDefault(false);
  header->addTrailing(clear_);
  column->addWidget(header);

  auto* failuresBox = new QWidget(page);
  auto* failuresMargins = new QVBoxLayout(failuresBox);
  failuresMargins->setContentsMargins(24, 0, 24, 0);
  failures_ = new Card(16, failuresBox);
  failures_->setObjectName(QLatin1String(names::historyFailures));
  failures_->body()->setSpacing(6);
  auto* heading = new QLabel(tr("Couldn’t be deleted in the last operation"), failures_);
  Theme::setTextStyle(heading, TextStyle::headline);
  failures_->body()->addWidget(heading);
  failureRows_ = new QWidget(failures_);
  auto* rows = new QVBoxLayout(failureRows_);
  rows->setContentsMargins(0, 0, 0, 0);
  rows->setSpacing(6);
  failures_->body()->addWidget(failureRows_);
  failuresMargins->addWidget(failures_);
  column->addWidget(failuresBox);

  restoreNote_ = new QLabel(page);
  restoreNote_->setObjectName(QLatin1String(names::historyRestoreNote));
  restoreNote_->setWordWrap(true);
  restoreNote_->setContentsMargins(24, 0, 24, 0);
  Theme::setTextStyle(restoreNote_, TextStyle::callout);
  Theme::setForeground(restoreNote_, Theme::danger());
  restoreNote_->hide();
  column->addWidget(restoreNote_);

  table_ = new HistoryTable(history_, state.environment().places.home, page);
  table_->setObjectName(QLatin1String(names::historyTable));
  column->addWidget(table_, 1);

  connect(clear_, &QPushButton::clicked, this, &HistoryView::clearHistory);
  connect(table_, &HistoryTable::restoreRequested, this, &HistoryView::restore);
  // The rows follow the history store and the card the last run; nothing else the application
  // publishes changes them. The Restore buttons are decided again at each paint of a row.
  connect(&state, &AppState::historyChanged, table_, &HistoryTable::reload);
  connect(&state, &AppState::failuresChanged, this, &HistoryView::showFailures);
  showFailures();
}

void HistoryView::restore(const HistoryEntry& given) {
  // The entry is copied first: a successful restore changes the store the reference points into.
  const HistoryEntry entry = given;
  if (auto failure = history_.restore(entry)) {
    restoreNote_->setText(restoreRefusedText(entry, *failure));
    restoreNote_->show();
  } else {
    restoreNote_->hide();
  }
  table_->viewport()->update();
}

void HistoryView::clearHistory() {
  history_.setEntries({});
  // A failed save leaves the old file; the list on screen is empty either way.
  [[maybe_unused]] const int unsaved = history_.save();
  restoreNote_->hide();
}

void HistoryView::refresh() { clear_->setEnabled(!history_.entries().empty()); }

void HistoryView::changeEvent(QEvent* event) {
  Screen::changeEvent(event);
  // Back from the file manager, where the Trash may have been emptied or a name taken again: the
  // rows are drawn anew, and with them the Restore buttons are decided again.
  if (event->type() == QEvent::ActivationChange) table_->viewport()->update();
}

void HistoryView::showFailures() {
  const auto& failures = state().failures();
  failures_->parentWidget()->setVisible(!failures.empty());
  while (QLayoutItem* item = failureRows_->layout()->takeAt(0)) {
    delete item->widget();
    delete item;
  }
  for (const DeletionFailure& failure : shownFailures(failures))
    failureRows_->layout()->addWidget(failureRow(failure, state().environment().places.home, failureRows_));
}

}  // namespace tolvex
