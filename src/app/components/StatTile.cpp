#include "app/components/StatTile.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "app/ObjectNames.h"
#include "app/components/ElidedLabel.h"
#include "app/components/SymbolView.h"
#include "app/theme/Symbols.h"

namespace tolvex {
namespace {

// The value: a row of tiles narrower than their figures cuts each figure with an ellipsis instead
// of pushing the row wider than its window.
class ValueLabel : public QLabel {
 public:
  explicit ValueLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {}
  QSize minimumSizeHint() const override {
    return {fontMetrics().horizontalAdvance(QStringLiteral("…")), QLabel::minimumSizeHint().height()};
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    const QRect box = contentsRect();
    painter.drawText(box, Qt::AlignLeading | Qt::AlignVCenter,
                     fontMetrics().elidedText(text(), Qt::ElideRight, box.width()));
  }
};

}  // namespace

StatTile::StatTile(const QString& title, const QString& value, const std::optional<QString>& caption,
                   const QString& symbol, const ThemeColor& tint, QWidget* parent)
    : Card(16, parent),
      symbol_(new SymbolView(symbol, tint, 13, this)),
      title_(new QLabel(title, this)),
      value_(new ValueLabel(value, this)),
      caption_(new ElidedLabel(caption.value_or(QString()), this)) {
  setObjectName(QLatin1String(names::statTile));
  symbol_->setObjectName(QLatin1String(names::statTileSymbol));
  title_->setObjectName(QLatin1String(names::statTileTitle));
  value_->setObjectName(QLatin1String(names::statTileValue));
  caption_->setObjectName(QLatin1String(names::statTileCaption));
  Symbols::tag(this, symbol);

  title_->setFont(Theme::font(TextStyle::subheadline));
  title_->setTextFormat(Qt::PlainText);
  Theme::setForeground(title_, Tone::secondary);
  value_->setFont(Theme::monospacedDigitFont(Theme::systemFont(24, QFont::DemiBold)));
  value_->setTextFormat(Qt::PlainText);
  caption_->setFont(Theme::font(TextStyle::caption));
  caption_->setMaxLines(2);
  caption_->setReserveLines(true);
  Theme::setForeground(caption_, Tone::secondary);
  caption_->setVisible(caption.has_value());

  auto* head = new QHBoxLayout;
  head->setContentsMargins(0, 0, 0, 0);
  head->setSpacing(6);
  head->addWidget(symbol_, 0, Qt::AlignVCenter);
  head->addWidget(title_, 1, Qt::AlignVCenter);

  body()->setSpacing(8);
  body()->addLayout(head);
  body()->addWidget(value_);
  body()->addWidget(caption_);
  body()->addStretch(1);  // tiles in a row share one height; the content keeps to the top
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

QString StatTile::title() const { return title_->text(); }
QString StatTile::value() const { return value_->text(); }
std::optional<QString> StatTile::caption() const {
  return !caption_->isHidden() ? std::optional<QString>(caption_->text()) : std::nullopt;
}
QString StatTile::symbol() const { return symbol_->symbol(); }

void StatTile::setTitle(const QString& title) { title_->setText(title); }
void StatTile::setValue(const QString& value) { value_->setText(value); }
void StatTile::setCaption(const std::optional<QString>& caption) {
  caption_->setText(caption.value_or(QString()));
  caption_->setVisible(caption.has_value());
}
void StatTile::setSymbol(const QString& symbol, const ThemeColor& tint) {
  symbol_->setSymbol(symbol);
  symbol_->setColor(tint);
  Symbols::tag(this, symbol);
}

}  // namespace tolvex
