#include "views/cleanup/IdleStage.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QShortcut>
#include <QVBoxLayout>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/components/DiskRing.h"
#include "app/theme/Theme.h"
#include "views/cleanup/Promise.h"
#include "views/cleanup/ScanButton.h"
#include "views/cleanup/logic/QuickCleanTexts.h"

namespace tolvex {
namespace {

constexpr int kSentenceWidth = 520;

// The dial: the ring of used space with the Scan button in its middle.
QWidget* makeDial(DiskRing* ring, ScanButton* button, QWidget* parent) {
  auto* dial = new QWidget(parent);
  dial->setObjectName(QLatin1String(names::idleDial));
  dial->setFixedSize(ScanButton::kSide, ScanButton::kSide);
  auto* stack = new QGridLayout(dial);
  stack->setContentsMargins(0, 0, 0, 0);
  stack->addWidget(ring, 0, 0);
  stack->addWidget(button, 0, 0, Qt::AlignCenter);
  ring->setFixedSize(250, 250);
  return dial;
}

}  // namespace

IdleStage::IdleStage(AppState& state, QWidget* parent) : QuickCleanStage(parent), state_(state) {
  setObjectName(QLatin1String(names::idleStage));
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(26);

  ring_ = new DiskRing(0, 0, this);
  button_ = new ScanButton(this);
  connect(button_, &QAbstractButton::clicked, this, &IdleStage::startScan);
  column->addWidget(makeDial(ring_, button_, this), 0, Qt::AlignHCenter);

  auto* headline = new QVBoxLayout;
  headline->setSpacing(6);
  auto* title = new QLabel(tr("Free up space safely"), this);
  title->setObjectName(QLatin1String(names::idleTitle));
  title->setFont(Theme::systemFont(28, QFont::Bold));
  title->setAlignment(Qt::AlignCenter);
  headline->addWidget(title, 0, Qt::AlignHCenter);
  sentence_ = new QLabel(this);
  sentence_->setObjectName(QLatin1String(names::idleSentence));
  sentence_->setWordWrap(true);
  sentence_->setAlignment(Qt::AlignCenter);
  sentence_->setFixedWidth(kSentenceWidth);
  Theme::setTextStyle(sentence_, TextStyle::body);
  Theme::setForeground(sentence_, Tone::secondary);
  headline->addWidget(sentence_, 0, Qt::AlignHCenter);
  column->addLayout(headline);

  auto* promises = new QHBoxLayout;
  promises->setSpacing(14);
  promises->addStretch(1);
  promises->addWidget(
      new Promise(QStringLiteral("checkmark.shield.fill"), tr("Never touches the system"), Theme::success(), this));
  promises->addWidget(new Promise(QStringLiteral("arrow.uturn.backward.circle.fill"),
                                  tr("You review before anything is cleaned"), Theme::indigo(), this));
  promises->addWidget(
      new Promise(QStringLiteral("lock.fill"), tr("Everything stays on your Mac"), Theme::accent(), this));
  promises->addStretch(1);
  column->addLayout(promises);

  // The Scan button is the default action; the stage leaves at the first press, taking its key along.
  for (int key : {Qt::Key_Return, Qt::Key_Enter}) {
    auto* shortcut = new QShortcut(QKeySequence(key), this);
    connect(shortcut, &QShortcut::activated, button_, &QAbstractButton::click);
  }
  refresh();
}

void IdleStage::refresh() {
  const std::optional<VolumeInfo>& volume = state_.volume();
  ring_->setVisible(volume.has_value());
  if (volume) ring_->setValues(idleUsedSpace(*volume), volume->total);
  const std::optional<QString> sentence = idleVolumeSentence(volume);
  sentence_->setVisible(sentence.has_value());
  sentence_->setText(sentence.value_or(QString()));
  // A wrapped label centred in a column gets only the height of one line unless told its own.
  sentence_->setFixedHeight(sentence_->heightForWidth(kSentenceWidth));
}

void IdleStage::startScan() { state_.startSmartClean(); }

}  // namespace tolvex
