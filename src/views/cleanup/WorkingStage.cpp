#include "views/cleanup/WorkingStage.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/ObjectNames.h"
#include "app/components/ScanningRing.h"
#include "app/components/SymbolView.h"
#include "app/theme/Theme.h"

namespace tolvex {

WorkingStage::WorkingStage(const QString& title, const QString& subtitle, QWidget* parent)
    : QuickCleanStage(parent), ring_(new ScanningRing(QString(), QString(), this)) {
  setObjectName(QLatin1String(names::workingStage));
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(22);

  auto* dial = new QWidget(this);
  auto* stack = new QGridLayout(dial);
  stack->setContentsMargins(0, 0, 0, 0);
  stack->addWidget(ring_, 0, 0);
  auto* sparkles = new SymbolView(QStringLiteral("sparkles"), 40, dial);
  sparkles->setBrandGradient(true);
  stack->addWidget(sparkles, 0, 0, Qt::AlignCenter);
  column->addWidget(dial, 0, Qt::AlignHCenter);

  title_ = new QLabel(title, this);
  title_->setObjectName(QLatin1String(names::workingTitle));
  Theme::setTextStyle(title_, TextStyle::title, QFont::Bold);
  title_->setAlignment(Qt::AlignCenter);
  column->addWidget(title_, 0, Qt::AlignHCenter);

  subtitle_ = new QLabel(subtitle, this);
  subtitle_->setObjectName(QLatin1String(names::workingSubtitle));
  Theme::setTextStyle(subtitle_, TextStyle::body);
  Theme::setForeground(subtitle_, Tone::secondary);
  subtitle_->setAlignment(Qt::AlignCenter);
  column->addWidget(subtitle_, 0, Qt::AlignHCenter);
}

QString WorkingStage::title() const { return title_->text(); }
QString WorkingStage::subtitle() const { return subtitle_->text(); }

}  // namespace tolvex
