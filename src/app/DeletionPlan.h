#pragma once
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engines/DeletionHistory.h"
#include "engines/JunkRule.h"
#include "model/Risk.h"

namespace tolvex {

// One item proposed for deletion. Items are identified by their path.
struct PlanItem {
  std::string path;  // bytes, absolute
  std::string name;
  int64_t size = 0;
  Removal removal = Removal::trash;
  SafetyVerdict verdict;
  bool operator==(const PlanItem& other) const { return path == other.path; }
};

// A deletion awaiting the user's confirmation.
struct DeletionPlan {
  std::string id;  // new UUID for each plan
  QString title;
  std::vector<PlanItem> items;
};

// A transient message under the main window; its Undo restores `undoable`.
struct Toast {
  std::string id;  // new UUID for each toast
  QString message;
  std::optional<QString> detail;
  std::vector<HistoryEntry> undoable;
  // A caution (nothing was done, a request was refused) rather than a result: it is not marked as a success.
  bool warning = false;
  bool operator==(const Toast&) const = default;
};

}  // namespace tolvex
