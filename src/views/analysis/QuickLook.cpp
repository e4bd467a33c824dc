#include "views/analysis/QuickLook.h"

#include <QCoreApplication>
#include <QFile>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QStringDecoder>
#include <QVBoxLayout>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/ObjectNames.h"
#include "app/UiDispatch.h"
#include "app/theme/Theme.h"
#include "model/DisplayPath.h"
#include "model/FileKind.h"
#include "platform/Paths.h"
#include "views/analysis/logic/NodeLists.h"

namespace tolvex {
namespace {

QString tr(const char* text) { return QCoreApplication::translate("QuickLook", text); }

}  // namespace

PreviewContent loadPreview(const PreviewTarget& target, const std::string& home, QSize box, qsizetype textBytes) {
  PreviewContent c;
  c.name = QString::fromUtf8(lastPathComponent(target.path));
  c.where = QString::fromUtf8(displayPath(parentPath(target.path), home));
  c.sizeText = QStringLiteral("\u2014");
  c.modifiedText = QStringLiteral("\u2014");
  struct stat st {};
  if (::lstat(target.path.c_str(), &st) != 0) {
    c.kindText = tr("No longer on disk");
    return c;
  }
  c.modifiedText = shortDateTimeText(static_cast<double>(st.st_mtim.tv_sec));
  if (S_ISDIR(st.st_mode)) {
    c.kindText = isPackageExtension(pathExtension(target.path)) ? tr("Package") : tr("Folder");
    return c;
  }
  if (S_ISLNK(st.st_mode)) {
    c.kindText = tr("Symbolic link");
    return c;
  }
  if (!S_ISREG(st.st_mode)) {
    c.kindText = tr("Special file");
    return c;
  }
  c.kindText = QCoreApplication::translate("FileKind", title(kindForFileName(lastPathComponent(target.path))));
  c.sizeText = bytesText(static_cast<int64_t>(st.st_size));

  // Opened without following a link and without waiting on a pipe that took the file's place.
  const int fd = ::open(target.path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return c;
  struct stat opened {};
  if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
    ::close(fd);
    return c;
  }
  QFile file;
  if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    return c;
  }
  {
    QImageReader reader(&file);
    if (reader.canRead()) {
      const QSize size = reader.size();
      if (size.isValid() && (size.width() > box.width() || size.height() > box.height()))
        reader.setScaledSize(size.scaled(box, Qt::KeepAspectRatio));
      QImage image = reader.read();
      if (!image.isNull()) {
        if (image.width() > box.width() || image.height() > box.height())
          image = image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        c.kind = PreviewContent::Kind::image;
        c.image = image;
        return c;
      }
    }
  }
  if (!file.seek(0)) return c;
  QByteArray head = file.read(textBytes + 1);
  c.truncated = head.size() > textBytes;
  if (c.truncated) head.truncate(textBytes);
  if (head.contains('\0')) return c;
  // A stateful decoder holds back a character cut at the end instead of calling it an error.
  QStringDecoder decoder(QStringDecoder::Utf8);
  QString text = decoder(head);
  if (decoder.hasError()) return c;
  c.kind = PreviewContent::Kind::text;
  c.text = std::move(text);
  return c;
}

// ---- Panel --------------------------------------------------------------------------------------

QuickLookPanel::QuickLookPanel(std::string home, QWidget* parent)
    : QDialog(parent), home_(std::move(home)), ui_(new UiTaskQueue(this)) {
  setObjectName(QLatin1String(names::quickLookDialog));
  setWindowFlag(Qt::Tool);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setModal(false);
  resize(720, 560);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(16, 14, 16, 16);
  layout->setSpacing(10);
  title_ = new QLabel(this);
  title_->setObjectName(QLatin1String(names::quickLookTitle));
  Theme::setTextStyle(title_, TextStyle::headline);
  title_->setTextFormat(Qt::PlainText);
  layout->addWidget(title_);

  pages_ = new QStackedWidget(this);
  image_ = new QLabel(pages_);
  image_->setObjectName(QLatin1String(names::quickLookImage));
  image_->setAlignment(Qt::AlignCenter);
  text_ = new QPlainTextEdit(pages_);
  text_->setObjectName(QLatin1String(names::quickLookText));
  text_->setReadOnly(true);
  text_->setFont(Theme::fixedFont(TextStyle::callout));
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text_->installEventFilter(this);  // a read-only text takes Space as "page down"
  facts_ = new QLabel(pages_);
  facts_->setObjectName(QLatin1String(names::quickLookFacts));
  facts_->setAlignment(Qt::AlignCenter);
  facts_->setTextFormat(Qt::PlainText);
  facts_->setWordWrap(true);
  Theme::setTextStyle(facts_, TextStyle::body);
  pages_->addWidget(facts_);
  pages_->addWidget(image_);
  pages_->addWidget(text_);
  layout->addWidget(pages_, 1);
}

