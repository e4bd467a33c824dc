#include "views/analysis/FileListScreen.h"

#include <QMessageBox>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <cstring>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/components/PageHeader.h"
#include "app/screen/PendingScreen.h"
#include "app/screen/ScanPromptHost.h"
#include "app/services/UiServices.h"
#include "platform/AtomicFile.h"
#include "views/analysis/FilesTable.h"
#include "views/analysis/LatestWork.h"
#include "views/analysis/logic/CsvExport.h"

namespace tolvex {

FileListScreen::FileListScreen(AppState& state, AppSection section, const QString& title, const QString& subtitle,
                               FilterBar::Config barConfig, QWidget* parent)
    : Screen(state, parent), section_(section), listWork_(new LatestWork(this)), exportWork_(new LatestWork(this)) {
  QVBoxLayout* pageLayout = ambientPage();
  QWidget* page = pageLayout->parentWidget();
  faces_ = new QStackedWidget(page);
  pageLayout->addWidget(faces_);

  content_ = new QWidget(faces_);
  content_->setObjectName(QLatin1String(names::fileListContent));
  faces_->addWidget(content_);
  column_ = new QVBoxLayout(content_);
  column_->setContentsMargins(0, 0, 0, 0);
  column_->setSpacing(14);
  header_ = new PageHeader(title, subtitle, content_);
  header_->setContentsMargins(24, 24, 24, 0);
  column_->addWidget(header_);
  barConfig.home = state.environment().places.home;
  bar_ = new FilterBar(std::move(barConfig), content_);
  bar_->setContentsMargins(24, 0, 24, 0);
  column_->addWidget(bar_);
  table_ = new FilesTable(state, true, content_);
  column_->addWidget(table_, 1);

  connect(bar_, &FilterBar::filterEdited, this, [this](const FileFilter& filter) { storeFilter(filter); });
  connect(bar_, &FilterBar::exportRequested, this, &FileListScreen::exportList);
  // A new scan replaces the tree: the rows let go of the old nodes at once, before anything can
  // paint them, even while the new list is still being made.
  connect(&state, &AppState::scanChanged, this, [this] {
    const auto& scan = this->state().scan();
    if (shownTree_ && (!scan || scan->tree.get() != shownTree_)) clearList();
    scheduleRefresh();
  });
}

int FileListScreen::barIndex() const { return column_->indexOf(bar_); }
int FileListScreen::tableIndex() const { return column_->indexOf(table_); }

bool FileListScreen::isWorking() const { return listWork_->busy() || exportWork_->busy() || table_->isBusy(); }

void FileListScreen::showPrompt() {
  if (prompt_ && faces_->currentWidget() == prompt_) return;
  if (prompt_) prompt_->deleteLater();
  prompt_ =
      makeScanPrompt(state(), PendingScreen::promptTitle(section_), PendingScreen::promptMessage(section_), faces_);
  prompt_->setObjectName(QLatin1String(names::fileListPrompt));
  faces_->addWidget(prompt_);
  faces_->setCurrentWidget(prompt_);
}

void FileListScreen::showContent() {
  if (faces_->currentWidget() == content_) return;
  faces_->setCurrentWidget(content_);
  if (prompt_) {
    faces_->removeWidget(prompt_);
    prompt_->deleteLater();
  }
}

void FileListScreen::refresh() {
  const auto& scan = state().scan();
  if (!scan) {
    clearList();
    showPrompt();
    return;
  }
  showContent();
  bar_->setFilter(currentFilter());
  scanShown(*scan);
  requestList(*scan);
}

void FileListScreen::requestList(const ScanResult& scan) {
  const FileFilter filter = currentFilter();
  const std::optional<FileKind> kind = kindLimit();
  const double now = state().environment().clock();
  const ListInputs inputs{scan.tree.get(), state().revision(), filter, kind, filter.modifiedOlderThanDays ? now : 0};
  if (listInputs_ == inputs) return;
  listInputs_ = inputs;
  if (scan.files.size() <= backgroundFiles_) {
    listWork_->drop();
    showList(filteredFiles(scan.files, filter, now, kind));
    return;
  }
  // The job keeps the tree alive while it reads the nodes.
  struct Built {
    FileList list;
    std::shared_ptr<FileTree> tree;
  };
  listWork_->request<Built>(
      [files = sharedFiles(scan), tree = scan.tree, filter, now, kind] {
        return Built{filteredFiles(*files, filter, now, kind), tree};
      },
      [this](Built& built) {
        const auto& current = state().scan();
        if (current && current->tree == built.tree) showList(std::move(built.list));
      });
}

std::shared_ptr<const std::vector<FileNode*>> FileListScreen::sharedFiles(const ScanResult& scan) {
  // The store's own list may change with the tree, so the jobs read a copy of it; one copy serves
  // every filter edit until the tree changes.
  if (!files_ || filesTree_ != scan.tree.get() || filesRevision_ != state().revision()) {
    files_ = std::make_shared<const std::vector<FileNode*>>(scan.files);
    filesTree_ = scan.tree.get();
    filesRevision_ = state().revision();
  }
  return files_;
}

void FileListScreen::showList(FileList list) {
  list_ = std::make_shared<const FileList>(std::move(list));
  shownTree_ = state().scan() ? state().scan()->tree.get() : nullptr;
  bar_->setResult(static_cast<int64_t>(list_->nodes.size()), list_->totalSize);
  table_->setSharedNodes(std::shared_ptr<const std::vector<FileNode*>>(list_, &list_->nodes));
  listShown();
}

void FileListScreen::clearList() {
  listWork_->drop();
  listInputs_.reset();
  list_ = std::make_shared<const FileList>();
  shownTree_ = nullptr;
  files_.reset();
  filesTree_ = nullptr;
  table_->setNodes({});
}

void FileListScreen::exportList() {
  // The rows are the whole list as filtered, in scan order, whatever the table's order.
  std::shared_ptr<const FileList> list = list_;
  std::shared_ptr<FileTree> tree = state().scan() ? state().scan()->tree : nullptr;
  QPointer<FileListScreen> self(this);
  UiServices::shared().chooseSaveFile(window(), exportName() + QStringLiteral(".csv"),
                                      [self, list, tree](std::optional<std::string> path) {
                                        if (self && path) self->writeExport(*path, list, tree);
                                      });
}

void FileListScreen::writeExport(const std::string& path, std::shared_ptr<const FileList> list,
                                 std::shared_ptr<FileTree> tree) {
  // A long list takes a few seconds to write: the button waits and the pointer says so.
  bar_->setExportEnabled(false);
  setCursor(Qt::BusyCursor);
  exportWork_->request<int>([path, list, tree] { return writeFileAtomically(path, csvText(list->nodes)); },
                            [this, path](int error) {
                              bar_->setExportEnabled(true);
                              unsetCursor();
                              if (error == 0) return;
                              // The file the user asked for does not exist: say so rather than leave them believing it
                              // does.
                              auto* box = new QMessageBox(
                                  QMessageBox::Warning, tr("Export Failed"),
                                  tr("The list could not be saved to “%1”: %2")
                                      .arg(QString::fromUtf8(path), QString::fromLocal8Bit(std::strerror(error))),
                                  QMessageBox::Ok, window());
                              box->setObjectName(QLatin1String(names::exportFailedMessage));
                              box->setAttribute(Qt::WA_DeleteOnClose);
                              box->open();
                            });
}

}  // namespace tolvex
