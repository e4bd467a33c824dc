#include "views/analysis/ExplorerView.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/ScanTargetInfo.h"
#include "app/components/ElidedLabel.h"
#include "app/components/FocusRing.h"
#include "app/components/SegmentedBar.h"
#include "app/screen/PendingScreen.h"
#include "app/screen/ScanPromptHost.h"
#include "app/services/UiServices.h"
#include "app/theme/Symbols.h"
#include "app/theme/Theme.h"
#include "views/analysis/Breadcrumbs.h"
#include "views/analysis/MapSidePanel.h"
#include "views/analysis/NodeContextMenu.h"
#include "views/analysis/NodeTable.h"
#include "views/analysis/QuickLook.h"
#include "views/analysis/SelectionBar.h"
#include "views/analysis/SunburstView.h"
#include "views/analysis/logic/NodeLists.h"

namespace tolvex {
namespace {

constexpr int kSegmentCount = 12;

std::vector<NodeColumnDef> explorerColumns() {
  return {
      {NodeColumn::name, ExplorerView::tr("Name"), NodeKey::name, 220, 340},
      {NodeColumn::size, ExplorerView::tr("Size"), NodeKey::size, 150, 200},
      {NodeColumn::percent, ExplorerView::tr("%"), NodeKey::size, 50, 50},
      {NodeColumn::files, ExplorerView::tr("Files"), NodeKey::fileCount, 60, 80},
      {NodeColumn::category, ExplorerView::tr("Category"), NodeKey::category, 90, 140},
      {NodeColumn::modified, ExplorerView::tr("Modified"), NodeKey::modified, 80, 100},
      {NodeColumn::risk, ExplorerView::tr("Risk"), std::nullopt, 80, 90},
  };
}

// The mode picker's frame: the segments on a faint capsule.
class PickerFrame : public QWidget {
 public:
  explicit PickerFrame(QWidget* parent) : QWidget(parent) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), 7, 7);
    painter.fillPath(shape, Theme::primary(palette(), 0.07));
  }
};

// The gap between a smaller text's baseline and a larger one's, so labels aligned at their bottom
// edges share one baseline.
int descentGap(const QFont& large, const QFont& small) {
  return std::max(0, QFontMetrics(large).descent() - QFontMetrics(small).descent());
}

}  // namespace

QString rawValue(ExplorerMode mode) {
  return mode == ExplorerMode::map ? QStringLiteral("map") : QStringLiteral("list");
}

ExplorerMode explorerModeFromRaw(const QString& raw) {
  return raw == QLatin1String("map") ? ExplorerMode::map : ExplorerMode::list;
}

// ---- Picker -------------------------------------------------------------------------------------

PickerSegment::PickerSegment(const QString& text, const QString& symbol, QWidget* parent)
    : QAbstractButton(parent), symbol_(symbol) {
  setText(text);
  setCheckable(true);
  setAutoExclusive(true);
  setFont(Theme::font(TextStyle::callout));
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::TabFocus);
  Symbols::tag(this, symbol);
}

QSize PickerSegment::sizeHint() const {
  const QFontMetrics fm(font());
  return {fm.horizontalAdvance(text()) + 14 + 6 + 20, fm.height() + 8};
}

void PickerSegment::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QPalette& pal = palette();
  if (isChecked()) {
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
    const QColor fill = Theme::isDark(pal) ? Theme::primary(pal, 0.18) : QColor(Qt::white);
    painter.fillPath(shape, fill);
    painter.setPen(QPen(Theme::primary(pal, 0.08), 1));
    painter.drawPath(shape);
  }
  const QColor color = isChecked() ? Theme::primary(pal) : Theme::secondary(pal);
  const QFontMetrics fm(font());
  const int content = 14 + 6 + fm.horizontalAdvance(text());
  const int x = (width() - content) / 2;
  Symbols::paint(&painter, QRectF(x, (height() - 14) / 2.0, 14, 14), symbol_, color);
  painter.setFont(font());
  painter.setPen(color);
  painter.drawText(QRect(x + 20, 0, width() - x - 20, height()), Qt::AlignLeft | Qt::AlignVCenter, text());
  if (showsFocusRing(this)) paintFocusRing(&painter, QRectF(rect()), 5, pal);
}

