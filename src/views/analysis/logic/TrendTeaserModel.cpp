#include "views/analysis/logic/TrendTeaserModel.h"

#include <QCoreApplication>
#include <cstdint>

#include "model/DisplayPath.h"
#include "model/Formatting.h"

namespace tolvex {

std::string TrendTeaserModel::rootKey(const std::string& rootPath) { return foldedPath(rootPath); }

std::optional<TrendTeaserModel> TrendTeaserModel::make(const std::vector<ScanSnapshot>& snapshots, double now) {
  if (snapshots.size() < 2) return std::nullopt;
  TrendTeaserModel model;
  // Totals come from a file on disk: a difference beyond 64 bits saturates.
  if (__builtin_sub_overflow(snapshots[0].total, snapshots[1].total, &model.delta))
    model.delta = snapshots[0].total < snapshots[1].total ? INT64_MIN : INT64_MAX;
  model.text = QCoreApplication::translate("TrendTeaser", "Since the scan %1: %2")
                   .arg(QString::fromStdString(relativeDateText(snapshots[1].date, now)),
                        QString::fromStdString(signedSizeText(model.delta)));
  return model;
}

}  // namespace tolvex
