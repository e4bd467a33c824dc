#pragma once
// The list under a cleanup screen's header: painted rows on the page itself (no frame, no row
// selection of its own, a slim scroll bar inside the list), and the check box its rows draw. Rows
// are painted by the screen's delegate; the screen keeps its own selection.
#include <QListView>
#include <QRect>

class QFont;
class QPainter;
class QString;

namespace tolvex {

class CleanupList : public QListView {
  Q_OBJECT
 public:
  explicit CleanupList(QWidget* parent = nullptr);

  // Rows keep this much room at each side, so they line up with the page header's text.
  static constexpr int kInset = 20;

  // The square of a check box centred vertically in `row`, starting at `left`.
  static QRect checkBoxRect(const QRect& row, int left);
  static int checkBoxSide();
  // The room a one-line text needs to be drawn whole (a little more than its advance, so eliding
  // never cuts a text that fits).
  static int textWidth(const QFont& font, const QString& text);
  // A check box in the style of the application's check boxes, at `opacity`. A disabled one is drawn
  // faded as well: the style's own disabled box differs from an enabled one only in its tick.
  static void paintCheckBox(QPainter* painter, const QRect& box, bool checked, double opacity, const QWidget* widget,
                            bool enabled = true);
  static constexpr double kDisabledOpacity = 0.4;

 protected:
  void changeEvent(QEvent* event) override;
  // Where the keys act: a ring round the current row while the list has the keyboard, after a Tab or
  // a key moved it (a click leaves none), as the painted tables do.
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  bool movedByKeys_ = false;
};

}  // namespace tolvex