// ---- Screen -------------------------------------------------------------------------------------

ExplorerView::ExplorerView(AppState& state, QWidget* parent)
    : Screen(state, parent),
      mode_(explorerModeFromRaw(state.settings().stringValue(keys::explorerMode, QStringLiteral("list")))) {
  setObjectName(QLatin1String(names::explorerView));
  pageLayout_ = ambientPage();
  QWidget* page = pageLayout_->parentWidget();
  faces_ = new QStackedWidget(page);
  pageLayout_->addWidget(faces_);
  quickLook_ = new QuickLookBinding(this, state.environment().places.home);
  buildContent();
  // The tree may be replaced by a new scan: the rows and the map let go of the old nodes at once,
  // before anything can paint them.
  connect(&state, &AppState::scanChanged, this, [this] { refreshNow(); });
}

void ExplorerView::buildContent() {
  content_ = new QWidget(faces_);
  content_->setObjectName(QLatin1String(names::explorerContent));
  faces_->addWidget(content_);
  auto* column = new QVBoxLayout(content_);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  // Header: breadcrumbs and picker, title row, category bar.
  auto* header = new QWidget(content_);
  auto* headerLayout = new QVBoxLayout(header);
  headerLayout->setContentsMargins(24, 24, 24, 24);
  headerLayout->setSpacing(14);

  auto* top = new QHBoxLayout;
  top->setSpacing(12);
  breadcrumbs_ = new Breadcrumbs(state(), header);
  top->addWidget(breadcrumbs_, 1, Qt::AlignVCenter);
  auto* picker = new PickerFrame(header);
  picker->setObjectName(QLatin1String(names::explorerModePicker));
  auto* pickerLayout = new QHBoxLayout(picker);
  pickerLayout->setContentsMargins(2, 2, 2, 2);
  pickerLayout->setSpacing(2);
  listButton_ = new PickerSegment(tr("List"), QStringLiteral("list.bullet"), picker);
  listButton_->setObjectName(QLatin1String(names::explorerModeList));
  mapButton_ = new PickerSegment(tr("Map"), QStringLiteral("chart.pie"), picker);
  mapButton_->setObjectName(QLatin1String(names::explorerModeMap));
  pickerLayout->addWidget(listButton_);
  pickerLayout->addWidget(mapButton_);
  connect(listButton_, &QAbstractButton::clicked, this, [this] { setMode(ExplorerMode::list); });
  connect(mapButton_, &QAbstractButton::clicked, this, [this] { setMode(ExplorerMode::map); });
  top->addWidget(picker, 0, Qt::AlignVCenter);
  headerLayout->addLayout(top);

  auto* titleRow = new QHBoxLayout;
  titleRow->setSpacing(10);
  const QFont titleFont = Theme::systemFont(24, QFont::Bold);
  title_ = new ElidedLabel(QString(), header);  // a long folder name is cut, never pushes the row
  title_->setObjectName(QLatin1String(names::explorerTitle));
  title_->setFont(titleFont);
  title_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  size_ = new QLabel(header);
  size_->setObjectName(QLatin1String(names::explorerSize));
  size_->setFont(Theme::monospacedDigitFont(TextStyle::title3));
  Theme::setForeground(size_, Tone::secondary);
  size_->setContentsMargins(0, 0, 0, descentGap(titleFont, size_->font()));
  files_ = new QLabel(header);
  files_->setObjectName(QLatin1String(names::explorerFiles));
  files_->setFont(Theme::font(TextStyle::body));
  Theme::setForeground(files_, Tone::secondary);
  files_->setContentsMargins(0, 0, 0, descentGap(titleFont, files_->font()));
  titleRow->addWidget(title_, 0, Qt::AlignBottom);
  titleRow->addWidget(size_, 0, Qt::AlignBottom);
  titleRow->addStretch(1);
  titleRow->addWidget(files_, 0, Qt::AlignBottom);
  headerLayout->addLayout(titleRow);

  segments_ = new SegmentedBar({}, 0, 14, header);
  segments_->setObjectName(QLatin1String(names::explorerSegments));
  headerLayout->addWidget(segments_);
  column->addWidget(header);

  // The two modes.
  modes_ = new QStackedWidget(content_);
  listPage_ = new QWidget(modes_);
  auto* listLayout = new QVBoxLayout(listPage_);
  listLayout->setContentsMargins(0, 0, 0, 0);
  listLayout->setSpacing(0);
  table_ = new NodeTable(explorerColumns(), 30, state().safety(), listPage_);
  table_->setObjectName(QLatin1String(names::explorerTable));
  listLayout->addWidget(table_, 1);
  smallFiles_ = new QLabel(listPage_);
  smallFiles_->setObjectName(QLatin1String(names::explorerSmallFiles));
  smallFiles_->setFont(Theme::font(TextStyle::caption));
  Theme::setForeground(smallFiles_, Tone::secondary);
  smallFiles_->setContentsMargins(24, 6, 24, 6);
  listLayout->addWidget(smallFiles_);
  modes_->addWidget(listPage_);

  mapPage_ = new QWidget(modes_);
  auto* mapLayout = new QHBoxLayout(mapPage_);
  mapLayout->setContentsMargins(24, 0, 24, 24);
  mapLayout->setSpacing(20);
  map_ = new SunburstView(kMapDepth, mapPage_);
  mapLayout->addWidget(map_, 1);
  sidePanel_ = new MapSidePanel(state().safety(), mapPage_);
  mapLayout->addWidget(sidePanel_, 0, Qt::AlignVCenter);
  modes_->addWidget(mapPage_);
  column->addWidget(modes_, 1);

  selectionBar_ = new SelectionBar(content_);
  column->addWidget(selectionBar_);

  // Wiring.
  table_->onSpace = [this] { return spacePressed(); };
  table_->onPrimary = [this](const std::vector<FileNode*>& nodes) { primaryAction(nodes); };
  table_->onContextMenu = [this](const std::vector<FileNode*>& nodes, const QPoint& pos) { contextMenu(nodes, pos); };
  connect(table_, &NodeTable::nodeSelectionChanged, this, &ExplorerView::updateSelectionBar);
  connect(selectionBar_, &SelectionBar::clearRequested, table_, &NodeTable::clearNodeSelection);
  connect(selectionBar_, &SelectionBar::actionRequested, this, &ExplorerView::deleteSelection);
  connect(map_, &SunburstView::openRequested, this, [this](FileNode* folder) { open(folder); });
  connect(map_, &SunburstView::upRequested, this, &ExplorerView::goUp);
  connect(map_, &SunburstView::hoverChanged, this, &ExplorerView::setMapFocus);
  applyMode();
}

