#pragma once
// Text cut to a number of lines with an ellipsis, for paths and captions that must not grow a layout.
#include <QFrame>
#include <QString>

namespace tolvex {

class ElidedLabel : public QFrame {
  Q_OBJECT
 public:
  explicit ElidedLabel(const QString& text = QString(), QWidget* parent = nullptr);

  QString text() const { return text_; }
  void setText(const QString& text);
  // One line cut in the middle, or several lines wrapped at words with the last one cut at its end.
  void setElideMode(Qt::TextElideMode mode);
  void setMaxLines(int lines);
  int maxLines() const { return maxLines_; }
  // Keeps the height of all `maxLines` lines even when the text needs fewer.
  void setReserveLines(bool reserve);
  // Text alignment within the label (leading by default).
  void setAlignment(Qt::Alignment alignment);
  // `text` wrapped at words into at most `maxLines` lines of `width` pixels in `font`; the last line
  // is cut at its end when text remains. No lines for an empty text or no width.
  static QStringList wrapLines(const QString& text, const QFont& font, int width, int maxLines);
  // The text as drawn at the current width (lines joined with "\n").
  QString displayedText() const;
  // How far descenders reach below a font's line box (DejaVu Sans draws "_" a pixel below it at
  // 10 px): the label keeps that much room under its last line, so "LC_MESSAGES" keeps its "_".
  static int inkBelowLines(const QFont& font);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;
  bool hasHeightForWidth() const override { return maxLines_ > 1; }
  int heightForWidth(int width) const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  QStringList layoutLines(int width) const;
  QString text_;
  Qt::TextElideMode mode_ = Qt::ElideRight;
  Qt::Alignment alignment_ = Qt::AlignLeading | Qt::AlignVCenter;
  int maxLines_ = 1;
  bool reserve_ = false;
};

}  // namespace tolvex
