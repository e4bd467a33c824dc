#pragma once
// What every painted table of the screens does alike: whole rows selected and never edited, no grid
// or frame, smooth scrolling, rows of one fixed height, header labels in the cells' font, the
// selection tint of the theme, and columns fitted to the width at every resize. A table adds its
// model, its delegate, its columns and what its keys and clicks do.
#include <QTableView>
#include <optional>
#include <vector>

namespace tolvex {

class PaintedTable : public QTableView {
  Q_OBJECT
 public:
  // Where the tables differ in what the user sees and does.
  struct Options {
    int rowHeight = 0;
    bool multipleSelection = true;  // extended selection; otherwise one row at a time
    bool sortableHeader = true;     // the header takes clicks and shows the sort arrow
    // Right-clicks ask for a menu (see `contextMenuAt`) and leave the selection as it is.
    bool contextMenu = true;
    // A ring round the current row while the table has the keyboard.
    bool focusRing = false;
    // How far in from a section's edges its label starts and ends, so labels line up with the
    // cells' text; without them the labels sit where the style puts them.
    std::optional<int> labelLeading = std::nullopt;
    std::optional<int> labelTrailing = std::nullopt;
  };

 protected:
  PaintedTable(const Options& options, QWidget* parent);
  // The selection tint follows the application palette.
  void changeEvent(QEvent* event) override;

  // The columns are fitted to the width at every resize, and when `fitColumns` is called (the rows
  // changed what the columns need).
  struct ColumnWidths {
    std::vector<int> minimum;
    std::vector<int> ideal;
    size_t stretch = 0;  // the column that gives up room first and takes what is left over
  };
  virtual ColumnWidths columnWidths() const = 0;
  void setColumnWidths(const std::vector<int>& widths);
  void fitColumns();
  void resizeEvent(QResizeEvent* event) override;

  // Return or Enter without modifiers; true when the table acted on it (the key goes no further).
  virtual bool openSelection() { return false; }
  void keyPressEvent(QKeyEvent* event) override;
  // Home and End go to the first and the last row (a table's own go to the ends of the current row,
  // which, with whole rows selected, is where the row already is).
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
  // A double-click on a row.
  virtual void rowDoubleClicked(int /*row*/) {}
  // A menu asked for on `row` (-1 below the rows), to be shown at `globalPos`.
  virtual void contextMenuAt(int /*row*/, const QPoint& /*globalPos*/) {}
  void mousePressEvent(QMouseEvent* event) override;

  // The ring round the current row, where the options ask for it.
  void paintEvent(QPaintEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  Options options_;
  bool movedByKeys_ = false;  // the current row was last moved from the keyboard

  void setUpHeader();
};

}  // namespace tolvex
