#include "views/analysis/ChangesCard.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/components/Buttons.h"
#include "app/components/SymbolTile.h"
#include "app/components/SymbolView.h"
#include "app/theme/Symbols.h"
#include "app/theme/Theme.h"
#include "model/DisplayPath.h"
#include "model/Formatting.h"
#include "views/analysis/ChangeRow.h"
#include "views/analysis/RowDivider.h"

namespace tolvex {
namespace {

QLabel* textLabel(const QString& text, const QFont& font, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setFont(font);
  label->setTextFormat(Qt::PlainText);
  return label;
}

// One category's change: its colour dot, its title and the signed change, on a faint capsule.
class Chip : public QWidget {
 public:
  Chip(const BucketChange& change, QWidget* parent) : QWidget(parent), color_(Theme::colorFor(change.bucket)) {
    setObjectName(QLatin1String(names::changesChip));
    setProperty("bucket", static_cast<int>(change.bucket));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(10 + kDot + 6, 5, 10, 5);
    row->setSpacing(6);
    row->addWidget(textLabel(QCoreApplication::translate("StorageBucket", title(change.bucket)),
                             Theme::font(TextStyle::caption), this));
    auto* delta = textLabel(QString::fromStdString(signedSizeText(change.delta)),
                            Theme::monospacedDigitFont(TextStyle::caption, QFont::DemiBold), this);
    delta->setObjectName(QLatin1String(names::changesChipDelta));
    Theme::setForeground(delta, changeTint(change.delta > 0));
    row->addWidget(delta);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath capsule;
    capsule.addRoundedRect(QRectF(rect()), height() / 2.0, height() / 2.0);
    painter.fillPath(capsule, Theme::primary(palette(), 0.05));
    painter.setPen(Qt::NoPen);
    painter.setBrush(color_);
    painter.drawEllipse(QRectF(10, (height() - kDot) / 2.0, kDot, kDot));
  }

