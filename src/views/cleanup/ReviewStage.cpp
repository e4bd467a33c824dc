#include "views/cleanup/ReviewStage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QVBoxLayout>
#include <algorithm>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/UiText.h"
#include "app/components/Buttons.h"
#include "app/components/ScrollStyle.h"
#include "app/components/SymbolView.h"
#include "app/theme/Theme.h"
#include "views/cleanup/GroupCard.h"
#include "views/cleanup/SizeHeadline.h"
#include "views/cleanup/logic/QuickCleanTexts.h"
#include "views/cleanup/logic/ReviewGroups.h"

namespace tolvex {
namespace {

constexpr int kMaxWidth = 900;

// Holds one widget centred at no more than the column width, as tall as itself. A layout's alignment
// would hold it at its size hint instead.
class CentredColumn : public QWidget {
 public:
  CentredColumn(QWidget* content, QWidget* parent) : QWidget(parent), content_(content) {
    content_->setParent(this);
    setSizePolicy(QSizePolicy::Expanding, content->sizePolicy().verticalPolicy());
  }
  QSize sizeHint() const override { return content_->sizeHint().boundedTo({kMaxWidth, QWIDGETSIZE_MAX}); }
  QSize minimumSizeHint() const override { return {0, content_->minimumSizeHint().height()}; }

 protected:
  void resizeEvent(QResizeEvent*) override {
    const int w = std::min(width(), kMaxWidth);
    content_->setGeometry((width() - w) / 2, 0, w, height());
  }

 private:
  QWidget* content_;
};

QPushButton* plainButton(const QString& title, const char* name, QWidget* parent) {
  auto* button = new QPushButton(title, parent);
  button->setObjectName(QLatin1String(name));
  button->setAutoDefault(false);
  return button;
}

}  // namespace

ReviewStage::ReviewStage(AppState& state, QWidget* parent) : QuickCleanStage(parent), state_(state) {
  setObjectName(QLatin1String(names::reviewStage));
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(16);

  // The figure and "ready to clean" share a baseline.
  auto* head = new QWidget(this);
  head->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  auto* headRow = new QHBoxLayout(head);
  headRow->setContentsMargins(4, 0, 4, 0);
  headRow->setSpacing(10);
  headline_ = new SizeHeadline(head);
  headRow->addWidget(headline_, 0, Qt::AlignBottom);
  auto* ready = new QLabel(tr("ready to clean"), head);
  ready->setObjectName(QLatin1String(names::reviewReady));
  Theme::setTextStyle(ready, TextStyle::title3);
  Theme::setForeground(ready, Tone::secondary);
  ready->setContentsMargins(0, 0, 0, std::max(0, headline_->descent() - ready->fontMetrics().descent()));
  headRow->addWidget(ready, 0, Qt::AlignBottom);
  headRow->addStretch(1);
  column->addWidget(new CentredColumn(head, this));

  empty_ = new QLabel(tr("Your Mac is clean. No junk found."), this);
  empty_->setObjectName(QLatin1String(names::reviewEmpty));
  empty_->setAlignment(Qt::AlignCenter);
  Theme::setTextStyle(empty_, TextStyle::body);
  Theme::setForeground(empty_, Tone::secondary);
  empty_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
  column->addWidget(empty_, 1);

  scroll_ = makePageScroll(this, names::reviewScroll);
  scroll_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  auto* body = new CentredColumn(scroll_, this);
  column->addWidget(body, 1);

  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(14);
  buttons->addStretch(1);
  startOver_ = plainButton(tr("Start Over"), names::reviewStartOver, this);
  connect(startOver_, &QPushButton::clicked, this, [this] { state_.setSmartPhase(SmartPhase::idle); });
  buttons->addWidget(startOver_);
  seeDetails_ = plainButton(tr("See Details"), names::reviewSeeDetails, this);
  connect(seeDetails_, &QPushButton::clicked, this, [this] { state_.setSection(AppSection::junk); });
  buttons->addWidget(seeDetails_);
  clean_ = new PrimaryButton(QString(), true, this);
  clean_->setObjectName(QLatin1String(names::reviewClean));
  labelWithSymbol(clean_, cleanButtonText(0), QStringLiteral("sparkles"));
  connect(clean_, &QPushButton::clicked, this, [this] { state_.runSmartClean(); });
  buttons->addWidget(clean_);
  buttons->addStretch(1);
  column->addLayout(buttons);

  // The Clean button is the default action, and a disabled one ignores the key.
  for (int key : {Qt::Key_Return, Qt::Key_Enter}) {
    auto* shortcut = new QShortcut(QKeySequence(key), this);
    connect(shortcut, &QShortcut::activated, this, [this] {
      if (clean_->isEnabled()) clean_->click();
    });
  }
  refresh();
}

std::vector<std::vector<GroupCard*>> ReviewStage::columns() const {
  std::vector<std::vector<GroupCard*>> out;
  for (QWidget* column : columnWidgets_) {
    std::vector<GroupCard*> cards;
    for (GroupCard* card : cards_)
      if (card->parentWidget() == column) cards.push_back(card);
    out.push_back(cards);
  }
  return out;
}

void ReviewStage::rebuildCards() {
  const std::vector<JunkFinding>& findings = state_.junk();
  cards_.clear();
  columnWidgets_.clear();
  auto* host = new QWidget;
  auto* row = new QHBoxLayout(host);
  row->setContentsMargins(4, 4, 4, 4);
  row->setSpacing(14);
  auto toggle = [this](const std::string& id, bool on) { this->toggle(id, on); };
  for (const ReviewColumn& groups : buildReviewGroups(findings)) {
    auto* columnWidget = new QWidget(host);
    columnWidget->setObjectName(QLatin1String(names::reviewColumn));
    auto* cards = new QVBoxLayout(columnWidget);
    cards->setContentsMargins(0, 0, 0, 0);
    cards->setSpacing(14);
    for (const ReviewGroup& group : groups) {
      auto* card = new GroupCard(findings, group, toggle, columnWidget);
      cards_.push_back(card);
      cards->addWidget(card);
    }
    cards->addStretch(1);
    columnWidgets_.push_back(columnWidget);
    row->addWidget(columnWidget, 1, Qt::AlignTop);
  }
  // The scroll area deletes the content it held, and fills the new one: the page shows through.
  scroll_->setWidget(host);
  host->setAutoFillBackground(false);
}

void ReviewStage::refresh() {
  const std::vector<JunkFinding>& findings = state_.junk();
  Signature signature;
  for (const JunkFinding& finding : findings)
    signature.emplace_back(finding.rule.id, finding.items.size(), findingTotal(finding));
  if (!built_ || signature != shown_) {
    built_ = true;
    shown_ = std::move(signature);
    rebuildCards();
  }
  const bool empty = findings.empty();
  empty_->setVisible(empty);
  scroll_->parentWidget()->setVisible(!empty);

  const std::set<std::string>& selection = state_.smartSelection();
  for (GroupCard* card : cards_) card->showSelection(selection);
  const int64_t size = selectedSize(findings, selection);
  headline_->setText(bytesText(size));
  clean_->setText(cleanButtonText(size));
  clean_->setEnabled(size > 0);
}

void ReviewStage::toggle(const std::string& ruleID, bool on) {
  std::set<std::string> selection = state_.smartSelection();
  if (on) {
    selection.insert(ruleID);
  } else {
    selection.erase(ruleID);
  }
  state_.setSmartSelection(std::move(selection));
}

}  // namespace tolvex
