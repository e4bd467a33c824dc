#pragma once
// A row of exclusive text segments on a faint rounded frame; the chosen one is raised. `activated`
// reports a choice made by the user; `setCurrentIndex` changes the choice without it.
#include <QAbstractButton>
#include <QStringList>
#include <QWidget>
#include <vector>

namespace tolvex {

class SegmentedPicker : public QWidget {
  Q_OBJECT
 public:
  explicit SegmentedPicker(const QStringList& titles, QWidget* parent = nullptr);

  int currentIndex() const;
  void setCurrentIndex(int index);
  QAbstractButton* segment(int index) const { return segments_.at(static_cast<size_t>(index)); }
  int count() const { return static_cast<int>(segments_.size()); }

 signals:
  void activated(int index);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<QAbstractButton*> segments_;
};

}  // namespace tolvex