 private:
  static constexpr int kDot = 8;
  QColor color_;
};

QWidget* plainBox(QWidget* parent) {
  auto* box = new QWidget(parent);
  box->setAttribute(Qt::WA_TranslucentBackground);
  return box;
}

}  // namespace

ChangesCard::ChangesCard(AppState& state, QWidget* parent) : Card(20, parent), state_(state) {
  setObjectName(QLatin1String(names::changesCard));
}

void ChangesCard::chooseBaseline(const std::string& id) {
  baselineID_ = id;
  refresh();
}

void ChangesCard::refresh() {
  std::optional<std::string> scanRoot;
  if (state_.scan() && state_.scan()->root) scanRoot = state_.scan()->root->path();
  ChangesCardContent content = changesCardContent(scanRoot, state_.trends(), baselineID_, state_.environment().clock(),
                                                  state_.environment().places.home);
  if (!built_ || !(content == content_)) {
    content_ = std::move(content);
    rebuild();
  }
  if (scanButton_) scanButton_->setEnabled(!state_.isScanning());
}

void ChangesCard::rebuild() {
  built_ = true;
  if (face_) {
    body()->removeWidget(face_);
    face_->hide();
    face_->deleteLater();
  }
  scanButton_ = nullptr;
  face_ = content_.face == ChangesCardContent::Face::comparison ? buildComparison() : buildFirstScan();
  body()->addWidget(face_);
}

std::vector<ChangeRow*> ChangesCard::rows() const {
  std::vector<ChangeRow*> out;
  if (!face_) return out;
  for (ChangeRow* row : face_->findChildren<ChangeRow*>()) out.push_back(row);
  return out;
}

QWidget* ChangesCard::buildFirstScan() {
  auto* face = plainBox(this);
  face->setObjectName(QLatin1String(names::changesFirstScan));
  auto* row = new QHBoxLayout(face);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(16);
  row->addWidget(new SymbolTile(QStringLiteral("arrow.left.arrow.right"), Theme::accent(), 22, 54, 14, face), 0,
                 Qt::AlignTop);
  auto* column = new QVBoxLayout;
  column->setSpacing(6);
  column->addWidget(textLabel(tr("What changed"), Theme::font(TextStyle::headline), face));
  auto* text = textLabel(content_.firstText, Theme::font(TextStyle::body), face);
  text->setObjectName(QLatin1String(names::changesFirstText));
  text->setWordWrap(true);
  Theme::setForeground(text, Tone::secondary);
  column->addWidget(text);
  if (content_.face == ChangesCardContent::Face::noSnapshot) {
    scanButton_ = new PrimaryButton(tr("Scan Entire Disk"), false, face);
    scanButton_->setObjectName(QLatin1String(names::changesScanDisk));
    connect(scanButton_, &QPushButton::clicked, this, [this] { state_.startScan(ScanTarget::wholeDisk()); });
    column->addSpacing(4);
    column->addWidget(scanButton_, 0, Qt::AlignLeft);
  }
  row->addLayout(column, 1);
  return face;
}

QWidget* ChangesCard::buildComparison() {
  auto* face = plainBox(this);
  face->setObjectName(QLatin1String(names::changesComparison));
  auto* column = new QVBoxLayout(face);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(16);
  column->addWidget(buildHeader());
  column->addWidget(buildTotals());
  if (!content_.chips.empty()) column->addWidget(buildChips());
  column->addWidget(buildRows());
  return face;
}

QWidget* ChangesCard::buildHeader() {
  auto* header = plainBox(this);
  auto* row = new QHBoxLayout(header);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(textLabel(tr("What changed"), Theme::font(TextStyle::headline), header), 0, Qt::AlignBaseline);
  row->addStretch(1);
  auto* menuButton = new QToolButton(header);
  menuButton->setObjectName(QLatin1String(names::changesBaselineMenu));
  menuButton->setText(content_.sinceText);
  menuButton->setIcon(Symbols::icon(QStringLiteral("calendar"), 14));
  menuButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  menuButton->setPopupMode(QToolButton::InstantPopup);
  menuButton->setAutoRaise(true);
  menuButton->setToolTip(tr("Choose the earlier scan to compare with"));
  menuButton->setFont(Theme::font(TextStyle::body));
  Symbols::tag(menuButton, QStringLiteral("calendar"));
  auto* menu = new QMenu(menuButton);
  for (const auto& [id, title] : content_.baselines) {
    QAction* action = menu->addAction(title);
    action->setData(QString::fromStdString(id));
    const std::string chosen = id;
    // Queued: choosing rebuilds the card, which removes this menu.
    connect(
        action, &QAction::triggered, this, [this, chosen] { chooseBaseline(chosen); }, Qt::QueuedConnection);
  }
  menuButton->setMenu(menu);
  row->addWidget(menuButton, 0, Qt::AlignBaseline);
  return header;
}

QWidget* ChangesCard::buildTotals() {
  auto* totals = plainBox(this);
  auto* row = new QHBoxLayout(totals);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(10);
  auto* total = textLabel(content_.totalText, Theme::monospacedDigitFont(Theme::systemFont(26, QFont::Bold)), totals);
  total->setObjectName(QLatin1String(names::changesTotal));
  Theme::setForeground(total, changeTint(content_.totalGrew));
  row->addWidget(total, 0, Qt::AlignBaseline);
  auto* fromTo = textLabel(content_.fromToText, Theme::font(TextStyle::body), totals);
  fromTo->setObjectName(QLatin1String(names::changesFromTo));
  Theme::setForeground(fromTo, Tone::secondary);
  row->addWidget(fromTo, 0, Qt::AlignBaseline);
  row->addStretch(1);
  return totals;
}

QWidget* ChangesCard::buildChips() {
  auto* scroll = new QScrollArea(this);
  scroll->setObjectName(QLatin1String(names::changesChips));
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll->setWidgetResizable(true);
  scroll->viewport()->setAutoFillBackground(false);
  auto* strip = plainBox(scroll);
  auto* row = new QHBoxLayout(strip);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(8);
  for (const BucketChange& change : content_.chips) row->addWidget(new Chip(change, strip), 0, Qt::AlignVCenter);
  row->addStretch(1);
  scroll->setWidget(strip);
  strip->setAutoFillBackground(false);  // the scroll area turns it on; the card shows through
  scroll->setFixedHeight(strip->sizeHint().height());
  return scroll;
}

QWidget* ChangesCard::buildRows() {
  if (content_.rows.empty()) {
    auto* none = labelWithSymbol(tr("No folder changed by more than 100 MB between these two scans."),
                                 QStringLiteral("equal.circle"), this);
    none->setObjectName(QLatin1String(names::changesNoRows));
    none->setContentsMargins(0, 8, 0, 8);
    Theme::setForeground(none, Tone::secondary);
    return none;
  }
  auto* list = plainBox(this);
  list->setObjectName(QLatin1String(names::changesRows));
  auto* column = new QVBoxLayout(list);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  for (size_t i = 0; i < content_.rows.size(); ++i) {
    auto* row = new ChangeRow(content_.changes[i], content_.rows[i], list);
    const std::string path = content_.changes[i].path;
    connect(row, &QAbstractButton::clicked, this, [this, path] { ChangeRow::showInExplorer(state_, path); });
    column->addWidget(row);
    if (i + 1 < content_.rows.size()) column->addWidget(new RowDivider(list));
  }
  return list;
}

}  // namespace tolvex
