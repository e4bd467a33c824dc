#include "app/screen/ScanPrompt.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <QVariantAnimation>
#include <algorithm>
#include <cmath>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/components/Buttons.h"
#include "app/components/ElidedLabel.h"
#include "app/components/ScanningRing.h"
#include "app/screen/FullDiskAccessBanner.h"
#include "app/theme/Anim.h"
#include "app/theme/Symbols.h"
#include "app/theme/Theme.h"
#include "model/Formatting.h"

namespace tolvex {
namespace {

// A large indeterminate spinner: twelve spokes fading round the circle, stepping once every
// 1/12 s (still when animations are off).
class BusySpinner : public QWidget {
 public:
  explicit BusySpinner(QWidget* parent) : QWidget(parent) {
    setFixedSize(32, 32);
    setAttribute(Qt::WA_TranslucentBackground);
    step_.setStartValue(0);
    step_.setEndValue(12);
    step_.setLoopCount(-1);
    connect(&step_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
      const int phase = v.toInt() % 12;
      if (phase != phase_) {
        phase_ = phase;
        update();
      }
    });
  }

 protected:
  void showEvent(QShowEvent* event) override {
    QWidget::showEvent(event);
    const int ms = Anim::duration(1000);
    if (ms > 0 && step_.state() != QAbstractAnimation::Running) {
      step_.setDuration(ms);
      step_.start();
    }
  }
  void hideEvent(QHideEvent* event) override {
    step_.stop();
    QWidget::hideEvent(event);
  }
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(rect().center() + QPointF(0.5, 0.5));
    const qreal side = std::min(width(), height());
    const QColor color = Theme::primary(palette());
    for (int i = 0; i < 12; ++i) {
      // The spoke at the phase is the darkest; the ones behind it fade.
      const int age = (phase_ - i + 12) % 12;
      painter.save();
      painter.rotate(i * 30.0);
      painter.setPen(QPen(Theme::withOpacity(color, 0.85 - age * 0.06), side * 0.09, Qt::SolidLine, Qt::RoundCap));
      painter.drawLine(QPointF(0, -side * 0.25), QPointF(0, -side * 0.44));
      painter.restore();
    }
  }

 private:
  QVariantAnimation step_;
  int phase_ = 0;
};

// The idle face's icon: a circle of the brand gradient at 18 % with the drive symbol in the brand
// gradient on it.
class DriveIcon : public QWidget {
 public:
  explicit DriveIcon(QWidget* parent) : QWidget(parent) {
    setFixedSize(84, 84);
    setAttribute(Qt::WA_TranslucentBackground);
    Symbols::tag(this, QStringLiteral("internaldrive.fill"));
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF r = rect();
    painter.setOpacity(0.18);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Theme::brandGradient(r, layoutDirection()));
    painter.drawEllipse(r);
    painter.setOpacity(1);
    constexpr qreal kSymbol = 46;
    const QRectF symbol(r.center().x() - kSymbol / 2, r.center().y() - kSymbol / 2, kSymbol, kSymbol);
    Symbols::paint(&painter, symbol, QStringLiteral("internaldrive.fill"),
                   QBrush(Theme::brandGradient(symbol, layoutDirection())));
  }
};

// A standard button beside a capsule button: the same text size and height, with room around its
// title, so the pair reads as one row.
void matchCapsule(QPushButton* button, const QPushButton* capsule) {
  button->setFont(Theme::font(TextStyle::body));
  const int width = button->fontMetrics().horizontalAdvance(button->text()) + 2 * 16;
  button->setMinimumSize(std::max(width, button->sizeHint().width()), capsule->sizeHint().height());
}

QVBoxLayout* faceColumn(QWidget* face) {
  auto* column = new QVBoxLayout(face);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(ScanPrompt::kSpacing);
  return column;
}

}  // namespace

