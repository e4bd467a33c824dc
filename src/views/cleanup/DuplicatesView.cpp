#include "views/cleanup/DuplicatesView.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <cmath>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/components/ActivitySpinner.h"
#include "app/components/PageHeader.h"
#include "app/components/SymbolView.h"
#include "app/screen/ScanPromptHost.h"
#include "app/theme/Theme.h"
#include "platform/Identifiers.h"
#include "views/analysis/SelectionBar.h"
#include "views/cleanup/DuplicatesList.h"

namespace tolvex {

namespace {

// "Sharing space…" over the list while copies are turned into shared copies: a spinner and its
// title on a rounded panel of the window's material.
class SharingIndicator : public QWidget {
 public:
  explicit SharingIndicator(QWidget* parent) : QWidget(parent) {
    setObjectName(QLatin1String(names::duplicatesSharing));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(10);
    column->addWidget(new ActivitySpinner(22, this), 0, Qt::AlignHCenter);
    auto* label = new QLabel(DuplicatesView::tr("Sharing space\u2026"), this);
    Theme::setForeground(label, Tone::secondary);
    column->addWidget(label, 0, Qt::AlignHCenter);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath panel;
    panel.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 14, 14);
    painter.fillPath(panel, Theme::withOpacity(palette().color(QPalette::Window), 0.94));
    painter.setPen(QPen(Theme::primary(palette(), 0.12), 1));
    painter.drawPath(panel);
  }
};

QVBoxLayout* centredColumn(QWidget* page, int spacing) {
  auto* column = new QVBoxLayout(page);
  column->setSpacing(spacing);
  column->addStretch(1);
  return column;
}

}  // namespace

DuplicatesView::DuplicatesView(AppState& state, QWidget* parent) : Screen(state, parent) {
  setObjectName(QLatin1String(names::duplicatesView));
  QVBoxLayout* column = ambientPage();
  QWidget* page = column->parentWidget();

  header_ = new PageHeader(tr("Duplicates"),
                           tr("Byte-for-byte identical files (SHA-256). Delete the extra copies, or keep them all and "
                              "let them share the same space on disk."),
                           page);
  header_->setContentsMargins(24, 24, 24, 24);
  find_ = new QPushButton(page);
  find_->setObjectName(QLatin1String(names::duplicatesFind));
  find_->setAutoDefault(false);
  labelWithSymbol(find_, tr("Find Duplicates"), QStringLiteral("magnifyingglass"));
  header_->addTrailing(find_);
  column->addWidget(header_);

  faces_ = new QStackedWidget(page);
  progress_ = makeProgressPage();
  empty_ = makeEmptyPage();
  content_ = makeContentPage();
  column->addWidget(faces_, 1);

  bar_ = new SelectionBar(page);
  column->addWidget(bar_);

  connect(find_, &QPushButton::clicked, this, &DuplicatesView::findDuplicates);
  connect(bar_, &SelectionBar::clearRequested, this, &DuplicatesView::clearSelection);
  connect(bar_, &SelectionBar::secondaryRequested, this, &DuplicatesView::shareSpace);
  connect(bar_, &SelectionBar::actionRequested, this, &DuplicatesView::deleteCopies);
  // The rows refer to the groups by position: they follow every change of the groups at once.
  connect(&state, &AppState::duplicatesChanged, this, [this] {
    list_->duplicatesModel()->rebuild();
    updateBar();
  });
  updateBar();
}

QWidget* DuplicatesView::makeProgressPage() {
  auto* page = new QWidget(faces_);
  page->setObjectName(QLatin1String(names::duplicatesProgress));
  QVBoxLayout* column = centredColumn(page, 8);
  auto* title = new QLabel(tr("Comparing contents\u2026"), page);
  column->addWidget(title, 0, Qt::AlignHCenter);
  progressBar_ = new QProgressBar(page);
  progressBar_->setObjectName(QLatin1String(names::duplicatesProgressBar));
  progressBar_->setRange(0, 1000);
  progressBar_->setTextVisible(false);
  progressBar_->setFixedWidth(320);
  column->addWidget(progressBar_, 0, Qt::AlignHCenter);
  column->addStretch(1);
  faces_->addWidget(page);
  return page;
}

QWidget* DuplicatesView::makeEmptyPage() {
  auto* page = new QWidget(faces_);
  page->setObjectName(QLatin1String(names::duplicatesEmpty));
  QVBoxLayout* column = centredColumn(page, 8);
  auto* symbol = new SymbolView(QStringLiteral("doc.on.doc"), 40, page);
  Theme::setForeground(symbol, Tone::tertiary);
  column->addWidget(symbol, 0, Qt::AlignHCenter);
  auto* text = new QLabel(tr("Click \u201cFind Duplicates\u201d to get started."), page);
  Theme::setForeground(text, Tone::secondary);
  column->addWidget(text, 0, Qt::AlignHCenter);
  column->addStretch(1);
  faces_->addWidget(page);
  return page;
}

