#include "views/cleanup/SystemDataPartRow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/ObjectNames.h"
#include "app/UiText.h"
#include "app/components/CapsuleBar.h"
#include "app/components/RiskBadge.h"
#include "app/components/SymbolView.h"
#include "app/theme/Symbols.h"
#include "app/theme/Theme.h"
#include "views/cleanup/CleanupPieces.h"
#include "views/cleanup/logic/SystemDataContent.h"

namespace tolvex {

namespace {

constexpr int kSymbolFrame = 28;
constexpr int kBarHeight = 5;

QLabel* captionLabel(const std::string& text, const char* name, QWidget* parent) {
  auto* label = new QLabel(QString::fromStdString(text), parent);
  label->setObjectName(QLatin1String(name));
  label->setFont(Theme::font(TextStyle::caption));
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  return label;
}

}  // namespace

QProgressBar* makeSystemDataBar(QWidget* parent) {
  auto* bar = new CapsuleBar(0.08, parent);
  bar->setRange(0, 1000);
  bar->setFixedHeight(kBarHeight);
  return bar;
}

SystemDataPartRow::SystemDataPartRow(const SystemDataPart& part, int64_t scale, QWidget* parent)
    : QWidget(parent), part_(part), bar_(makeSystemDataBar(this)) {
  setObjectName(QLatin1String(names::systemDataPartRow));
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(12);

  auto* symbol = new SymbolView(QString::fromStdString(part.symbol), Theme::pixelSize(TextStyle::title3) + 3, this);
  symbol->setBrandGradient(true);
  auto* symbolFrame = new QWidget(this);
  symbolFrame->setFixedWidth(kSymbolFrame);
  auto* symbolColumn = new QVBoxLayout(symbolFrame);
  symbolColumn->setContentsMargins(0, 0, 0, 0);
  symbolColumn->addWidget(symbol, 0, Qt::AlignHCenter | Qt::AlignTop);
  row->addWidget(symbolFrame, 0, Qt::AlignTop);

  auto* column = new QVBoxLayout;
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(4);
  auto* titleLine = new QHBoxLayout;
  titleLine->setContentsMargins(0, 0, 0, 0);
  titleLine->setSpacing(8);
  auto* title = new QLabel(QString::fromStdString(part.title), this);
  title->setObjectName(QLatin1String(names::systemDataPartTitle));
  title->setFont(Theme::font(TextStyle::callout, QFont::DemiBold));
  title->setTextFormat(Qt::PlainText);
  titleLine->addWidget(title);
  titleLine->addWidget(new RiskBadge(part.risk, true, this));
  titleLine->addStretch(1);
  auto* size = new QLabel(bytesText(part.size), this);
  size->setObjectName(QLatin1String(names::systemDataPartSize));
  size->setFont(Theme::monospacedDigitFont(TextStyle::callout, QFont::DemiBold));
  titleLine->addWidget(size);
  column->addLayout(titleLine);

  bar_->setObjectName(QLatin1String(names::systemDataPartBar));
  bar_->setValue(barPermille(part.size, scale));
  column->addWidget(bar_);

  auto* explanation = captionLabel(part.explanation, names::systemDataPartExplanation, this);
  Theme::setForeground(explanation, Tone::secondary);
  column->addWidget(explanation);
  auto* advice = captionLabel(part.advice, names::systemDataPartAdvice, this);
  // Indigo as the advice's colour, deepened on light and lightened on dark windows so that small
  // text stays readable on both.
  Theme::setForeground(advice, Theme::dynamicColor(0x5443E8, 0xA99DFF));
  column->addWidget(advice);
  row->addLayout(column, 1);
  // Measured as the user: what only an administrator may read counts zero.
  if (part.partial)
    setToolTip(tr("At least this much: some of it can\u2019t be read without an administrator\u2019s password "
                  "and counts as zero here."));

  auto* reveal = new QToolButton(this);
  reveal->setObjectName(QLatin1String(names::systemDataPartReveal));
  reveal->setAutoRaise(true);
  reveal->setIcon(searchSymbolImage(14));
  reveal->setIconSize(QSize(14, 14));
  reveal->setToolTip(tr("Show in Files"));
  reveal->setCursor(Qt::PointingHandCursor);
  Symbols::tag(reveal, QStringLiteral("magnifyingglass"));
  row->addWidget(reveal, 0, Qt::AlignTop);
  if (part.path) {
    reveal_ = reveal;
    const std::string path = *part.path;
    connect(reveal_, &QToolButton::clicked, this, [path] { revealPathInFinder(path); });
  } else {
    // Nothing to reveal; the button's room is kept so every size lines up with the others.
    QSizePolicy keep = reveal->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    reveal->setSizePolicy(keep);
    reveal->hide();
  }
}

}  // namespace tolvex