void ExplorerView::showPrompt() {
  if (prompt_ && faces_->currentWidget() == prompt_) return;
  if (prompt_) prompt_->deleteLater();
  prompt_ = makeScanPrompt(state(), PendingScreen::promptTitle(AppSection::explorer),
                           PendingScreen::promptMessage(AppSection::explorer), faces_);
  prompt_->setObjectName(QLatin1String(names::explorerPrompt));
  faces_->addWidget(prompt_);
  faces_->setCurrentWidget(prompt_);
  map_->setRoot(nullptr);
  table_->setNodes({});
}

void ExplorerView::showContent() {
  if (faces_->currentWidget() == content_) return;
  faces_->setCurrentWidget(content_);
  if (prompt_) {
    faces_->removeWidget(prompt_);
    prompt_->deleteLater();
  }
}

void ExplorerView::refresh() {
  const auto& stack = state().explorerStack();
  if (stack.empty()) {
    showPrompt();
    return;
  }
  showContent();
  FileNode* current = stack.back();
  const int64_t revision = state().revision();
  if (revision != shownRevision_) {
    // The screen's fields outlive a deletion; the map focus goes only with its node or its tree (a
    // replaced tree is told by its root's serial, never by touching the old node).
    const uint64_t root = state().scan() ? state().scan()->root->serial : 0;
    if (root != shownRoot_ || (mapFocus_ && mapFocus_->isGone())) mapFocus_ = nullptr;
    shownRoot_ = root;
    shownRevision_ = revision;
  }
  const ScanTarget target = state().scannedTarget() ? *state().scannedTarget() : state().scanTarget();
  const int64_t size = get(current->size);
  title_->setText(folderTitle(*current, target));
  title_->setToolTip(title_->text());
  size_->setText(bytesText(size));
  files_->setText(fileCountText(get(current->fileCount)));
  breadcrumbs_->refresh();

  table_->nodeModel()->setScale(std::max<int64_t>(size, 1), size);
  table_->setNodes(shownChildren(*current), revision);
  const int64_t smallCount = get(current->smallFilesCount);
  smallFiles_->setVisible(smallCount >= 1);
  if (smallCount >= 1) smallFiles_->setText(smallFilesText(*current));

  if (mode_ == ExplorerMode::list) {
    std::vector<Segment> segments;
    for (const FileNode* child : largestChildren(*current, kSegmentCount, false)) {
      const QString name = QString::fromUtf8(child->name);
      segments.push_back(Segment{name, name, get(child->size), Theme::colorFor(get(child->bucket))});
    }
    segments_->setSegments(std::move(segments), size);
    map_->setRoot(nullptr);
  } else {
    map_->setRoot(current);
    sidePanel_->showFolder(*current, mapFocus_);
  }
  updateSelectionBar();
  if (!focusedOnce_ && isVisible() && mode_ == ExplorerMode::list) {
    focusedOnce_ = true;
    table_->setFocus(Qt::OtherFocusReason);
  }
}

