#include "shell/ExclusionsSettings.h"

#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QSignalBlocker>
#include <QLabel>
#include <QHeaderView>
#include <QTreeView>
#include <QPointer>
#include <QStringListModel>
#include <QToolButton>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/services/UiServices.h"
#include "app/theme/Symbols.h"
#include "app/theme/Theme.h"
#include "shell/logic/SettingsChoices.h"

namespace tolvex {

namespace {

QToolButton* symbolButton(const QString& symbol, const char* name, const QString& tip, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QLatin1String(name));
  button->setIcon(Symbols::icon(symbol, 14));
  button->setIconSize(QSize(14, 14));
  button->setFixedSize(26, 22);
  button->setToolTip(tip);
  button->setAccessibleName(tip);
  Symbols::tag(button, symbol);
  return button;
}

QStringList shownPaths(const std::vector<std::string>& paths) {
  QStringList lines;
  for (const std::string& path : paths) lines << QString::fromStdString(path);
  return lines;
}

}  // namespace

ExclusionsSettings::ExclusionsSettings(AppState& state, QWidget* parent) : QWidget(parent), state_(state) {
  setObjectName(QLatin1String(names::settingsExclusions));
  build();
  refresh();
  connect(&state_, &AppState::changed, this, &ExclusionsSettings::refresh);
}

void ExclusionsSettings::build() {
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(20, 16, 20, 16);
  page->setSpacing(10);
  auto* intro = new QLabel(tr("Folders Tolvex never scans or suggests deleting."), this);
  intro->setWordWrap(true);
  Theme::setForeground(intro, Tone::secondary);
  page->addWidget(intro);

  model_ = new QStringListModel(this);
  // One column as wide as the list: a long path is shortened in its middle, never scrolled sideways.
  list_ = new QTreeView(this);
  list_->setObjectName(QLatin1String(names::exclusionsList));
  list_->setModel(model_);
  list_->setHeaderHidden(true);
  list_->setRootIsDecorated(false);
  list_->setItemsExpandable(false);
  list_->header()->setStretchLastSection(true);
  list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setAlternatingRowColors(true);
  list_->setUniformRowHeights(true);
  list_->setTextElideMode(Qt::ElideMiddle);
  page->addWidget(list_, 1);
  connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
    const QModelIndexList rows = list_->selectionModel()->selectedRows();
    if (rows.isEmpty())
      selection_.reset();
    else
      selection_ = rows.first().data().toString().toStdString();
    remove_->setEnabled(selection_.has_value());
  });

  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(4);
  add_ = symbolButton(QStringLiteral("plus"), names::exclusionsAdd, tr("Add a Folder…"), this);
  remove_ = symbolButton(QStringLiteral("minus"), names::exclusionsRemove, tr("Remove"), this);
  remove_->setEnabled(false);
  buttons->addWidget(add_);
  buttons->addWidget(remove_);
  message_ = new QLabel(this);
  message_->setObjectName(QLatin1String(names::exclusionsMessage));
  message_->setWordWrap(true);
  Theme::setTextStyle(message_, TextStyle::caption);
  Theme::setForeground(message_, Theme::danger());
  message_->hide();
  buttons->addSpacing(8);
  buttons->addWidget(message_, 1);
  buttons->addStretch();
  page->addLayout(buttons);
  connect(add_, &QToolButton::clicked, this, &ExclusionsSettings::addFolder);
  connect(remove_, &QToolButton::clicked, this, &ExclusionsSettings::removeSelected);
}

void ExclusionsSettings::addFolder() {
  auto& choose = UiServices::shared().chooseFolder;
  if (!choose) return;
  QPointer<ExclusionsSettings> self(this);
  choose(this, tr("Exclude"), [self](std::optional<std::string> path) {
    if (self && path) self->addChosen(*path);
  });
}

void ExclusionsSettings::addChosen(const std::string& path) {
  const std::optional<QString> stored = exclusionsAdding(state_.excludedPaths(), path);
  showRefusal(!stored);
  if (stored) state_.setExcludedRaw(*stored);
}

void ExclusionsSettings::removeSelected() {
  showRefusal(false);
  state_.setExcludedRaw(exclusionsRemoving(state_.excludedPaths(), selection_));
}

void ExclusionsSettings::showRefusal(bool refused) {
  message_->setText(refused ? tr("That folder can’t be excluded: its path holds a line break or characters that "
                                 "aren’t text, so it can’t be stored in the list.")
                            : QString());
  message_->setVisible(refused);
}

void ExclusionsSettings::refresh() {
  const QStringList lines = shownPaths(state_.excludedPaths());
  if (lines != model_->stringList()) {
    // A reset drops the view's selection without a signal; the selected path is kept and shown
    // again when it is still listed.
    model_->setStringList(lines);
    select(selection_);
  }
  remove_->setEnabled(selection_.has_value());
}

void ExclusionsSettings::select(const std::optional<std::string>& path) {
  if (!path) return;
  const int row = static_cast<int>(model_->stringList().indexOf(QString::fromStdString(*path)));
  if (row < 0) return;
  const QSignalBlocker block(list_->selectionModel());
  list_->selectionModel()->select(model_->index(row), QItemSelectionModel::ClearAndSelect);
  list_->setCurrentIndex(model_->index(row));
  list_->viewport()->update();
}

}  // namespace tolvex
