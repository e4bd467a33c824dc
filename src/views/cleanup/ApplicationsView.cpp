#include "views/cleanup/ApplicationsView.h"

#include <QAction>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyleOptionViewItem>
#include <QVBoxLayout>
#include <algorithm>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/UiText.h"
#include "app/components/ActivitySpinner.h"
#include "app/components/FileIcon.h"
#include "app/components/PageHeader.h"
#include "app/components/SizeCell.h"
#include "app/components/SymbolView.h"
#include "app/theme/Theme.h"
#include "views/cleanup/AppDetailPane.h"
#include "views/cleanup/CleanupPieces.h"
#include "views/cleanup/RecordTable.h"

namespace tolvex {

namespace {

constexpr int kRowHeight = 44;
constexpr AppKey kColumnKeys[] = {AppKey::name, AppKey::totalSize, AppKey::appSize, AppKey::dataSize, AppKey::lastUsed};

// The search field's capsule: the primary colour at 5 % behind the symbol and the text.
class SearchBox : public QWidget {
 public:
  using QWidget::QWidget;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Theme::primary(palette(), 0.05));
    painter.drawRoundedRect(QRectF(rect()), 8, 8);
  }
};

// The search field, the filters and the count on one line while they fit; in a narrower screen (the
// smallest window with the inspector open) the filters move to a second line, so none is cut.
class HeaderRow : public QWidget {
 public:
  HeaderRow(QWidget* field, QWidget* filters, QWidget* summary)
      : field_(field), filters_(filters), summary_(summary), grid_(new QGridLayout(this)) {
    grid_->setContentsMargins(24, 0, 24, 0);
    grid_->setHorizontalSpacing(14);
    grid_->setVerticalSpacing(10);
    grid_->setColumnStretch(0, 1);
    grid_->setColumnStretch(2, 1);
    arrange(false);
  }
  // The texts changed: the line may now hold them all, or no longer.
  void rearrange() { arrange(width() < oneLineWidth()); }
  QSize minimumSizeHint() const override {
    const QMargins m = grid_->contentsMargins();
    const int first = field_->minimumSizeHint().width() + 14 + summary_->sizeHint().width();
    return {m.left() + std::max(first, filters_->sizeHint().width()) + m.right(), QWidget::minimumSizeHint().height()};
  }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    rearrange();
  }

 private:
  int oneLineWidth() const {
    const QMargins m = grid_->contentsMargins();
    return m.left() + field_->minimumSizeHint().width() + 14 + filters_->sizeHint().width() + 14 +
           summary_->sizeHint().width() + m.right();
  }
  void arrange(bool twoLines) {
    if (arranged_ && twoLines == twoLines_) return;
    arranged_ = true;
    twoLines_ = twoLines;
    for (QWidget* w : {field_, filters_, summary_}) grid_->removeWidget(w);
    grid_->addWidget(field_, 0, 0);
    grid_->addWidget(summary_, 0, 3);
    if (twoLines)
      grid_->addWidget(filters_, 1, 0, 1, 4, Qt::AlignLeft);
    else
      grid_->addWidget(filters_, 0, 1);
  }

  QWidget* field_;
  QWidget* filters_;
  QWidget* summary_;
  QGridLayout* grid_;
  bool arranged_ = false;
  bool twoLines_ = false;
};

void paintText(QPainter* painter, const QRect& rect, const QString& text, const QFont& font, const QColor& color,
               Qt::Alignment alignment = Qt::AlignLeft) {
  painter->setFont(font);
  painter->setPen(color);
  painter->drawText(rect, static_cast<int>(alignment | Qt::AlignVCenter) | Qt::TextSingleLine,
                    QFontMetrics(font).elidedText(text, Qt::ElideRight, rect.width()));
}

}  // namespace

