#pragma once
// The bar under a multi-selection list: how many items and bytes are selected, "Deselect", an
// optional second action and the main action. It holds no state of its own: the host sets the
// numbers and titles and receives the button presses. While the count is below 1 it is hidden and
// takes no space.
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

class QLabel;
class QPushButton;

namespace tolvex {

class FileNode;

class PrimaryButton;

class SelectionBar : public QWidget {
  Q_OBJECT
 public:
  explicit SelectionBar(QWidget* parent = nullptr);

  struct Values {
    int count = 0;
    qint64 size = 0;
    QString actionTitle;                    // shown as given
    std::optional<QString> secondaryTitle;  // none: no second button
    QString secondaryHelp;
    bool secondaryEnabled = true;
  };
  void setValues(const Values& values);
  // The values for deleting `nodes`: their count, their summed size and "Delete…".
  static Values deletionValues(const std::vector<FileNode*>& nodes);
  const Values& values() const { return values_; }

 signals:
  void clearRequested();
  void actionRequested();
  void secondaryRequested();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void styleDeselect();
  Values values_;
  QLabel* count_;
  QLabel* size_;
  QPushButton* deselect_;
  QPushButton* secondary_;
  PrimaryButton* action_;
};

}  // namespace tolvex
