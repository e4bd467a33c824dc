#pragma once
// A white symbol centred on the brand gradient in a rounded square (banner and sheet icons) or, with a
// radius of half the side, in a circle holding a short text (step numbers).
#include <QWidget>

namespace tolvex {

class GradientTile : public QWidget {
  Q_OBJECT
 public:
  // A symbol tile; `text` set instead draws that text in bold white (the symbol is then ignored).
  GradientTile(const QString& symbol, int symbolPx, int side, qreal radius, QWidget* parent = nullptr);
  static GradientTile* badge(const QString& text, int side, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  qreal radius_;
  QString text_;
};

}  // namespace tolvex
