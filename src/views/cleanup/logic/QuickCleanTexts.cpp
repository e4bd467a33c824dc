#include "views/cleanup/logic/QuickCleanTexts.h"

#include <QCoreApplication>
#include <limits>

#include "app/UiText.h"
#include "views/cleanup/logic/ReviewGroups.h"

namespace tolvex {
namespace {
QString tr(const char* text) { return QCoreApplication::translate("QuickClean", text); }
}  // namespace

std::optional<QString> idleVolumeSentence(const std::optional<VolumeInfo>& volume) {
  if (!volume) return std::nullopt;
  return tr("You have %1 free of %2. Tolvex only looks for files that macOS and your apps can recreate.")
      .arg(bytesText(volume->available), bytesText(volume->total));
}

int64_t idleUsedSpace(const VolumeInfo& volume) {
  int64_t used = 0;
  if (!__builtin_sub_overflow(volume.total, volume.available, &used)) return used;
  return volume.available > 0 ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max();
}

QString cleanButtonText(int64_t selectedSize) { return tr("Clean %1").arg(bytesText(selectedSize)); }

DoneTexts doneTexts(const std::optional<DeletionReport>& report, const std::optional<VolumeInfo>& volume) {
  DoneTexts texts;
  if (report) {
    texts.cleaned = tr("%1 cleaned").arg(bytesText(saturatingAdd(report->freed, report->movedToTrash)));
    if (report->movedToTrash >= 1)
      texts.inTrash = tr("%1 is in the Trash until you empty it.").arg(bytesText(report->movedToTrash));
    if (!report->failures.empty())
      texts.untouched = tr("%1 item(s) were in use or protected and were left untouched.")
                            .arg(countText(static_cast<int64_t>(report->failures.size())));
  }
  if (volume) texts.freeSpace = tr("You now have %1 free.").arg(bytesText(volume->available));
  return texts;
}

}  // namespace tolvex
