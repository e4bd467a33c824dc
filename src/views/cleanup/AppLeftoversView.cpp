#include "views/cleanup/AppLeftoversView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyleOptionViewItem>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>
#include <sys/stat.h>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/UiText.h"
#include "app/components/ActivitySpinner.h"
#include "app/components/FileIcon.h"
#include "app/components/PageHeader.h"
#include "app/components/SymbolView.h"
#include "app/theme/Symbols.h"
#include "app/theme/Theme.h"
#include "views/analysis/SelectionBar.h"
#include "views/cleanup/CleanupPieces.h"
#include "views/cleanup/RecordTable.h"

namespace tolvex {

namespace {

constexpr int kRowHeight = 28;
constexpr LeftoverKey kColumnKeys[] = {LeftoverKey::identifier, LeftoverKey::location, LeftoverKey::size};

void paintText(QPainter* painter, const QRect& rect, const QString& text, const QFont& font, const QColor& color) {
  painter->setFont(font);
  painter->setPen(color);
  painter->drawText(rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                    QFontMetrics(font).elidedText(text, Qt::ElideRight, rect.width()));
}

}  // namespace

AppLeftoversView::AppLeftoversView(AppState& state, QWidget* parent) : Screen(state, parent) {
  setObjectName(QLatin1String(names::leftoversView));
  QVBoxLayout* page = ambientPage();
  page->setSpacing(14);
  auto* header =
      new PageHeader(tr("App Leftovers"), tr("Data in your home folder from apps that are no longer installed on this computer."));
  search_ = new QPushButton;
  search_->setObjectName(QLatin1String(names::leftoversSearch));
  search_->setAutoDefault(false);
  labelWithSymbol(search_, tr("Search"), QStringLiteral("magnifyingglass"));
  connect(search_, &QPushButton::clicked, this, &AppLeftoversView::load);
  header->addTrailing(search_);
  auto* headerBox = new QWidget;
  auto* headerMargins = new QVBoxLayout(headerBox);
  headerMargins->setContentsMargins(24, 24, 24, 0);
  headerMargins->addWidget(header);
  page->addWidget(headerBox);

  faces_ = new QStackedWidget;
  loading_ = new QWidget;
  loading_->setObjectName(QLatin1String(names::leftoversLoading));
  auto* loadingColumn = new QVBoxLayout(loading_);
  loadingColumn->addStretch(1);
  loadingColumn->addWidget(new ActivitySpinner(24, loading_), 0, Qt::AlignHCenter);
  auto* loadingText = new QLabel(tr("Comparing your app data with your installed apps\u2026"), loading_);
  Theme::setForeground(loadingText, Tone::secondary);
  loadingColumn->addWidget(loadingText, 0, Qt::AlignHCenter);
  loadingColumn->addStretch(1);
  faces_->addWidget(loading_);

  content_ = new QWidget;
  auto* column = new QVBoxLayout(content_);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(14);
  auto* info = labelWithSymbol(tr("Only the data of Flatpaks and Snaps that are gone, and folders named after an "
                                  "identifier (com.company.app) that don\u2019t match any installed app, are listed. "
                                  "Review them: some may belong to a tool without a visible app."),
                               QStringLiteral("info.circle"));
  info->setObjectName(QLatin1String(names::leftoversInfo));
  info->setTextStyle(TextStyle::callout);
  info->label()->setWordWrap(true);
  Theme::setForeground(info, Tone::secondary);
  auto* infoBox = new QWidget;
  auto* infoMargins = new QVBoxLayout(infoBox);
  infoMargins->setContentsMargins(24, 0, 24, 0);
  infoMargins->addWidget(info);
  column->addWidget(infoBox);

  table_ =
      new RecordTable({RecordColumn{tr("Identifier"), true, 160, 320}, RecordColumn{tr("Location"), true, 110, 150},
                       RecordColumn{tr("Size"), true, 80, 90}, RecordColumn{tr("Modified"), false, 90, 110}},
                      kRowHeight, true, identifierColumn);
  table_->setObjectName(QLatin1String(names::leftoversTable));
  table_->paintCell = [this](QPainter* painter, const QStyleOptionViewItem& option, int row, int column) {
    paintCell(painter, option, row, column);
  };
  table_->recordModel()->cellText = [this](int row, int column) { return cellText(row, column); };
  table_->onPrimary = [this](const RecordTable::Paths& paths) { revealSelection(paths); };
  table_->onContextMenu = [this](const RecordTable::Paths& paths, const QPoint& at) {
    if (paths.empty()) return;
    QMenu* menu = buildContextMenu(paths);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(at);
  };
  connect(table_, &RecordTable::headerClicked, this, [this](int column) {
    if (column < 0 || column >= static_cast<int>(std::size(kColumnKeys))) return;
    setSortOrder(clickedLeftoverHeader(sortOrder_, kColumnKeys[column]));
  });
  connect(table_, &RecordTable::recordSelectionChanged, this, &AppLeftoversView::updateBar);
  column->addWidget(table_, 1);

  bar_ = new SelectionBar;
  connect(bar_, &SelectionBar::clearRequested, this, [this] { table_->setSelection({}); });
  connect(bar_, &SelectionBar::actionRequested, this, &AppLeftoversView::deleteLeftovers);
  column->addWidget(bar_);
  faces_->addWidget(content_);
  page->addWidget(faces_, 1);
  table_->setSortIndicator(sizeColumn, false);
}

void AppLeftoversView::showEvent(QShowEvent* event) {
  findLeftovers();  // first, so that the first drawing already shows the search
  Screen::showEvent(event);
}

void AppLeftoversView::findLeftovers() {
  if (state().leftovers().empty()) state().loadLeftovers();
}

void AppLeftoversView::load() { state().loadLeftovers(); }

void AppLeftoversView::setSortOrder(LeftoverSortOrder order) {
  sortOrder_ = order.empty() ? defaultLeftoverSortOrder() : std::move(order);
  refreshNow();
}

void AppLeftoversView::refresh() {
  const AppState& store = state();
  search_->setEnabled(!store.leftoversLoading());
  faces_->setCurrentWidget(store.leftoversLoading() ? loading_ : content_);
  rows_ = sortedLeftovers(store.leftovers(), sortOrder_);
  std::vector<std::string> ids;
  ids.reserve(rows_.size());
  folders_.clear();
  for (const Leftover& row : rows_) {
    ids.push_back(row.path);
    // A folder asks for its icon with a trailing "/": "com.company.tool" is not a ".tool" file.
    struct stat st {};
    if (lstat(row.path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) folders_.insert(row.path);
  }
  table_->setRows(std::move(ids));
  table_->viewport()->update();
  const auto& first = sortOrder_.front();
  const auto* key = std::find(std::begin(kColumnKeys), std::end(kColumnKeys), first.key);
  table_->setSortIndicator(static_cast<int>(key - std::begin(kColumnKeys)), first.ascending);
  updateBar();
}

void AppLeftoversView::updateBar() {
  const std::vector<Leftover> selected = selectedLeftovers(rows_, table_->selection());
  SelectionBar::Values values;
  values.count = static_cast<int>(selected.size());
  values.size = summedSize(selected);
  values.actionTitle = tr("Delete\u2026");
  bar_->setValues(values);
}

void AppLeftoversView::deleteLeftovers() {
  const std::vector<Leftover> selected = selectedLeftovers(rows_, table_->selection());
  state().requestDeletion(leftoverPlanItems(selected, state().safety()), tr("Delete App Leftovers"));
}

void AppLeftoversView::revealSelection(const std::set<std::string>& paths) {
  if (auto path = revealedLeftover(rows_, paths)) revealPathInFinder(*path);
}

QMenu* AppLeftoversView::buildContextMenu(const std::set<std::string>& paths) {
  auto* menu = new QMenu(this);
  menu->addAction(tr("Show in Finder"), this, [this, paths] { revealSelection(paths); });
  return menu;
}

QString AppLeftoversView::cellText(int row, int column) const {
  if (row < 0 || static_cast<size_t>(row) >= rows_.size()) return {};
  const Leftover& leftover = rows_[static_cast<size_t>(row)];
  switch (column) {
    case identifierColumn: return QString::fromUtf8(leftover.identifier);
    case locationColumn: return QString::fromUtf8(leftover.location);
    case sizeColumn: return bytesText(leftover.size);
    case modifiedColumn: return leftoverModifiedText(leftover.modified);
    default: return {};
  }
}

void AppLeftoversView::paintCell(QPainter* painter, const QStyleOptionViewItem& option, int row, int column) const {
  if (row < 0 || static_cast<size_t>(row) >= rows_.size()) return;
  const Leftover& leftover = rows_[static_cast<size_t>(row)];
  const QPalette& palette = option.palette;
  const QRect r = option.rect.adjusted(8, 0, -8, 0);
  switch (column) {
    case identifierColumn:
      FileIcon::paint(painter, QRect(r.left(), r.center().y() - 9, 18, 18),
                      folders_.contains(leftover.path) ? leftover.path + "/" : leftover.path);
      paintText(painter, r.adjusted(26, 0, 0, 0), cellText(row, column), Theme::font(TextStyle::body),
                Theme::primary(palette));
      break;
    case locationColumn:
    case modifiedColumn:
      paintText(painter, r, cellText(row, column), Theme::font(TextStyle::body), Theme::secondary(palette));
      break;
    case sizeColumn:
      paintText(painter, r, cellText(row, column), Theme::monospacedDigitFont(TextStyle::body),
                Theme::primary(palette));
      break;
    default: break;
  }
}

}  // namespace tolvex
