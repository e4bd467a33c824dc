#pragma once
// By Type: one tile per file kind with its space and file count in the last scan, and the recorded
// files of the chosen kind in the file table, under a filter bar of the screen's own (forgotten when
// the user leaves), with a note on the small files the table cannot show.
#include <QAbstractButton>
#include <vector>

#include "app/components/SpringAnimation.h"
#include "views/analysis/FileListScreen.h"

class QLabel;

namespace tolvex {

class HorizontalStrip;

// A kind's tile: symbol, title, size and file count, tinted in the kind's colour while chosen.
class KindTile : public QAbstractButton {
  Q_OBJECT
 public:
  explicit KindTile(FileKind kind, QWidget* parent = nullptr);
  FileKind kind() const { return kind_; }
  int64_t size() const { return size_; }
  int64_t count() const { return count_; }
  bool selected() const { return selected_; }
  // How selected the tile looks now: follows `selected` with a spring (at once without animations).
  double emphasis() const { return emphasis_; }
  void setValues(int64_t size, int64_t count, bool selected);

  // The texts under the title.
  QString sizeText() const;
  QString countText() const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  FileKind kind_;
  int64_t size_ = 0;
  int64_t count_ = 0;
  bool selected_ = false;
  // How selected the tile looks, 0 to 1 (a little past while the spring overshoots).
  double emphasis_ = 0;
  bool valuesSet_ = false;
  SpringAnimation* selection_;
};

class TypesView : public FileListScreen {
  Q_OBJECT
 public:
  explicit TypesView(AppState& state, QWidget* parent = nullptr);

  FileKind kind() const { return kind_; }
  void setKind(FileKind kind);
  const FileFilter& filter() const { return filter_; }
  // The tiles in the order shown.
  std::vector<KindTile*> tiles() const;
  QLabel* smallFilesNote() const { return note_; }

 protected:
  FileFilter currentFilter() const override { return filter_; }
  void storeFilter(const FileFilter& filter) override;
  std::optional<FileKind> kindLimit() const override { return kind_; }
  QString exportName() const override;
  void scanShown(const ScanResult& scan) override;
  void listShown() override;

 private:
  FileKind kind_ = FileKind::video;
  FileFilter filter_;
  HorizontalStrip* strip_;
  std::vector<KindTile*> tiles_;  // in declared order
  QLabel* note_;
};

}  // namespace tolvex
