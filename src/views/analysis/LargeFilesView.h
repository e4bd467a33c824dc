#pragma once
// Large & Old: every file the last scan recorded on its own, in one sortable table, narrowed by the
// filter kept in AppState (`largeFilter`), so the choices stay when the user leaves and comes back
// and other screens can prepare them before switching here.
#include "views/analysis/FileListScreen.h"

namespace tolvex {

class LargeFilesView : public FileListScreen {
  Q_OBJECT
 public:
  explicit LargeFilesView(AppState& state, QWidget* parent = nullptr);

 protected:
  FileFilter currentFilter() const override;
  void storeFilter(const FileFilter& filter) override;
  QString exportName() const override;
};

}  // namespace tolvex