ScanPrompt::ScanPrompt(AppState& state, const QString& title, const QString& message, QWidget* parent)
    : AmbientBackground(parent), state_(state) {
  setObjectName(QLatin1String(names::scanPrompt));
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
  page->setSpacing(kSpacing);
  page->addStretch(1);

  // Restoring.
  restoring_ = new QWidget(this);
  restoring_->setObjectName(QLatin1String(names::scanPromptRestoring));
  {
    auto* column = faceColumn(restoring_);
    column->setSpacing(10);
    column->addWidget(new BusySpinner(restoring_), 0, Qt::AlignHCenter);
    auto* label = new QLabel(tr("Loading your last scan…"), restoring_);
    label->setObjectName(QLatin1String(names::scanPromptRestoringText));
    Theme::setTextStyle(label, TextStyle::body);
    Theme::setForeground(label, Tone::secondary);
    column->addWidget(label, 0, Qt::AlignHCenter);
  }
  page->addWidget(restoring_);

  // Scanning: the ring is made when the face appears, so each new scan's ring starts from 0°.
  scanning_ = new QWidget(this);
  scanning_->setObjectName(QLatin1String(names::scanPromptScanning));
  {
    auto* column = faceColumn(scanning_);
    currentPath_ = new ElidedLabel(QString(), scanning_);
    currentPath_->setObjectName(QLatin1String(names::scanPromptCurrentPath));
    currentPath_->setElideMode(Qt::ElideMiddle);
    currentPath_->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    currentPath_->setFixedWidth(kTextWidth);
    Theme::setTextStyle(currentPath_, TextStyle::caption);
    Theme::setForeground(currentPath_, Tone::secondary);
    column->addWidget(currentPath_, 0, Qt::AlignHCenter);
  }
  page->addWidget(scanning_);

  // Idle.
  idle_ = new QWidget(this);
  idle_->setObjectName(QLatin1String(names::scanPromptIdle));
  {
    auto* column = faceColumn(idle_);
    auto* icon = new DriveIcon(idle_);
    icon->setObjectName(QLatin1String(names::scanPromptIcon));
    column->addWidget(icon, 0, Qt::AlignHCenter);
    auto* titleLabel = new QLabel(title, idle_);
    titleLabel->setObjectName(QLatin1String(names::scanPromptTitle));
    titleLabel->setTextFormat(Qt::PlainText);
    titleLabel->setAlignment(Qt::AlignHCenter);
    Theme::setTextStyle(titleLabel, TextStyle::title2, QFont::Bold);
    auto* messageLabel = new QLabel(message, idle_);
    messageLabel->setObjectName(QLatin1String(names::scanPromptMessage));
    messageLabel->setTextFormat(Qt::PlainText);
    messageLabel->setAlignment(Qt::AlignHCenter);
    messageLabel->setWordWrap(true);
    Theme::setTextStyle(messageLabel, TextStyle::body);
    Theme::setForeground(messageLabel, Tone::secondary);
    // As wide as the text needs, at most 420; longer messages wrap.
    messageLabel->setFixedWidth(std::min(kTextWidth, messageLabel->fontMetrics().horizontalAdvance(message) + 4));
    // A centred item gets no height-for-width from its layout: keep the height of all its lines.
    messageLabel->setMinimumHeight(messageLabel->heightForWidth(messageLabel->width()));
    column->addWidget(titleLabel, 0, Qt::AlignHCenter);
    column->addWidget(messageLabel, 0, Qt::AlignHCenter);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    auto* disk = new PrimaryButton(tr("Scan Entire Disk"), false, idle_);
    disk->setObjectName(QLatin1String(names::scanPromptScanDisk));
    auto* home = new QPushButton(tr("Home Folder Only"), idle_);
    home->setObjectName(QLatin1String(names::scanPromptScanHome));
    home->setAutoDefault(false);
    matchCapsule(home, disk);
    buttons->addStretch(1);
    buttons->addWidget(disk);
    buttons->addWidget(home);
    buttons->addStretch(1);
    column->addLayout(buttons);
    connect(disk, &QPushButton::clicked, this, [this] { state_.startScan(ScanTarget::wholeDisk()); });
    connect(home, &QPushButton::clicked, this, [this] { state_.startScan(ScanTarget::home()); });

    // The banner: as wide as the page allows up to its maximum, centred.
    banner_ = new FullDiskAccessBanner(state_, idle_);
    banner_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto* bannerRow = new QHBoxLayout;
    bannerRow->setSpacing(0);
    bannerRow->addStretch(1);
    bannerRow->addWidget(banner_, 1000);
    bannerRow->addStretch(1);
    column->addLayout(bannerRow);
  }
  page->addWidget(idle_);
  page->addStretch(1);

  connect(&state_, &AppState::scanningChanged, this, &ScanPrompt::refresh);
  connect(&state_, &AppState::accessChanged, this, &ScanPrompt::refresh);
  refresh();
}

QString ScanPrompt::progressText(const ScanProgressSnapshot& progress) {
  return tr("%1 files").arg(QLocale().toString(static_cast<qlonglong>(progress.files)));
}

QString ScanPrompt::detailText(const ScanProgressSnapshot& progress) {
  return QString::fromStdString(formatBytes(std::max<int64_t>(progress.bytes, 0)));
}

ScanPrompt::Face ScanPrompt::faceFor(bool restoring, bool scanning) {
  if (restoring) return Face::restoring;
  if (scanning) return Face::scanning;
  return Face::idle;
}

void ScanPrompt::showFace(Face face) {
  if (faceShown_ && face == face_) return;
  const bool enteringScan = face == Face::scanning && (!faceShown_ || face_ != Face::scanning);
  face_ = face;
  faceShown_ = true;
  if (enteringScan) {
    if (ring_) {
      ring_->hide();
      ring_->deleteLater();
    }
    ring_ = new ScanningRing(QString(), QString(), scanning_);
    static_cast<QVBoxLayout*>(scanning_->layout())->insertWidget(0, ring_, 0, Qt::AlignHCenter);
  }
  restoring_->setVisible(face == Face::restoring);
  scanning_->setVisible(face == Face::scanning);
  idle_->setVisible(face == Face::idle);
}

void ScanPrompt::refresh() {
  showFace(faceFor(state_.isRestoringScan(), state_.isScanning()));
  if (face_ == Face::scanning && ring_) {
    const ScanProgressSnapshot& progress = state_.progress();
    ring_->setTexts(progressText(progress), detailText(progress));
    currentPath_->setText(
        QString::fromUtf8(progress.currentPath.data(), static_cast<qsizetype>(progress.currentPath.size())));
  }
  // Hidden, never deleted: "I’ve Done It" changes access from inside the banner's own click.
  banner_->setVisible(!state_.hasFullDiskAccess());
}

}  // namespace tolvex