QWidget* DuplicatesView::makeContentPage() {
  auto* page = new QWidget(faces_);
  page->setObjectName(QLatin1String(names::duplicatesContent));
  auto* column = new QVBoxLayout(page);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  auto* summaryRow = new QHBoxLayout;
  summaryRow->setContentsMargins(24, 0, 24, 8);
  summary_ = new QLabel(page);
  summary_->setObjectName(QLatin1String(names::duplicatesSummary));
  Theme::setTextStyle(summary_, TextStyle::headline);
  summaryRow->addWidget(summary_);
  summaryRow->addStretch(1);
  auto* selectAll = new QPushButton(tr("Select All Copies"), page);
  selectAll->setObjectName(QLatin1String(names::duplicatesSelectAll));
  selectAll->setAutoDefault(false);
  connect(selectAll, &QPushButton::clicked, this, &DuplicatesView::selectAllCopies);
  summaryRow->addWidget(selectAll);
  column->addLayout(summaryRow);

  // The list, with the sharing indicator centred over it while copies are being shared.
  auto* stack = new QGridLayout;
  list_ = new DuplicatesList(state().duplicates(), selected_, state().environment().places.home, page);
  stack->addWidget(list_, 0, 0);
  sharing_ = new SharingIndicator(page);
  sharing_->hide();
  stack->addWidget(sharing_, 0, 0, Qt::AlignCenter);
  column->addLayout(stack, 1);
  connect(list_, &DuplicatesList::fileCheckClicked, this,
          [this](uint64_t serial) { setSelected(serial, !selected_.contains(serial)); });
  faces_->addWidget(page);
  return page;
}

void DuplicatesView::refresh() {
  const auto& progress = state().duplicatesProgress();
  find_->setVisible(state().scan().has_value());
  find_->setEnabled(!progress.has_value());
  if (!state().scan()) {
    showFace(Face::prompt);
  } else if (progress) {
    const double fraction = std::isfinite(*progress) ? std::clamp(*progress, 0.0, 1.0) : 0.0;
    progressBar_->setValue(static_cast<int>(std::lround(fraction * 1000)));
    showFace(Face::progress);
  } else if (!state().duplicates().empty()) {
    summary_->setText(duplicateSummaryText(static_cast<int64_t>(state().duplicates().size()),
                                           recoverableTotal(state().duplicates())));
    showFace(Face::groups);
  } else {
    showFace(Face::empty);
  }
  sharing_->setVisible(state().isSharingSpace());
  if (sharing_->isVisible()) sharing_->raise();
  updateBar();
}

void DuplicatesView::showFace(Face face) {
  face_ = face;
  if (face != Face::prompt && prompt_) {
    faces_->removeWidget(prompt_);
    prompt_->deleteLater();
  }
  switch (face) {
    case Face::prompt:
      if (!prompt_) {
        prompt_ = makeScanPrompt(state(), tr("Scan your disk first"),
                                 tr("Duplicates are found among the files from the last scan."), faces_);
        prompt_->setObjectName(QLatin1String(names::duplicatesPrompt));
        faces_->addWidget(prompt_);
      }
      faces_->setCurrentWidget(prompt_);
      break;
    case Face::progress: faces_->setCurrentWidget(progress_); break;
    case Face::groups: faces_->setCurrentWidget(content_); break;
    case Face::empty: faces_->setCurrentWidget(empty_); break;
  }
}

void DuplicatesView::setSelected(uint64_t serial, bool on) {
  if (on)
    selected_.insert(serial);
  else
    selected_.erase(serial);
  selectionEdited();
}

void DuplicatesView::findDuplicates() {
  state().searchDuplicates();
  clearSelection();
}

void DuplicatesView::selectAllCopies() {
  selected_ = allDuplicateCopies(state().duplicates());
  selectionEdited();
}

void DuplicatesView::clearSelection() {
  selected_.clear();
  selectionEdited();
}

void DuplicatesView::shareSpace() {
  // One batch at a time: what is ticked meanwhile stays ticked for the next one.
  if (state().isSharingSpace()) return;
  const auto& groups = state().duplicates();
  if (!everyGroupKeepsCopy(groups, selected_)) return warnKeepOne();
  state().shareSpace(selectedDuplicateFiles(groups, selected_));
  clearSelection();
}

void DuplicatesView::deleteCopies() {
  const auto& groups = state().duplicates();
  if (!everyGroupKeepsCopy(groups, selected_)) return warnKeepOne();
  state().requestDeletion(duplicatePlanItems(selectedDuplicateFiles(groups, selected_), state().safety()),
                          tr("Delete Duplicate Copies"));
}

void DuplicatesView::warnKeepOne() {
  Toast toast;
  toast.id = makeUUID();
  toast.message = tr("Keep at least one copy in each group");
  state().showToast(std::move(toast));
}

void DuplicatesView::selectionEdited() {
  list_->duplicatesModel()->selectionChanged();
  updateBar();
}

void DuplicatesView::updateBar() {
  const auto files = selectedDuplicateFiles(state().duplicates(), selected_);
  SelectionBar::Values values;
  values.count = static_cast<int>(files.size());
  values.size = duplicateFilesSize(files);
  values.actionTitle = tr("Delete\u2026");
  values.secondaryTitle = tr("Keep Both, Share Space");
  values.secondaryHelp =
      tr("Keeps every file where it is and stores identical ones only once (APFS clones). Editing "
         "one later doesn\u2019t change the other.");
  values.secondaryEnabled = !state().isSharingSpace();
  bar_->setValues(values);
}

}  // namespace tolvex
