#include "app/screen/FullDiskAccessBanner.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/components/SymbolView.h"
#include "app/services/UiServices.h"
#include "app/theme/Theme.h"
#include "platform/FullDiskAccess.h"

namespace tolvex {
namespace {

// A borderless button drawn as a link: the palette's link colour, a pointing hand.
QPushButton* linkButton(const QString& title, QWidget* parent) {
  auto* button = new QPushButton(title, parent);
  button->setFlat(true);
  button->setAutoDefault(false);
  button->setCursor(Qt::PointingHandCursor);
  button->setFont(Theme::font(TextStyle::body));
  button->setStyleSheet(
      QStringLiteral("QPushButton { border: none; padding: 0 4px; background: transparent;"
                     " color: palette(link); }"
                     "QPushButton:pressed { color: palette(link-visited); }"));
  return button;
}

}  // namespace

FullDiskAccessBanner::FullDiskAccessBanner(AppState& state, QWidget* parent) : Card(16, parent), state_(state) {
  setObjectName(QLatin1String(names::fullDiskAccessBanner));
  setMaximumWidth(kMaxWidth);

  auto* row = new QHBoxLayout;
  row->setSpacing(12);
  auto* symbol = new SymbolView(QStringLiteral("lock.shield.fill"), Theme::warning(), 20, this);
  row->addWidget(symbol, 0, Qt::AlignTop);

  auto* column = new QVBoxLayout;
  column->setSpacing(4);
  auto* title = new QLabel(tr("Grant Full Disk Access"), this);
  Theme::setTextStyle(title, TextStyle::headline);
  auto* text = new QLabel(tr("Without it, macOS hides folders like Mail, Safari and app containers from Tolvex, so "
                             "sizes come out incomplete. Tolvex never sends anything off your Mac."),
                          this);
  text->setWordWrap(true);
  Theme::setTextStyle(text, TextStyle::callout);
  Theme::setForeground(text, Tone::secondary);
  column->addWidget(title);
  column->addWidget(text);

  auto* buttons = new QHBoxLayout;
  buttons->setContentsMargins(0, 4, 0, 0);
  buttons->setSpacing(8);
  auto* open = new QPushButton(tr("Open Privacy Settings"), this);
  open->setObjectName(QLatin1String(names::fullDiskAccessOpenSettings));
  open->setAutoDefault(false);
  // Body text with room around the title, like the other buttons of the page.
  open->setFont(Theme::font(TextStyle::body));
  open->setMinimumWidth(open->fontMetrics().horizontalAdvance(open->text()) + 2 * 14);
  open->setMinimumHeight(open->sizeHint().height() + 4);
  auto* done = linkButton(tr("I’ve Done It"), this);
  done->setObjectName(QLatin1String(names::fullDiskAccessDone));
  buttons->addWidget(open);
  buttons->addWidget(done);
  buttons->addStretch(1);
  column->addLayout(buttons);
  row->addLayout(column, 1);
  body()->addLayout(row);

  connect(open, &QPushButton::clicked, this, [] {
    // Nothing is reported when no application handles the settings page.
    auto& services = UiServices::shared();
    if (services.openUrl) services.openUrl(QUrl(QString::fromLatin1(kFullDiskAccessSettingsURL)));
  });
  connect(done, &QPushButton::clicked, this, [this] {
    const auto& probe = state_.environment().accessProbe;
    state_.setHasFullDiskAccess(probe ? probe() : hasFullDiskAccess());
  });
}

}  // namespace tolvex
