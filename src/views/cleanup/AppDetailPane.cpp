#include "views/cleanup/AppDetailPane.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/UiText.h"
#include "app/components/Buttons.h"
#include "app/components/FileIcon.h"
#include "app/components/LegendDot.h"
#include "app/components/SegmentedBar.h"
#include "app/components/SymbolView.h"
#include "app/theme/Theme.h"
#include "model/DisplayPath.h"
#include "views/analysis/RowDivider.h"
#include "views/cleanup/CleanupPieces.h"
#include "views/cleanup/logic/AppList.h"

namespace tolvex {

namespace {

QLabel* styledLabel(const QString& text, TextStyle style, Tone tone, QWidget* parent, const char* name = nullptr) {
  auto* label = new QLabel(text, parent);
  Theme::setTextStyle(label, style);
  Theme::setForeground(label, tone);
  if (name) label->setObjectName(QLatin1String(name));
  return label;
}

// The longest start of `text` (from `from`) that fits `width`, at least one character.
int fittingPrefix(const QString& text, int from, const QFontMetrics& metrics, int width) {
  int lo = 1, hi = static_cast<int>(text.size()) - from;
  while (lo < hi) {
    const int mid = (lo + hi + 1) / 2;
    if (metrics.horizontalAdvance(text.mid(from, mid)) <= width)
      lo = mid;
    else
      hi = mid - 1;
  }
  if (lo < text.size() - from && text.at(from + lo - 1).isHighSurrogate()) --lo;  // keep a pair whole
  return std::max(lo, 1);
}

}  // namespace

// ---- PathLines ------------------------------------------------------------------------------------

PathLines::PathLines(const QString& text, QWidget* parent) : QWidget(parent), text_(text) {
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  setToolTip(text);
}

QStringList PathLines::linesFor(const QString& text, const QFontMetrics& metrics, int width) {
  if (text.isEmpty() || width <= 0) return {};
  if (metrics.horizontalAdvance(text) <= width) return {text};
  const int first = fittingPrefix(text, 0, metrics, width);
  const QString rest = text.mid(first);
  if (metrics.horizontalAdvance(rest) <= width) return {text.left(first), rest};
  const QString ellipsis = QStringLiteral("\u2026");
  int keep = static_cast<int>(rest.size());
  while (keep > 0 && metrics.horizontalAdvance(ellipsis + rest.right(keep)) > width) --keep;
  if (keep > 0 && keep < rest.size() && rest.at(rest.size() - keep).isLowSurrogate()) --keep;
  return {text.left(first), ellipsis + rest.right(keep)};
}

QStringList PathLines::displayedLines() const { return linesFor(text_, fontMetrics(), width()); }

int PathLines::heightForWidth(int width) const {
  const auto lines = std::max<qsizetype>(linesFor(text_, fontMetrics(), width).size(), 1);
  return static_cast<int>(lines) * fontMetrics().lineSpacing();
}

QSize PathLines::sizeHint() const { return {fontMetrics().horizontalAdvance(text_), fontMetrics().lineSpacing()}; }
QSize PathLines::minimumSizeHint() const { return {40, fontMetrics().lineSpacing()}; }

void PathLines::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // Not every layout above asks for the height at a width (a scroll area's does not): the label
  // claims the height of its lines itself.
  const int height = heightForWidth(width());
  if (minimumHeight() != height) setMinimumHeight(height);
}

void PathLines::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::WindowText));
  int y = 0;
  for (const QString& line : displayedLines()) {
    painter.drawText(QRect(0, y, width(), fontMetrics().lineSpacing()), Qt::AlignLeft | Qt::AlignVCenter, line);
    y += fontMetrics().lineSpacing();
  }
}

// ---- AppInspector ---------------------------------------------------------------------------------

AppInspector::AppInspector(AppState& state, InstalledApp app, bool running, QWidget* parent)
    : QScrollArea(parent), state_(state), app_(std::move(app)), running_(running) {
  setObjectName(QLatin1String(names::appInspector));
  setWidgetResizable(true);
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  auto* content = new QWidget;
  content->setAutoFillBackground(false);
  auto* column = new QVBoxLayout(content);
  column->setContentsMargins(18, 18, 18, 18);
  column->setSpacing(16);
  column->addWidget(header());
  const std::vector<Segment> segments = {
      Segment{QStringLiteral("app"), tr("App"), app_.appSize, ThemeColor(Theme::blue())},
      Segment{QStringLiteral("data"), tr("Data"), app_.dataSize(), ThemeColor(Theme::slate())},
  };
  column->addWidget(new SegmentedBar(segments, app_.appSize + app_.dataSize(), 10, content));
  column->addWidget(sizeRows());
  column->addWidget(uninstallBlock());
  column->addWidget(new RowDivider(content));
  auto* heading = styledLabel(tr("Related data"), TextStyle::headline, Tone::primary, content);
  column->addWidget(heading);
  if (app_.related.empty())
    column->addWidget(styledLabel(tr("No data found outside the app."), TextStyle::callout, Tone::secondary, content,
                                  names::appInspectorNoData));
  for (const RelatedItem& item : app_.related) column->addWidget(relatedRow(item));
  column->addStretch(1);
  setWidget(content);
  viewport()->setAutoFillBackground(false);
}