ApplicationsView::ApplicationsView(AppState& state, QWidget* parent) : Screen(state, parent) {
  setObjectName(QLatin1String(names::applicationsView));
  QVBoxLayout* page = ambientPage();
  split_ = new QSplitter(Qt::Horizontal);
  split_->setChildrenCollapsible(false);
  split_->setHandleWidth(1);
  page->addWidget(split_);

  auto* main = new QWidget;
  auto* column = new QVBoxLayout(main);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(14);
  auto* header = new PageHeader(tr("Applications"),
                                tr("Every app along with the data it keeps in your home folder: settings, caches, "
                                   "app data\u2026"));
  refresh_ = new QPushButton;
  refresh_->setObjectName(QLatin1String(names::appsRefresh));
  refresh_->setAutoDefault(false);
  refreshButtonLabel(refresh_);
  connect(refresh_, &QPushButton::clicked, this, &ApplicationsView::refreshApps);
  header->addTrailing(refresh_);
  auto* headerBox = new QWidget;
  auto* headerMargins = new QVBoxLayout(headerBox);
  headerMargins->setContentsMargins(24, 24, 24, 0);
  headerMargins->addWidget(header);
  column->addWidget(headerBox);
  column->addWidget(headerRow());

  faces_ = new QStackedWidget;
  loading_ = new QWidget;
  loading_->setObjectName(QLatin1String(names::appsLoading));
  auto* loadingColumn = new QVBoxLayout(loading_);
  loadingColumn->addStretch(1);
  loadingColumn->addWidget(new ActivitySpinner(24, loading_), 0, Qt::AlignHCenter);
  auto* loadingText = new QLabel(tr("Measuring apps and their data\u2026"), loading_);
  Theme::setForeground(loadingText, Tone::secondary);
  loadingColumn->addWidget(loadingText, 0, Qt::AlignHCenter);
  loadingColumn->addStretch(1);
  faces_->addWidget(loading_);

  // Narrow enough together to fit beside the inspector in the smallest window; each gets what its
  // cells need while there is room, and the name the rest.
  table_ = new RecordTable({RecordColumn{tr("App"), true, 120, 280}, RecordColumn{tr("Total"), true, 100, 190},
                            RecordColumn{tr("App"), true, 70, 80}, RecordColumn{tr("Data"), true, 70, 80},
                            RecordColumn{tr("Last Used"), true, 90, 130}},
                           kRowHeight, false, appColumn);
  table_->setObjectName(QLatin1String(names::appsTable));
  table_->paintCell = [this](QPainter* painter, const QStyleOptionViewItem& option, int row, int column) {
    paintCell(painter, option, row, column);
  };
  table_->recordModel()->cellText = [this](int row, int column) { return cellText(row, column); };
  table_->contentWidth = [this](int column) { return contentWidth(column); };
  // The green dot beside a running application's name says what it means.
  table_->recordModel()->cellToolTip = [this](int row, int column) {
    const bool running = column == appColumn && row >= 0 && static_cast<size_t>(row) < listed_.size() &&
                         listed_[static_cast<size_t>(row)].isRunning(running_);
    return running ? tr("Running") : QString();
  };
  table_->onContextMenu = [this](const RecordTable::Paths& paths, const QPoint& at) {
    QMenu* menu = buildContextMenu(paths);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (menu->isEmpty()) {
      delete menu;
      return;
    }
    menu->popup(at);
  };
  connect(table_, &RecordTable::headerClicked, this,
          [this](int column) { setSortOrder(clickedAppHeader(sortOrder_, kColumnKeys[column])); });
  connect(table_, &RecordTable::recordSelectionChanged, this, [this] {
    runningRead_.invalidate();  // a newly selected application is judged on the processes of now
    refreshNow();
  });
  faces_->addWidget(table_);
  column->addWidget(faces_, 1);
  split_->addWidget(main);

  inspectorColumn_ = new QWidget;
  inspectorColumn_->setObjectName(QLatin1String(names::appsInspectorColumn));
  inspectorColumn_->setMinimumWidth(280);
  inspectorColumn_->setMaximumWidth(420);
  auto* inspectorLayout = new QVBoxLayout(inspectorColumn_);
  inspectorLayout->setContentsMargins(0, 0, 0, 0);
  selectAnApp_ = new QLabel(tr("Select an app"), inspectorColumn_);
  selectAnApp_->setObjectName(QLatin1String(names::appsSelectAnApp));
  selectAnApp_->setAlignment(Qt::AlignCenter);
  Theme::setForeground(selectAnApp_, Tone::secondary);
  inspectorLayout->addWidget(selectAnApp_);
  split_->addWidget(inspectorColumn_);
  split_->setStretchFactor(0, 1);
  split_->setStretchFactor(1, 0);
  inspectorColumn_->hide();
  table_->setSortIndicator(totalColumn, false);
}

