#pragma once
// What the Large & Old and By Type screens share: the scan prompt while there is no scan, and
// otherwise a page header, the filter bar, the file table and the CSV export of the filtered list.
// The list is rebuilt from the scan at every refresh; a scan with many files is filtered off the UI
// thread, and only the newest list is shown.
#include <QPointer>
#include <memory>
#include <optional>

#include "app/AppSection.h"
#include "app/screen/Screen.h"
#include "views/analysis/FilterBar.h"
#include "views/analysis/logic/FileLists.h"

class QStackedWidget;
class QVBoxLayout;

namespace tolvex {

class FilesTable;
class LatestWork;
class PageHeader;

class FileListScreen : public Screen {
  Q_OBJECT
 public:
  // Scans with more files than this are filtered off the UI thread.
  static constexpr size_t kBackgroundFiles = 20000;
  void setBackgroundFiles(size_t files) { backgroundFiles_ = files; }
  // A list or an export is being made in the background.
  bool isWorking() const;

  FilterBar* filterBar() const { return bar_; }
  FilesTable* filesTable() const { return table_; }
  // The list on screen, in scan order.
  const FileList& list() const { return *list_; }
  // Asks for a file name and writes the list there as CSV.
  void exportList();

 protected:
  FileListScreen(AppState& state, AppSection section, const QString& title, const QString& subtitle,
                 FilterBar::Config bar, QWidget* parent);

  // The filter the bar shows and the list applies, and where the bar's edits go.
  virtual FileFilter currentFilter() const = 0;
  virtual void storeFilter(const FileFilter& filter) = 0;
  // The one kind the list is limited to, if any.
  virtual std::optional<FileKind> kindLimit() const { return std::nullopt; }
  virtual QString exportName() const = 0;
  // Called with the scan before the list is asked for, and after a new list is shown.
  virtual void scanShown(const ScanResult&) {}
  virtual void listShown() {}

  // The content column: header, then what a subclass inserts, the bar, the table.
  QVBoxLayout* column() const { return column_; }
  // Where widgets between the header and the bar, and between the bar and the table, go.
  int barIndex() const;
  int tableIndex() const;

  void refresh() override;

 private:
  void showPrompt();
  void showContent();
  void requestList(const ScanResult& scan);
  void showList(FileList list);
  void clearList();
  void writeExport(const std::string& path, std::shared_ptr<const FileList> list, std::shared_ptr<FileTree> tree);
  std::shared_ptr<const std::vector<FileNode*>> sharedFiles(const ScanResult& scan);

  AppSection section_;
  QStackedWidget* faces_;
  QPointer<QWidget> prompt_;
  QWidget* content_;
  QVBoxLayout* column_;
  PageHeader* header_;
  FilterBar* bar_;
  FilesTable* table_;
  LatestWork* listWork_;
  LatestWork* exportWork_;
  size_t backgroundFiles_ = kBackgroundFiles;
  // Shared with the table and with an export running off the UI thread.
  std::shared_ptr<const FileList> list_ = std::make_shared<const FileList>();
  const FileTree* shownTree_ = nullptr;
  // What the list on screen (or on its way) was made from: the store publishes many changes that
  // leave it as it is (scan progress, toasts), and those need no new pass over a million files.
  struct ListInputs {
    const FileTree* tree = nullptr;
    int64_t revision = 0;
    FileFilter filter;
    std::optional<FileKind> kind;
    double now = 0;  // only while the filter has an age condition
    bool operator==(const ListInputs&) const = default;
  };
  std::optional<ListInputs> listInputs_;
  // The scan's files for the jobs that filter them, copied once per tree and revision.
  std::shared_ptr<const std::vector<FileNode*>> files_;
  const FileTree* filesTree_ = nullptr;
  int64_t filesRevision_ = -1;
};

}  // namespace tolvex
