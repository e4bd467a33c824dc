#include "shell/AccessOnboardingView.h"

#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/components/Buttons.h"
#include "app/components/Card.h"
#include "app/components/GradientTile.h"
#include "app/components/SymbolView.h"
#include "app/services/UiServices.h"
#include "app/theme/Theme.h"
#include "platform/FullDiskAccess.h"

namespace tolvex {
namespace {

// One numbered step: a gradient badge, the (rich) text and a flexible space.
QHBoxLayout* stepRow(int number, const QString& text, QWidget* parent) {
  auto* row = new QHBoxLayout;
  row->setSpacing(12);
  row->addWidget(GradientTile::badge(QString::number(number), 24, parent), 0, Qt::AlignVCenter);
  auto* label = new QLabel(text, parent);
  label->setTextFormat(Qt::RichText);
  label->setWordWrap(true);
  row->addWidget(label, 1);
  return row;
}

}  // namespace

AccessOnboardingView::AccessOnboardingView(AppState& state, QWidget* parent) : QDialog(parent) {
  setObjectName(QLatin1String(names::accessOnboarding));
  setWindowTitle(tr("Full Disk Access"));
  setFixedWidth(kWidth);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(30, 30, 30, 30);
  column->setSpacing(22);

  auto* tile = new GradientTile(QStringLiteral("externaldrive.fill.badge.checkmark"), 36, 84, 22, this);
  auto* glow = new QGraphicsDropShadowEffect(tile);
  QColor indigo = Theme::indigo();
  indigo.setAlphaF(0.4);
  glow->setColor(indigo);
  glow->setBlurRadius(16);
  glow->setOffset(0, 6);
  tile->setGraphicsEffect(glow);
  column->addWidget(tile, 0, Qt::AlignHCenter);

  auto* titles = new QVBoxLayout;
  titles->setSpacing(6);
  auto* title = new QLabel(tr("Let Tolvex see your whole disk"), this);
  title->setFont(Theme::font(TextStyle::title, QFont::Bold));
  title->setAlignment(Qt::AlignCenter);
  auto* why = new QLabel(tr("macOS protects folders like Mail, Messages, Safari and app data. Without this permission "
                            "sizes are incomplete and macOS will ask you folder by folder."),
                         this);
  why->setWordWrap(true);
  why->setAlignment(Qt::AlignCenter);
  why->setFixedWidth(440);  // a wrapped label takes its height from this width
  Theme::setForeground(why, Tone::secondary);
  titles->addWidget(title);
  titles->addWidget(why, 0, Qt::AlignHCenter);
  column->addLayout(titles);

  auto* steps = new Card(16, this);
  steps->body()->setSpacing(12);
  steps->body()->addLayout(stepRow(1, tr("Click “Open Settings”."), steps));
  steps->body()->addLayout(
      stepRow(2, tr("Under “Full Disk Access”, turn on <b>Tolvex</b> (or add it with +)."), steps));
  steps->body()->addLayout(stepRow(3, tr("If macOS asks, choose “Quit &amp; Reopen”."), steps));
  column->addWidget(steps);

  auto* note = new QHBoxLayout;
  note->setSpacing(6);
  note->addWidget(new SymbolView(QStringLiteral("lock.shield.fill"), 14, this));
  auto* noteText = new QLabel(tr("Tolvex only reads names and sizes. Nothing leaves your Mac."), this);
  Theme::setTextStyle(noteText, TextStyle::callout);
  note->addWidget(noteText);
  note->addStretch(1);
  column->addLayout(note);

  auto* buttons = new QHBoxLayout;
  auto* skip = new QPushButton(tr("Scan Without Access"), this);
  skip->setObjectName(QLatin1String(names::accessOnboardingSkip));
  skip->setAutoDefault(false);
  auto* open = new PrimaryButton(tr("Open Settings"), false, this);
  open->setObjectName(QLatin1String(names::accessOnboardingOpenSettings));
  open->setDefault(true);
  buttons->addWidget(skip);
  buttons->addStretch(1);
  buttons->addWidget(open);
  column->addLayout(buttons);

  connect(open, &QPushButton::clicked, this, [] {
    auto& services = UiServices::shared();
    if (services.openUrl) services.openUrl(QUrl(QString::fromLatin1(kFullDiskAccessSettingsURL)));
  });
  connect(skip, &QPushButton::clicked, this, &AccessOnboardingView::scanWithoutAccess);
  // The sheet is the store's: dismissed by the user, it no longer asks.
  connect(this, &QDialog::rejected, this, [&state] { state.setShowAccessOnboarding(false); });
  state_ = &state;
}

void AccessOnboardingView::scanWithoutAccess() {
  state_->setAccessOnboardingSkipped(true);
  state_->setShowAccessOnboarding(false);
  accept();
  state_->startScan();
}

}  // namespace tolvex
