#include "views/analysis/MapSidePanel.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QTextLayout>
#include <QVBoxLayout>

#include "app/ObjectNames.h"
#include "app/components/ElidedLabel.h"
#include "app/components/FileIcon.h"
#include "app/theme/Theme.h"
#include "model/DisplayPath.h"
#include "model/SafetyVerdict.h"
#include "views/analysis/logic/NodeLists.h"
#include "views/analysis/logic/Sunburst.h"

namespace tolvex {
namespace {

constexpr int kPadding = 16;

int wrappedLines(const QString& text, const QFont& font, int width) {
  QTextLayout layout(text, font);
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAnywhere);
  layout.setTextOption(option);
  layout.beginLayout();
  int lines = 0;
  while (true) {
    QTextLine line = layout.createLine();
    if (!line.isValid()) break;
    line.setLineWidth(width);
    ++lines;
  }
  layout.endLayout();
  return lines;
}

// A filled circle of one colour.
class Dot : public QWidget {
 public:
  Dot(const QColor& color, int side, QWidget* parent) : QWidget(parent), color_(color), side_(side) {
    setFixedSize(side, side);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color_);
    painter.drawEllipse(QRectF(0, 0, side_, side_));
  }

 private:
  QColor color_;
  int side_;
};

QLabel* label(const QString& text, TextStyle style, Tone tone, QWidget* parent, const char* name = nullptr) {
  auto* l = new QLabel(text, parent);
  l->setTextFormat(Qt::PlainText);
  Theme::setTextStyle(l, style);
  Theme::setForeground(l, tone);
  if (name) l->setObjectName(QLatin1String(name));
  return l;
}

std::string iconPathOf(const FileNode& node) {
  std::string path = node.path();
  if (node.isDirectory && !node.isPackage && (path.empty() || path.back() != '/')) path += '/';
  return path;
}

}  // namespace

MapSidePanel::MapSidePanel(const SafetyContext& safety, QWidget* parent) : Card(kPadding, parent), safety_(safety) {
  setObjectName(QLatin1String(names::mapSidePanel));
  setFixedWidth(kWidth);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Maximum);
}

QString MapSidePanel::fitInLines(const QString& text, const QFont& font, int width, int lines) {
  if (width < 1 || lines < 1 || wrappedLines(text, font, width) <= lines) return text;
  // The longest middle-cut text that still fits.
  const QFontMetrics fm(font);
  int low = 0, high = width * lines;
  QString best = fm.elidedText(text, Qt::ElideMiddle, 0);
  while (low <= high) {
    const int mid = (low + high) / 2;
    const QString candidate = fm.elidedText(text, Qt::ElideMiddle, mid);
    if (wrappedLines(candidate, font, width) <= lines) {
      best = candidate;
      low = mid + 1;
    } else {
      high = mid - 1;
    }
  }
  return best;
}

void MapSidePanel::clear() {
  if (content_) {
    body()->removeWidget(content_);
    delete content_.data();
  }
}

void MapSidePanel::showFolder(const FileNode& current, const FileNode* focus) {
  // Rebuilt only when what it shows changed: another folder or focus, or other sizes.
  std::vector<std::pair<uint64_t, int64_t>> key{{current.serial, get(current.size)}};
  if (focus) {
    key.emplace_back(focus->serial, get(focus->size));
  } else {
    for (const FileNode* n : largestChildren(current, kLargestCount, true)) key.emplace_back(n->serial, get(n->size));
  }
  if (content_ && current_ == &current && focus_ == focus && key == shownKey_) return;
  current_ = &current;
  focus_ = focus;
  shownKey_ = std::move(key);
  clear();
  content_ = new QWidget(this);
  body()->addWidget(content_);
  if (focus)
    buildFocus(*focus);
  else
    buildLargest(current);
}

void MapSidePanel::buildFocus(const FileNode& node) {
  auto* column = new QVBoxLayout(content_);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(12);

  auto* head = new QHBoxLayout;
  head->setSpacing(10);
  head->addWidget(new FileIcon(iconPathOf(node), 36, content_), 0, Qt::AlignVCenter);
  auto* texts = new QVBoxLayout;
  texts->setSpacing(2);
  auto* name = new ElidedLabel(QString::fromUtf8(node.name), content_);
  name->setObjectName(QLatin1String(names::mapFocusName));
  name->setMaxLines(2);
  Theme::setTextStyle(name, TextStyle::headline);
  texts->addWidget(name);
  texts->addWidget(label(QCoreApplication::translate("StorageBucket", title(get(node.bucket))), TextStyle::caption,
                         Tone::secondary, content_, names::mapFocusCategory));
  head->addLayout(texts, 1);
  column->addLayout(head);

  auto* size = label(bytesText(get(node.size)), TextStyle::body, Tone::primary, content_, names::mapFocusSize);
  size->setFont(Theme::monospacedDigitFont(Theme::systemFont(28, QFont::Bold)));
  column->addWidget(size);

  const std::string path = node.path();
  const QFont caption = Theme::font(TextStyle::caption);
  const QString shownPath = QString::fromUtf8(displayPath(path, safety_.places.home));
  auto* where = label(fitInLines(shownPath, caption, kWidth - 2 * kPadding, 3), TextStyle::caption, Tone::secondary,
                      content_, names::mapFocusPath);
  where->setWordWrap(true);
  where->setToolTip(shownPath);
  column->addWidget(where);

  auto* reason = label(QString::fromStdString(SafetyVerdict::forPath(path, safety_).reason), TextStyle::caption,
                       Tone::secondary, content_, names::mapFocusReason);
  reason->setWordWrap(true);
  column->addWidget(reason);
}

void MapSidePanel::buildLargest(const FileNode& current) {
  auto* column = new QVBoxLayout(content_);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(12);
  column->addWidget(label(tr("Largest items"), TextStyle::headline, Tone::primary, content_, names::mapLargestTitle));
  const auto items = largestChildren(current, kLargestCount, true);
  for (size_t i = 0; i < items.size(); ++i) {
    auto* row = new QWidget(content_);
    row->setObjectName(QLatin1String(names::mapLargestRow));
    row->setProperty("colorIndex", static_cast<int>(i % sunburst::kPaletteSize));
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(8);
    line->addWidget(new Dot(sunburst::paletteColor(i), 8, row), 0, Qt::AlignVCenter);
    auto* name = new ElidedLabel(QString::fromUtf8(items[i]->name), row);
    Theme::setTextStyle(name, TextStyle::callout);
    line->addWidget(name, 1);
    auto* size = label(bytesText(get(items[i]->size)), TextStyle::callout, Tone::secondary, row);
    size->setFont(Theme::monospacedDigitFont(TextStyle::callout));
    line->addWidget(size, 0, Qt::AlignRight | Qt::AlignVCenter);
    column->addWidget(row);
  }
  auto* hint = label(tr("Hover to inspect, click a ring to open a folder, click the centre to go up."),
                     TextStyle::caption, Tone::secondary, content_, names::mapHint);
  hint->setWordWrap(true);
  hint->setContentsMargins(0, 6, 0, 0);
  column->addWidget(hint);
}

}  // namespace tolvex
