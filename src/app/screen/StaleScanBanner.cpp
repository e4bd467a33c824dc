#include "app/screen/StaleScanBanner.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/components/Buttons.h"
#include "app/components/SymbolTile.h"
#include "app/components/SymbolView.h"
#include "app/theme/Theme.h"
#include "model/Formatting.h"

namespace tolvex {

StaleScanBanner::StaleScanBanner(AppState& state, double date, QWidget* parent) : Card(14, parent), state_(state) {
  setObjectName(QLatin1String(names::staleScanBanner));
  auto* row = new QHBoxLayout;
  row->setSpacing(14);
  row->addWidget(new SymbolTile(QStringLiteral("clock.arrow.circlepath"), Theme::warning(),
                                Theme::pixelSize(TextStyle::title2), 44, 12, this),
                 0, Qt::AlignVCenter);

  auto* column = new QVBoxLayout;
  column->setSpacing(2);
  auto* title = new QLabel(
      tr("This scan is from %1").arg(QString::fromStdString(relativeDateText(date, state.environment().clock()))),
      this);
  title->setObjectName(QLatin1String(names::staleScanTitle));
  title->setTextFormat(Qt::PlainText);
  Theme::setTextStyle(title, TextStyle::headline);
  auto* text = new QLabel(tr("Sizes may have changed since then. Rescan to see your disk as it is now."), this);
  text->setWordWrap(true);
  Theme::setTextStyle(text, TextStyle::callout);
  Theme::setForeground(text, Tone::secondary);
  column->addWidget(title);
  column->addWidget(text);
  row->addLayout(column, 1);
  row->addSpacing(12);

  rescan_ = new PrimaryButton(QString(), false, this);
  rescan_->setObjectName(QLatin1String(names::staleScanRescan));
  labelWithSymbol(rescan_, tr("Rescan"), QStringLiteral("arrow.clockwise"));
  row->addWidget(rescan_, 0, Qt::AlignVCenter);
  body()->addLayout(row);

  connect(rescan_, &QPushButton::clicked, this, [this] { state_.startScan(); });
  connect(&state_, &AppState::scanningChanged, this, &StaleScanBanner::syncScanning);
  syncScanning();
}

void StaleScanBanner::syncScanning() { rescan_->setEnabled(!state_.isScanning()); }

}  // namespace tolvex
