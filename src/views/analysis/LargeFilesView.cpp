#include "views/analysis/LargeFilesView.h"

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "views/analysis/logic/CsvExport.h"

namespace tolvex {

namespace {
FilterBar::Config barConfig() {
  FilterBar::Config config;
  config.showKinds = true;
  config.showBucket = true;
  config.canExport = true;
  return config;
}
}  // namespace

LargeFilesView::LargeFilesView(AppState& state, QWidget* parent)
    : FileListScreen(state, AppSection::large, tr("Large & Old"),
                     tr("Every scanned file. Sort by any column and combine filters."), barConfig(), parent) {
  setObjectName(QLatin1String(names::largeFilesView));
}

FileFilter LargeFilesView::currentFilter() const { return state().largeFilter(); }

void LargeFilesView::storeFilter(const FileFilter& filter) { state().setLargeFilter(filter); }

QString LargeFilesView::exportName() const { return largeFilesExportName(); }

}  // namespace tolvex