QWidget* ApplicationsView::headerRow() {
  auto* field = new SearchBox;
  field->setMaximumWidth(260);
  field->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  auto* fieldRow = new QHBoxLayout(field);
  fieldRow->setContentsMargins(10, 6, 10, 6);
  fieldRow->setSpacing(6);
  auto* symbol = new SymbolView(QStringLiteral("magnifyingglass"), 13, field);
  Theme::setForeground(symbol, Tone::secondary);
  fieldRow->addWidget(symbol);
  search_ = new QLineEdit(field);
  search_->setObjectName(QLatin1String(names::appsSearch));
  search_->setPlaceholderText(tr("Search apps"));
  search_->setFrame(false);
  search_->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; }"));
  syncPlaceholder();
  search_->setMinimumWidth(160);
  fieldRow->addWidget(search_, 1);
  connect(search_, &QLineEdit::textEdited, this, [this](const QString& text) {
    filters_.query = text;
    refreshNow();
  });

  auto* filters = new QWidget;
  auto* row = new QHBoxLayout(filters);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(14);
  hideApple_ = new QCheckBox(tr("Hide system apps"), filters);
  hideApple_->setObjectName(QLatin1String(names::appsHideApple));
  hideApple_->setChecked(filters_.hideApple);
  connect(hideApple_, &QCheckBox::clicked, this, [this](bool on) {
    filters_.hideApple = on;
    refreshNow();
  });
  row->addWidget(hideApple_);
  unusedOnly_ = new QCheckBox(tr("Unused for 3 months"), filters);
  unusedOnly_->setObjectName(QLatin1String(names::appsUnusedOnly));
  unusedOnly_->setChecked(filters_.unusedOnly);
  connect(unusedOnly_, &QCheckBox::clicked, this, [this](bool on) {
    filters_.unusedOnly = on;
    refreshNow();
  });
  row->addWidget(unusedOnly_);
  summary_ = new QLabel;
  summary_->setObjectName(QLatin1String(names::appsSummary));
  summary_->setFont(Theme::monospacedDigitFont(TextStyle::body));
  Theme::setForeground(summary_, Tone::secondary);
  header_ = new HeaderRow(field, filters, summary_);
  return header_;
}

void ApplicationsView::showEvent(QShowEvent* event) {
  reload();  // first, so that the first drawing already shows the measuring
  Screen::showEvent(event);
}

void ApplicationsView::syncPlaceholder() {
  QPalette palette = search_->palette();
  palette.setColor(QPalette::PlaceholderText, Theme::secondary(this->palette()));
  search_->setPalette(palette);
}

void ApplicationsView::changeEvent(QEvent* event) {
  Screen::changeEvent(event);
  if (event->type() == QEvent::PaletteChange) syncPlaceholder();
}

void ApplicationsView::reload() { state().loadApps(false); }
void ApplicationsView::refreshApps() { state().loadApps(true); }
void ApplicationsView::uninstall(const InstalledApp& app) { state().planUninstall(app); }

void ApplicationsView::setSortOrder(AppSortOrder order) {
  sortOrder_ = order.empty() ? defaultAppSortOrder() : std::move(order);
  refreshNow();
}

std::optional<std::string> ApplicationsView::selection() const {
  if (table_->selection().empty()) return std::nullopt;
  return *table_->selection().begin();
}

void ApplicationsView::refresh() {
  const AppState& store = state();
  now_ = store.environment().clock ? store.environment().clock() : 0;
  // The process list is read at most once a second: the store publishes often while a scan runs.
  if (!runningRead_.isValid() || runningRead_.elapsed() >= 1000) {
    running_ = store.environment().runningApplications ? store.environment().runningApplications()
                                                       : std::vector<std::string>{};
    runningRead_.start();
  }
  listed_ = visibleApps(store.apps(), filters_, now_, sortOrder_);
  largest_ = largestTotal(listed_);
  summary_->setText(appsHeaderText(listed_.size(), summedTotal(listed_)));
  static_cast<HeaderRow*>(header_)->rearrange();
  refresh_->setEnabled(!store.appsLoading());
  faces_->setCurrentWidget(store.appsLoading() && store.apps().empty() ? loading_ : static_cast<QWidget*>(table_));
  std::vector<std::string> ids;
  ids.reserve(listed_.size());
  for (const InstalledApp& app : listed_) ids.push_back(app.path);
  table_->setRows(std::move(ids));
  table_->viewport()->update();
  const auto& first = sortOrder_.front();
  const auto* key = std::find(std::begin(kColumnKeys), std::end(kColumnKeys), first.key);
  table_->setSortIndicator(static_cast<int>(key - std::begin(kColumnKeys)), first.ascending);
  showInspector();
}

void ApplicationsView::showInspector() {
  const std::optional<std::string> selected = selection();
  inspectorColumn_->setVisible(selected.has_value());
  if (!selected) return;
  const InstalledApp* app = findApp(state().apps(), *selected);
  if (!app) {
    dropInspector();
    selectAnApp_->show();
    return;
  }
  const bool running = app->isRunning(running_);
  if (inspector_ && inspector_->app() == *app && inspector_->isRunning() == running) return;
  dropInspector();
  inspector_ = new AppInspector(state(), *app, running, inspectorColumn_);
  selectAnApp_->hide();
  inspectorColumn_->layout()->addWidget(inspector_);
}

