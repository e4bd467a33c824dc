#pragma once
// The texts of the Quick Clean stages that carry a value. Sizes go through the shared byte
// formatter, a negative count shown as 0.
#include <QString>
#include <cstdint>
#include <optional>

#include "engines/Deleter.h"
#include "model/VolumeInfo.h"

namespace tolvex {

// The start stage's sentence: "You have <available> free of <total>. …"; none without a volume.
std::optional<QString> idleVolumeSentence(const std::optional<VolumeInfo>& volume);
// The used space the disk ring shows: total − available.
int64_t idleUsedSpace(const VolumeInfo& volume);

// The Clean button of the review: "Clean <size>".
QString cleanButtonText(int64_t selectedSize);

// The lines of the result stage. Without a report only the free-space line (when the volume is
// known) is shown.
struct DoneTexts {
  std::optional<QString> cleaned;    // "<freed + moved to Trash> cleaned"
  std::optional<QString> inTrash;    // "<moved to Trash> is in the Trash until you empty it." when ≥ 1 byte
  std::optional<QString> untouched;  // "<failures> item(s) were in use or protected …" when any failed
  std::optional<QString> freeSpace;  // "You now have <available> free."

  bool operator==(const DoneTexts&) const = default;
};
DoneTexts doneTexts(const std::optional<DeletionReport>& report, const std::optional<VolumeInfo>& volume);

}  // namespace tolvex
