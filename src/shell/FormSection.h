#pragma once
// A group of settings rows on a rounded panel, rows parted by hairlines: a title on the leading side
// with its control on the trailing side, or a widget across the whole row. Captions explain the row
// above them and sit in that row, without a line between.
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

namespace tolvex {

class FormSection : public QWidget {
  Q_OBJECT
 public:
  explicit FormSection(QWidget* parent = nullptr);

  // A row of `title` and `control`; returns the row.
  QWidget* addRow(const QString& title, QWidget* control);
  // A row of one widget, across the whole width unless `alignment` places it.
  QWidget* addRow(QWidget* widget, Qt::Alignment alignment = {});
  // A caption (caption font, secondary) under the last row, inside it.
  QLabel* addCaption(const QString& text);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QWidget* startRow();
  QVBoxLayout* rows_;
  QWidget* lastRow_ = nullptr;
  QVBoxLayout* lastBody_ = nullptr;
};

// A page of sections: a scroll-free column with the form's margins and spacing.
QVBoxLayout* formPage(QWidget* page);

}  // namespace tolvex
