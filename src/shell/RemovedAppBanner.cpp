#include "shell/RemovedAppBanner.h"

#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>
#include <set>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/UiText.h"
#include "app/components/Buttons.h"
#include "app/components/GradientTile.h"
#include "app/theme/Theme.h"
#include "system/RemovedApp.h"

namespace tolvex {

RemovedAppBanner::RemovedAppBanner(AppState& state, QWidget* parent) : QFrame(parent), state_(state) {
  setObjectName(QLatin1String(names::removedAppBanner));
  setMaximumWidth(kMaxWidth);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(14, 14, 14, 14);
  row->setSpacing(14);
  row->addWidget(new GradientTile(QStringLiteral("puzzlepiece.extension.fill"), 20, 44, 12, this), 0, Qt::AlignVCenter);

  auto* column = new QVBoxLayout;
  column->setSpacing(2);
  title_ = new QLabel(this);
  title_->setObjectName(QLatin1String(names::removedAppTitle));
  Theme::setTextStyle(title_, TextStyle::headline);
  title_->setWordWrap(true);  // a long name wraps rather than being cut
  labels_ = new QLabel(this);
  labels_->setObjectName(QLatin1String(names::removedAppLabels));
  Theme::setTextStyle(labels_, TextStyle::caption);
  Theme::setForeground(labels_, Tone::secondary);
  labels_->setMinimumWidth(1);  // one line, cut at the end (see refresh)
  column->addWidget(title_);
  column->addWidget(labels_);
  row->addLayout(column, 1);
  row->addSpacing(12);

  auto* notNow = new QPushButton(tr("Not Now"), this);
  notNow->setObjectName(QLatin1String(names::removedAppNotNow));
  notNow->setFlat(true);
  notNow->setAutoDefault(false);
  Theme::setForeground(notNow, Tone::secondary);
  auto* review = new PrimaryButton(tr("Review and Remove…"), false, this);
  review->setObjectName(QLatin1String(names::removedAppReview));
  row->addWidget(notNow);
  row->addWidget(review);
  connect(notNow, &QPushButton::clicked, this, [this] { state_.clearRemovedApp(); });
  connect(review, &QPushButton::clicked, this, [this] { state_.planLeftovers(); });

  auto* shadow = new QGraphicsDropShadowEffect(this);
  shadow->setColor(QColor(0, 0, 0, int(0.18 * 255)));
  shadow->setBlurRadius(20);
  shadow->setOffset(0, 8);
  setGraphicsEffect(shadow);

  connect(&state_, &AppState::removedAppChanged, this, &RemovedAppBanner::refresh);
  refresh();
}

QString RemovedAppBanner::titleText(const RemovedApp& app) {
  return tr("%1 was removed, but left %2 behind").arg(QString::fromStdString(app.name), bytesText(app.totalSize()));
}

QString RemovedAppBanner::labelsText(const RemovedApp& app) {
  std::set<QString> labels;
  for (const RelatedItem& item : app.items) labels.insert(QString::fromStdString(item.label));
  QStringList list(labels.begin(), labels.end());
  return list.join(QStringLiteral(" · "));
}

void RemovedAppBanner::refresh() {
  const RemovedApp* app = state_.removedApp();
  setVisible(app != nullptr);
  if (!app) return;
  title_->setText(titleText(*app));
  const QString labels = labelsText(*app);
  labels_->setToolTip(labels);
  labels_->setText(labels_->fontMetrics().elidedText(labels, Qt::ElideRight, std::max(labels_->width(), 200)));
  raise();
}

void RemovedAppBanner::placeIn(const QRect& area) {
  const int width = std::min(kMaxWidth, area.width() - 32);
  const int height = hasHeightForWidth() ? heightForWidth(width) : sizeHint().height();
  setGeometry(area.x() + (area.width() - width) / 2, area.y() + 16, width, height);
  if (state_.removedApp()) {
    const QString labels = labelsText(*state_.removedApp());
    labels_->setText(labels_->fontMetrics().elidedText(labels, Qt::ElideRight, labels_->width()));
  }
}

void RemovedAppBanner::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath shape;
  shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 16, 16);
  painter.fillPath(shape, palette().window());
  QColor border = palette().windowText().color();
  border.setAlphaF(0.08);
  painter.setPen(QPen(border, 1));
  painter.drawPath(shape);
}

}  // namespace tolvex
