#include "views/analysis/ChangeRow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <sys/stat.h>

#include "app/ObjectNames.h"
#include "app/components/ElidedLabel.h"
#include "app/components/SymbolTile.h"
#include "app/components/SymbolView.h"
#include "app/services/UiServices.h"
#include "app/theme/Theme.h"
#include "views/analysis/ExplorerNavigation.h"

namespace tolvex {
namespace {

// The change as a capsule in the colour's gradient, its width a share of the track.
class ChangeBar : public QWidget {
 public:
  ChangeBar(double share, const ThemeColor& color, QWidget* parent) : QWidget(parent), share_(share), color_(color) {
    setObjectName(QLatin1String(names::changeRowBar));
    setFixedSize(ChangeRow::kBarWidth, ChangeRow::kBarHeight);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bar(0, 0, changeBarWidth(share_, width()), height());
    QPainterPath capsule;
    capsule.addRoundedRect(bar, bar.height() / 2, bar.height() / 2);
    painter.fillPath(capsule, Theme::gradient(color_.resolve(palette()), bar));
  }

 private:
  double share_;
  ThemeColor color_;
};

// "New" or "Removed" on a capsule of its colour.
class Tag : public QLabel {
 public:
  Tag(const QString& text, const ThemeColor& color, const char* name, QWidget* parent)
      : QLabel(text, parent), color_(color) {
    setObjectName(QLatin1String(name));
    setFont(Theme::font(TextStyle::caption2, QFont::Bold));
    setContentsMargins(6, 1, 6, 1);
    Theme::setForeground(this, color);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath capsule;
    capsule.addRoundedRect(QRectF(rect()), height() / 2.0, height() / 2.0);
    painter.fillPath(capsule, Theme::withOpacity(color_.resolve(palette()), 0.15));
    painter.end();
    QLabel::paintEvent(event);
  }

 private:
  ThemeColor color_;
};

QLabel* fixedLabel(const QString& text, const QFont& font, int width, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setFont(font);
  label->setTextFormat(Qt::PlainText);
  label->setFixedWidth(width);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return label;
}

}  // namespace

ChangeRow::ChangeRow(const FolderChange& change, const ChangeRowContent& content, QWidget* parent)
    : QAbstractButton(parent), change_(change), content_(content) {
  setObjectName(QLatin1String(names::changeRow));
  setToolTip(tr("Show in Explorer"));
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::TabFocus);
  setAttribute(Qt::WA_Hover);
  setText(content.title);
  const ThemeColor color = changeTint(content.grew);

  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(8, 9, 8, 9);
  row->setSpacing(12);
  auto* badge = new SymbolTile(content.symbol, color, 11, 26, 13, this);
  badge->setObjectName(QLatin1String(names::changeRowBadge));
  row->addWidget(badge, 0, Qt::AlignVCenter);

  auto* column = new QVBoxLayout;
  column->setSpacing(2);
  auto* titleLine = new QHBoxLayout;
  titleLine->setSpacing(6);
  auto* title = new ElidedLabel(content.title, this);
  title->setObjectName(QLatin1String(names::changeRowTitle));
  title->setFont(Theme::font(TextStyle::body));
  titleLine->addWidget(title, 0, Qt::AlignVCenter);
  if (content.isNew)
    titleLine->addWidget(new Tag(tr("New"), Theme::indigo(), names::changeRowNewTag, this), 0, Qt::AlignVCenter);
  if (content.isRemoved)
    titleLine->addWidget(new Tag(tr("Removed"), Theme::success(), names::changeRowRemovedTag, this), 0,
                         Qt::AlignVCenter);
  titleLine->addStretch(1);
  column->addLayout(titleLine);
  auto* path = new ElidedLabel(content.pathText, this);
  path->setObjectName(QLatin1String(names::changeRowPath));
  path->setElideMode(Qt::ElideMiddle);
  path->setFont(Theme::font(TextStyle::caption));
  Theme::setForeground(path, Tone::secondary);
  column->addWidget(path);
  row->addLayout(column, 1);

  row->addWidget(new ChangeBar(content.barShare, color, this), 0, Qt::AlignVCenter);
  auto* delta =
      fixedLabel(content.deltaText, Theme::monospacedDigitFont(TextStyle::callout, QFont::DemiBold), 92, this);
  delta->setObjectName(QLatin1String(names::changeRowDelta));
  Theme::setForeground(delta, color);
  row->addWidget(delta);
  auto* size = fixedLabel(content.sizeText, Theme::monospacedDigitFont(TextStyle::caption), 76, this);
  size->setObjectName(QLatin1String(names::changeRowSize));
  Theme::setForeground(size, Tone::secondary);
  row->addWidget(size);
  auto* chevron = new SymbolView(QStringLiteral("chevron.right"), 10, this);
  Theme::setForeground(chevron, Tone::tertiary);
  row->addWidget(chevron, 0, Qt::AlignVCenter);

  for (QWidget* child : findChildren<QWidget*>()) child->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ChangeRow::showInExplorer(AppState& state, const std::string& path) {
  if (showPathInExplorer(state, path)) return;
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return;
  if (auto& reveal = UiServices::shared().revealInFileManager) reveal(path);
}

void ChangeRow::paintEvent(QPaintEvent*) {
  if (!hovering_ && !hasFocus()) return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath shape;
  shape.addRoundedRect(QRectF(rect()), 8, 8);
  painter.fillPath(shape, Theme::primary(palette(), 0.05));
}

void ChangeRow::enterEvent(QEnterEvent* event) {
  hovering_ = true;
  update();
  QAbstractButton::enterEvent(event);
}

void ChangeRow::leaveEvent(QEvent* event) {
  hovering_ = false;
  update();
  QAbstractButton::leaveEvent(event);
}

}  // namespace tolvex
