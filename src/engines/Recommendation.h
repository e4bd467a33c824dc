#pragma once
// The short list of concrete suggestions of the Overview, each with a size and a one-click action.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engines/DevItem.h"
#include "engines/JunkFinder.h"
#include "model/ScanResult.h"

namespace tolvex {

// The theme colour of a card; the interface resolves it (`warning` follows the appearance).
enum class RecommendationTint { green, tan, orange, purple, warning, cyan, accent };

struct Recommendation {
  std::string id;  // "junk", "trash", "installers", "backups", "oldbig", "dev" or "downloads"
  std::string symbol;
  RecommendationTint tint = RecommendationTint::green;
  std::string title;
  std::string detail;
  int64_t size = 0;
  std::function<void()> action;  // what a tap on the card does
};

// What the builder reads. `scan` may be null.
struct RecommendationInputs {
  const std::vector<JunkFinding>& junk;
  const ScanResult* scan = nullptr;
  const std::vector<DevItem>& developerItems;
  std::string home;  // no trailing "/"
  double now = 0;    // seconds since 1970
};

// What the cards do. The builder binds each row's snapshot (a finding, the home folder, the
// Downloads node with its tree) into the row's action; an empty callback makes the action do nothing.
struct RecommendationActions {
  std::function<void()> startQuickClean;
  std::function<void(const JunkFinding& trash)> emptyTrash;
  std::function<void(const JunkFinding& installers)> deleteInstallers;
  std::function<void()> openJunk;
  std::function<void(const std::string& home)> showLargeFiles;
  std::function<void()> openDeveloper;
  std::function<void(FileNode* folder)> revealInExplorer;
};

// Thresholds of the rows, in bytes (a row needs strictly more, except "oldbig", whose files need at least).
inline constexpr int64_t kSafeJunkThreshold = 50'000'000;
inline constexpr int64_t kTrashThreshold = 50'000'000;
inline constexpr int64_t kBackupsThreshold = 1'000'000'000;
inline constexpr int64_t kOldLargeFileMinimum = 500'000'000;
inline constexpr double kOldLargeFileAge = 15'552'000;  // 180 days, in seconds
inline constexpr int64_t kDeveloperThreshold = 1'000'000'000;
inline constexpr int64_t kDownloadsThreshold = 2'000'000'000;

// At most seven rows, largest size first; rows of equal size keep the order junk, trash, installers,
// backups, oldbig, dev, downloads. Reads only its inputs.
std::vector<Recommendation> buildRecommendations(const RecommendationInputs& inputs,
                                                 const RecommendationActions& actions);

}  // namespace tolvex
