#pragma once
// What the History screen derives from the deletion history and the last run's failures: the word
// for how an entry was removed, whether it can be put back, and which failures are listed.
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "engines/Deleter.h"
#include "engines/DeletionHistory.h"

namespace tolvex {

enum class HistoryMethod { restored, trash, deleted };

HistoryMethod historyMethod(const HistoryEntry& entry);
// "Restored", "Trash" or "Deleted".
QString historyMethodText(HistoryMethod method);

// How the restorable test sees the file system; tests replace it.
struct HistoryProbe {
  // Something (a file, a folder, a link, even a dangling one) is at the path.
  std::function<bool(const std::string&)> occupied;
  // The item in the Trash is the one this entry moved there (its Trash record names the entry's
  // original path and a deletion date within 2 seconds of the entry's date).
  std::function<bool(const HistoryEntry&)> sameItem;
  // The file system as it is.
  static HistoryProbe live();
};

// The entry's Restore button shows: not restored yet, a Trash location is recorded, the item is still
// there and is the very item deleted, and nothing has taken its original place. A link counts as
// occupying a name even when it leads nowhere, because the restore would refuse to replace it.
bool isRestorable(const HistoryEntry& entry, const HistoryProbe& probe = HistoryProbe::live());

// The failures the card lists: the first 8, no count of the rest.
inline constexpr size_t kShownFailures = 8;
std::vector<DeletionFailure> shownFailures(const std::vector<DeletionFailure>& failures);

// The last component of a path, its "name" line ("/" stays "/").
QString historyItemName(const std::string& path);

}  // namespace tolvex
