#pragma once
// The head of a screen: a bold 26-pixel title over a secondary subtitle, and on the right the
// screen's own controls (aligned with the title's line).
#include <QWidget>

class QLabel;
class QHBoxLayout;

namespace tolvex {

class PageHeader : public QWidget {
  Q_OBJECT
 public:
  PageHeader(const QString& title, const QString& subtitle, QWidget* parent = nullptr);

  QString title() const;
  QString subtitle() const;
  void setTitle(const QString& title);
  void setSubtitle(const QString& subtitle);
  QLabel* titleLabel() const { return title_; }
  QLabel* subtitleLabel() const { return subtitle_; }

  // The trailing content: a row placed at the right end, centred on the title's line.
  QHBoxLayout* trailing() const { return trailing_; }
  void addTrailing(QWidget* widget);

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void alignTrailing();
  QLabel* title_;
  QLabel* subtitle_;
  QWidget* trailingBox_;
  QHBoxLayout* trailing_;
};

}  // namespace tolvex