void QuickLookPanel::showTarget(const PreviewTarget& target) {
  target_ = target;
  loaded_ = false;
  const quint64 request = ++request_;
  title_->setText(QString::fromUtf8(lastPathComponent(target.path)));
  setWindowTitle(title_->text());
  facts_->setText(tr("Loading…"));
  pages_->setCurrentWidget(facts_);
  const QSize box(std::max(width() - 40, 320), std::max(height() - 80, 240));
  // The application's shared pool: a preview may still be loading when the panel closes, so the
  // result comes back through a poster, which drops it once the panel is gone.
  startInPool(*QThreadPool::globalInstance(), [this, target, home = home_, box, request, back = ui_->poster()] {
    auto content = std::make_shared<const PreviewContent>(loadPreview(target, home, box));
    back.post([this, request, content] {
      if (request != request_) return;  // a newer target replaced this one
      present(*content);
    });
  });
}

void QuickLookPanel::present(const PreviewContent& content) {
  QStringList facts{content.name, content.kindText};
  if (content.sizeText != QStringLiteral("\u2014")) facts << content.sizeText;
  facts << tr("Modified %1").arg(content.modifiedText) << content.where;
  switch (content.kind) {
    case PreviewContent::Kind::image:
      image_->setPixmap(QPixmap::fromImage(content.image));
      pages_->setCurrentWidget(image_);
      break;
    case PreviewContent::Kind::text:
      text_->setPlainText(content.truncated ? content.text + QStringLiteral("\n…") : content.text);
      pages_->setCurrentWidget(text_);
      break;
    case PreviewContent::Kind::facts: pages_->setCurrentWidget(facts_); break;
  }
  facts_->setText(facts.join(QLatin1Char('\n')));
  setToolTip(facts.join(QLatin1Char('\n')));
  loaded_ = true;
  emit loaded();
}

namespace {
bool closesPreview(const QKeyEvent* event) {
  const auto mods = event->modifiers() & ~Qt::KeypadModifier;
  return (event->key() == Qt::Key_Space || event->key() == Qt::Key_Escape) && mods == Qt::NoModifier;
}
}  // namespace

void QuickLookPanel::keyPressEvent(QKeyEvent* event) {
  if (closesPreview(event)) {
    close();
    return;
  }
  QDialog::keyPressEvent(event);
}

bool QuickLookPanel::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && closesPreview(static_cast<QKeyEvent*>(event))) {
    close();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

// ---- Binding ------------------------------------------------------------------------------------

QuickLookBinding::QuickLookBinding(QWidget* host, std::string home)
    : QObject(host), host_(host), home_(std::move(home)) {}

QuickLookBinding::~QuickLookBinding() {
  if (panel_) panel_->disconnect(this);
}

void QuickLookBinding::setPreview(std::optional<PreviewTarget> target) {
  if (target == preview_) return;
  preview_ = std::move(target);
  if (preview_) {
    if (!panel_) {
      panel_ = new QuickLookPanel(home_, host_);
      connect(panel_, &QDialog::finished, this, [this] {
        if (!preview_) return;
        preview_.reset();
        emit previewChanged();
      });
    }
    panel_->showTarget(*preview_);
    panel_->show();
  } else if (panel_ && panel_->isVisible()) {
    panel_->close();
  }
  emit previewChanged();
}

void QuickLookBinding::present(const PreviewTarget& target) {
  setPreview(target);
  if (!panel_) return;
  panel_->raise();
  panel_->activateWindow();
  panel_->setFocus(Qt::OtherFocusReason);
}

void QuickLookBinding::toggle(const PreviewTarget& target) {
  if (preview_)
    setPreview(std::nullopt);
  else
    setPreview(target);
}

}  // namespace tolvex