void ApplicationsView::dropInspector() {
  if (!inspector_) return;
  // Later: the pane's own button may be what led here.
  inspector_->hide();
  inspector_->deleteLater();
  inspector_ = nullptr;
}

QMenu* ApplicationsView::buildContextMenu(const std::set<std::string>& paths) {
  auto* menu = new QMenu(this);
  const InstalledApp* found = menuApp(listed_, paths);
  if (!found) return menu;
  const InstalledApp app = *found;
  menu->addAction(tr("Show in Finder"), this, [path = app.path] { revealPathInFinder(path); });
  QAction* remove = menu->addAction(tr("Uninstall\u2026"), this, [this, app] { uninstall(app); });
  // A running application may be planned: its bundle's verdict protects it.
  remove->setEnabled(!app.isUninstallRefused());
  return menu;
}

int ApplicationsView::contentWidth(int column) const {
  constexpr int kSides = 16;  // the cells are drawn 8 in from both edges
  if (column == totalColumn) return SizeCell::textWidthFor(999'990'000'000) + SizeCell::kSpacing + 12 + kSides;
  const QFontMetrics fm(column == lastUsedColumn ? Theme::font(TextStyle::body)
                                                 : Theme::monospacedDigitFont(TextStyle::body));
  int widest = 0;
  for (size_t row = 0; row < listed_.size(); ++row)
    widest = std::max(widest, fm.horizontalAdvance(cellText(static_cast<int>(row), column)));
  return widest + kSides + 2;
}

QString ApplicationsView::cellText(int row, int column) const {
  if (row < 0 || static_cast<size_t>(row) >= listed_.size()) return {};
  const InstalledApp& app = listed_[static_cast<size_t>(row)];
  switch (column) {
    case appColumn: return QString::fromUtf8(app.name);
    case totalColumn: return bytesText(app.totalSize());
    case bundleColumn: return bytesText(app.appSize);
    case dataColumn: return appDataText(app);
    case lastUsedColumn: return lastUsedText(app, now_);
    default: return {};
  }
}

void ApplicationsView::paintCell(QPainter* painter, const QStyleOptionViewItem& option, int row, int column) const {
  if (row < 0 || static_cast<size_t>(row) >= listed_.size()) return;
  const InstalledApp& app = listed_[static_cast<size_t>(row)];
  const QPalette& palette = option.palette;
  const QRect r = option.rect.adjusted(8, 0, -8, 0);
  switch (column) {
    case appColumn: {
      FileIcon::paint(painter, QRect(r.left(), r.center().y() - 13, 26, 26), app.path);
      const QRect text = r.adjusted(36, 0, 0, 0);
      const QFont nameFont = Theme::font(TextStyle::body, QFont::Medium);
      const QFont captionFont = Theme::font(TextStyle::caption);
      const int h1 = QFontMetrics(nameFont).height(), h2 = QFontMetrics(captionFont).height();
      const int top = r.center().y() - (h1 + 1 + h2) / 2;
      const bool running = app.isRunning(running_);
      const QString name = QString::fromUtf8(app.name);
      QRect nameRect(text.left(), top, text.width() - (running ? 12 : 0), h1);
      paintText(painter, nameRect, name, nameFont, Theme::primary(palette));
      if (running) {
        const int used = std::min(QFontMetrics(nameFont).horizontalAdvance(name), nameRect.width());
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(Theme::success(palette));
        painter->drawEllipse(QRectF(nameRect.left() + used + 6, top + h1 / 2.0 - 3, 6, 6));
      }
      paintText(painter, QRect(text.left(), top + h1 + 1, text.width(), h2), appCaptionLine(app), captionFont,
                Theme::secondary(palette));
      break;
    }
    case totalColumn:
      SizeCell::paint(painter, r, app.totalSize(),
                      static_cast<double>(app.totalSize()) / static_cast<double>(std::max<int64_t>(largest_, 1)),
                      ThemeColor(Theme::blue()), palette, SizeCell::textWidthFor(999'990'000'000), option.direction);
      break;
    case bundleColumn:
      paintText(painter, r, bytesText(app.appSize), Theme::monospacedDigitFont(TextStyle::body),
                Theme::secondary(palette));
      break;
    case dataColumn:
      paintText(painter, r, appDataText(app), Theme::monospacedDigitFont(TextStyle::body),
                dataOutweighsApp(app) ? Theme::warning(palette) : Theme::secondary(palette));
      break;
    case lastUsedColumn:
      paintText(painter, r, lastUsedText(app, now_), Theme::font(TextStyle::body), Theme::secondary(palette));
      break;
    default: break;
  }
}

}  // namespace tolvex