void ExplorerView::applyMode() {
  listButton_->setChecked(mode_ == ExplorerMode::list);
  mapButton_->setChecked(mode_ == ExplorerMode::map);
  segments_->setVisible(mode_ == ExplorerMode::list);
  modes_->setCurrentWidget(mode_ == ExplorerMode::list ? listPage_ : mapPage_);
}

void ExplorerView::setMode(ExplorerMode mode) {
  if (mode != mode_) {
    mode_ = mode;
    state().settings().setString(keys::explorerMode, rawValue(mode));
  }
  applyMode();
  refreshNow();
}

std::vector<FileNode*> ExplorerView::selectedNodes() const { return table_->selectedNodes(); }

void ExplorerView::open(FileNode* folder) {
  if (!folder) return;
  table_->clearNodeSelection();
  mapFocus_ = nullptr;
  auto stack = state().explorerStack();
  stack.push_back(folder);
  state().setExplorerStack(std::move(stack));
}

void ExplorerView::goUp() {
  auto stack = state().explorerStack();
  if (stack.size() <= 1) return;
  mapFocus_ = nullptr;
  stack.pop_back();
  state().setExplorerStack(std::move(stack));
}

void ExplorerView::deleteSelection() { NodeContextMenu::requestDeletion(state(), selectedNodes()); }

bool ExplorerView::spacePressed() {
  const auto nodes = selectedNodes();
  if (nodes.empty()) return false;
  quickLook_->toggle(PreviewTarget{nodes.front()->path(), nodes.front()->isDirectory});
  return true;
}

void ExplorerView::primaryAction(const std::vector<FileNode*>& nodes) {
  if (nodes.empty()) return;
  FileNode* first = nodes.front();
  if (first->isDirectory && !first->isPackage) {
    open(first);
  } else if (auto& reveal = UiServices::shared().revealInFileManager) {
    reveal(first->path());
  }
}

void ExplorerView::contextMenu(const std::vector<FileNode*>& nodes, const QPoint& globalPos) {
  if (nodes.empty()) return;
  auto* menu = new NodeContextMenu(
      state(), nodes, [this](const PreviewTarget& t) { quickLook_->present(t); }, table_);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(globalPos);
}

void ExplorerView::setMapFocus(FileNode* node) {
  mapFocus_ = node;
  const auto& stack = state().explorerStack();
  if (mode_ == ExplorerMode::map && !stack.empty()) sidePanel_->showFolder(*stack.back(), mapFocus_);
}

void ExplorerView::updateSelectionBar() { selectionBar_->setValues(SelectionBar::deletionValues(selectedNodes())); }

}  // namespace tolvex