QWidget* AppInspector::header() {
  auto* box = new QWidget;
  auto* row = new QHBoxLayout(box);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(12);
  row->addWidget(new FileIcon(app_.path, 54, box));
  auto* titles = new QVBoxLayout;
  titles->setSpacing(0);
  auto* name = new QLabel(QString::fromUtf8(app_.name), box);
  name->setObjectName(QLatin1String(names::appInspectorName));
  Theme::setTextStyle(name, TextStyle::title3, QFont::Bold);
  name->setWordWrap(true);
  titles->addWidget(name);
  auto* id = styledLabel(QString::fromUtf8(app_.bundleID.value_or(std::string())), TextStyle::caption, Tone::secondary,
                         box, names::appInspectorBundleID);
  id->setTextInteractionFlags(Qt::TextSelectableByMouse);
  titles->addWidget(id);
  row->addLayout(titles, 1);
  return box;
}

QWidget* AppInspector::sizeRows() {
  auto* box = new QWidget;
  auto* row = new QHBoxLayout(box);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(6);
  row->addWidget(new LegendDot(ThemeColor(Theme::blue()), box));
  row->addWidget(styledLabel(tr("App %1").arg(bytesText(app_.appSize)), TextStyle::caption, Tone::primary, box,
                             names::appInspectorAppLegend));
  row->addSpacing(8);
  row->addWidget(new LegendDot(ThemeColor(Theme::slate()), box));
  row->addWidget(styledLabel(tr("Data %1").arg(bytesText(app_.dataSize())), TextStyle::caption, Tone::primary, box,
                             names::appInspectorDataLegend));
  row->addStretch(1);
  return box;
}

QWidget* AppInspector::uninstallBlock() {
  if (app_.isUninstallRefused()) {
    auto* lock = labelWithSymbol(uninstallRefusal(app_), QStringLiteral("lock.fill"));
    lock->setObjectName(QLatin1String(names::appInspectorAppleLock));
    Theme::setForeground(lock, Tone::secondary);
    lock->label()->setWordWrap(true);
    return lock;
  }
  auto* box = new QWidget;
  auto* column = new QVBoxLayout(box);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(6);
  auto* button = new DestructiveButton(tr("Uninstall Completely"), box);
  button->setObjectName(QLatin1String(names::appInspectorUninstall));
  button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  button->setEnabled(!running_);
  connect(button, &QPushButton::clicked, this, &AppInspector::uninstall);
  column->addWidget(button);
  if (running_)
    column->addWidget(styledLabel(tr("Quit the app to uninstall it."), TextStyle::caption, Tone::secondary, box,
                                  names::appInspectorQuitNote));
  return box;
}

QWidget* AppInspector::relatedRow(const RelatedItem& item) {
  auto* box = new QWidget;
  box->setObjectName(QLatin1String(names::appRelatedRow));
  box->setProperty("path", QString::fromUtf8(item.path));
  auto* row = new QHBoxLayout(box);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(8);
  row->setAlignment(Qt::AlignTop);
  auto* texts = new QVBoxLayout;
  texts->setSpacing(2);
  auto* label = new QLabel(QString::fromUtf8(item.label), box);
  label->setObjectName(QLatin1String(names::appRelatedLabel));
  Theme::setTextStyle(label, TextStyle::callout, QFont::Medium);
  texts->addWidget(label);
  auto* path = new PathLines(QString::fromUtf8(state_.shownPath(item.path)), box);
  path->setObjectName(QLatin1String(names::appRelatedPath));
  Theme::setTextStyle(path, TextStyle::caption);
  Theme::setForeground(path, Tone::secondary);
  texts->addWidget(path);
  row->addLayout(texts, 1);
  auto* size = new QLabel(bytesText(item.size), box);
  size->setObjectName(QLatin1String(names::appRelatedSize));
  size->setFont(Theme::monospacedDigitFont(TextStyle::callout));
  row->addWidget(size, 0, Qt::AlignTop);
  auto* reveal = new QToolButton(box);
  reveal->setObjectName(QLatin1String(names::appRelatedReveal));
  reveal->setIcon(searchSymbolImage());
  reveal->setProperty("sfSymbol", QStringLiteral("magnifyingglass"));
  reveal->setAutoRaise(true);
  reveal->setToolTip(tr("Show in Finder"));
  connect(reveal, &QToolButton::clicked, this, [path = item.path] { revealPathInFinder(path); });
  row->addWidget(reveal, 0, Qt::AlignTop);
  return box;
}

void AppInspector::uninstall() { state_.planUninstall(app_); }

}  // namespace tolvex
