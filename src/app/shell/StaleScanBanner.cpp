#include "app/shell/StaleScanBanner.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/components/Buttons.h"
#include "app/components/SymbolTile.h"
#include "app/theme/Symbols.h"
#include "app/theme/Theme.h"
#include "model/Formatting.h"

namespace tolvex {

StaleScanBanner::StaleScanBanner(AppState& state, double date, QWidget* parent) : Card(14, parent), state_(state) {
  setObjectName(QLatin1String(names::staleScanBanner));
  auto* row = new QHBoxLayout;
  row->setSpacing(14);
  row->addWidget(new SymbolTile(QStringLiteral("clock.arrow.circlepath"), Theme::warning(), 20, 44, 12, this), 0,
                 Qt::AlignVCenter);
  auto* column = new QVBoxLayout;
  column->setSpacing(2);
  title_ = new QLabel(this);
  title_->setObjectName(QLatin1String(names::staleScanTitle));
  Theme::setTextStyle(title_, TextStyle::headline);
  auto* text = new QLabel(tr("Sizes may have changed since then. Rescan to see your disk as it is now."), this);
  text->setWordWrap(true);
  Theme::setTextStyle(text, TextStyle::callout);
  Theme::setForeground(text, Tone::secondary);
  column->addWidget(title_);
  column->addWidget(text);
  row->addLayout(column, 1);
  row->addSpacing(12);
  rescan_ = new PrimaryButton(tr("Rescan"), false, this);
  rescan_->setObjectName(QLatin1String(names::staleScanRescan));
  rescan_->setIcon(Symbols::icon(QStringLiteral("arrow.clockwise"), QColor(Qt::white), 13));
  row->addWidget(rescan_, 0, Qt::AlignVCenter);
  body()->addLayout(row);

  connect(rescan_, &QPushButton::clicked, this, [this] { state_.startScan(); });
  auto follow = [this] { rescan_->setEnabled(!state_.isScanning()); };
  connect(&state_, &AppState::scanningChanged, this, follow);
  follow();
  setDate(date);
}

QString StaleScanBanner::titleText(double date) {
  const QString when = date <= 86400.0 ? QStringLiteral("—") : QString::fromStdString(relativeDateText(date));
  return tr("This scan is from %1").arg(when);
}

void StaleScanBanner::setDate(double date) { title_->setText(titleText(date)); }

}  // namespace tolvex
