#pragma once
// The two-row bar above the file table of the Large & Old and By Type screens. It edits a copy of
// its host's filter: a name or path search, a minimum size, a minimum age, optionally a category
// and a set of kinds, and the folder prefix another screen may have set. Every edit is announced at
// once with the whole new filter; the host decides where it is kept and sends it back with
// setFilter. The bar filters nothing itself: the host passes in how many files pass and their size.
#include <QAbstractButton>
#include <QMetaType>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "model/FileFilter.h"
#include "views/analysis/logic/FileLists.h"

class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace tolvex {

class ElidedLabel;

// One kind chip: the kind's symbol and title on a capsule, tinted while the kind is chosen.
class KindChip : public QAbstractButton {
  Q_OBJECT
 public:
  KindChip(FileKind kind, QWidget* parent = nullptr);
  FileKind kind() const { return kind_; }
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  FileKind kind_;
};

class FilterBar : public QWidget {
  Q_OBJECT
 public:
  struct Config {
    bool showKinds = false;
    bool showBucket = false;
    bool canExport = false;  // offers the "CSV" button
    std::string home;        // shown as "~" in the folder chip
    std::vector<SizeOption> sizes = sizeOptions();
    std::vector<AgeOption> ages = ageOptions();
  };
  explicit FilterBar(Config config, QWidget* parent = nullptr);

  const FileFilter& filter() const { return filter_; }
  // Shows `filter` in the controls; announces nothing.
  void setFilter(const FileFilter& filter);
  // The result line: files that pass and their total size.
  void setResult(int64_t count, int64_t bytes);
  // The export button is disabled while an export is being written.
  void setExportEnabled(bool enabled);

  QLineEdit* searchField() const { return search_; }
  QLabel* resultLabel() const { return result_; }

 signals:
  void filterEdited(const FileFilter& filter);
  void exportRequested();

 private:
  QWidget* makeSearchField();
  QComboBox* makePicker(const char* name);
  QWidget* makeFolderChip();
  void edit(const std::function<void(FileFilter&)>& change);
  void showFilter();

  Config config_;
  FileFilter filter_;
  QLineEdit* search_ = nullptr;
  QToolButton* clear_ = nullptr;
  QComboBox* size_ = nullptr;
  QComboBox* age_ = nullptr;
  QComboBox* bucket_ = nullptr;
  std::vector<KindChip*> chips_;
  QWidget* folderChip_ = nullptr;
  ElidedLabel* folderText_ = nullptr;
  QLabel* result_ = nullptr;
  QPushButton* export_ = nullptr;
};

}  // namespace tolvex

Q_DECLARE_METATYPE(tolvex::FileFilter)
