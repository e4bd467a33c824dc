#include "views/cleanup/logic/CloudSelection.h"

#include <QCoreApplication>

#include "app/UiText.h"

namespace tolvex {

namespace {
QString tr(const char* text) { return QCoreApplication::translate("CloudView", text); }
}  // namespace

CloudBody cloudBody(const std::optional<CloudReport>& report) {
  if (!report) return CloudBody::reading;
  return report->isAvailable ? CloudBody::summary : CloudBody::notInUse;
}

CloudTotals cloudTotals(const CloudReport& report) {
  CloudTotals totals;
  for (const CloudFolder& folder : report.folders) {
    totals.onThisMac += folder.localSize;
    totals.onlyInICloud += folder.cloudOnlySize;
  }
  totals.canBeFreed = totalEvictableSize(report.folders);
  return totals;
}

std::optional<int64_t> cloudDownloadedTotal(const std::optional<CloudReport>& report) {
  if (!report) return std::nullopt;
  return cloudTotals(*report).onThisMac;
}

std::vector<CloudItem> cloudSelectedFiles(const std::optional<CloudReport>& report, const StringSet& selected) {
  std::vector<CloudItem> files;
  if (!report || selected.empty()) return files;
  for (const CloudFolder& folder : report->folders)
    for (const CloudItem& item : folder.items)
      if (selected.contains(item.path)) files.push_back(item);
  return files;
}

int64_t cloudSelectedSize(const std::vector<CloudItem>& files) {
  int64_t sum = 0;
  for (const CloudItem& item : files) sum += item.size;
  return sum;
}

StringSet prunedCloudSelection(const std::optional<CloudReport>& report, const StringSet& selected) {
  StringSet kept;
  for (const CloudItem& item : cloudSelectedFiles(report, selected)) kept.insert(item.path);
  return kept;
}

std::vector<size_t> cloudShownFolders(const CloudReport& report) {
  std::vector<size_t> shown;
  for (size_t i = 0; i < report.folders.size(); ++i)
    if (!report.folders[i].items.empty()) shown.push_back(i);
  return shown;
}

StringSet cloudUploadedPaths(const CloudFolder& folder) {
  StringSet paths;
  for (const CloudItem& item : folder.items)
    if (item.isUploaded) paths.insert(item.path);
  return paths;
}

CloudFolderCheck cloudFolderCheck(const CloudFolder& folder, const StringSet& selected) {
  const StringSet uploaded = cloudUploadedPaths(folder);
  CloudFolderCheck check;
  check.enabled = !uploaded.empty();
  check.on = !uploaded.empty() && stringSetIsSuperset(selected, uploaded);
  check.faded = !check.on && !stringSetIsDisjoint(selected, uploaded);
  return check;
}

StringSet cloudFolderToggled(const CloudFolder& folder, StringSet selected, bool on) {
  for (const std::string& path : cloudUploadedPaths(folder)) {
    if (on)
      selected.insert(path);
    else
      selected.erase(path);
  }
  return selected;
}

QString cloudFolderCaption(const CloudFolder& folder) {
  const QString count = countText(static_cast<int64_t>(folder.items.size()));
  if (folder.cloudOnlySize < 1) return tr("%1 downloaded files").arg(count);
  return tr("%1 downloaded files · %2 more only in iCloud").arg(count, bytesText(folder.cloudOnlySize));
}

QString cloudMoreText(int64_t count) { return tr("… and %1 more").arg(countText(count)); }

std::vector<CloudRow> cloudRows(const CloudReport& report, const StringSet& expanded) {
  std::vector<CloudRow> rows;
  for (size_t f : cloudShownFolders(report)) {
    const CloudFolder& folder = report.folders[f];
    rows.push_back({CloudRow::Kind::folder, f, 0, 0});
    if (!expanded.contains(folder.path)) continue;
    const size_t shown = std::min(folder.items.size(), kCloudShownItems);
    for (size_t i = 0; i < shown; ++i) rows.push_back({CloudRow::Kind::item, f, i, 0});
    if (folder.items.size() > kCloudShownItems)
      rows.push_back({CloudRow::Kind::more, f, 0, static_cast<int64_t>(folder.items.size() - kCloudShownItems)});
  }
  return rows;
}

}  // namespace tolvex
