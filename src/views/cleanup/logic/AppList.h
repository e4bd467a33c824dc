#pragma once
// What the Applications screen derives from the store's list of applications, without widgets: the
// filters, the table's order, the header's figures and the cell texts.
#include <QString>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "system/InstalledApp.h"

namespace tolvex {

// "Unused for 3 months": not used within the last 90 days.
inline constexpr double kUnusedSeconds = 7'776'000;

struct AppFilters {
  bool hideApple = true;
  bool unusedOnly = false;
  QString query;  // as typed: not trimmed
};

// Whether `app` is listed. `cutDate` is now minus 90 days; an application never seen in use counts as
// unused. The query is looked for, without regard to case, in the name and then in the identifier.
bool appMatchesFilters(const InstalledApp& app, const AppFilters& filters, double cutDate);

enum class AppKey { name, totalSize, appSize, dataSize, lastUsed };

struct AppComparator {
  AppKey key = AppKey::totalSize;
  bool ascending = false;
  bool operator==(const AppComparator&) const = default;
};
using AppSortOrder = std::vector<AppComparator>;

// The most bytes in all first.
AppSortOrder defaultAppSortOrder();
// After a click on the header of `key`: when `key` already decides, its direction turns round;
// otherwise it moves to the front in its own ascending order and the others stay as tie-breakers.
AppSortOrder clickedAppHeader(const AppSortOrder& order, AppKey key);
// Stable: applications equal under every comparator keep the store's order. Names compare by their
// bytes, not by the locale.
void sortApps(std::vector<InstalledApp>& apps, const AppSortOrder& order);

// The listed applications: those of `apps` that pass the filters at `now`, in `order`.
std::vector<InstalledApp> visibleApps(const std::vector<InstalledApp>& apps, const AppFilters& filters, double now,
                                      const AppSortOrder& order);

// The largest total among `apps`, at least 1, the scale of the "Total" bars.
int64_t largestTotal(const std::vector<InstalledApp>& apps);
// The total of every application, stopping at the 64-bit range's end.
int64_t summedTotal(const std::vector<InstalledApp>& apps);

// "12 apps · 3.4 GB".
QString appsHeaderText(size_t count, int64_t total);
// "v2.1 · App Store · Apple", the pieces that apply; empty when none does. A store is named by the
// kind ("Flatpak", "Snap"), and a system package reads "System".
QString appCaptionLine(const InstalledApp& app);
// Why Tolvex doesn't uninstall `app` and how it is removed instead (the inspector's lock label);
// empty when it may be uninstalled.
QString uninstallRefusal(const InstalledApp& app);
// The "Data" cell: "—" without data, else its size.
QString appDataText(const InstalledApp& app);
// The data outweighs the bundle: the "Data" cell is drawn as a warning.
bool dataOutweighsApp(const InstalledApp& app);
// The "Last Used" cell: relative to `now`, or "Never / unknown".
QString lastUsedText(const InstalledApp& app, double now);

// The first application of `apps` whose path is `path`, or none.
const InstalledApp* findApp(const std::vector<InstalledApp>& apps, const std::string& path);
// The application a context menu acts on: the first of the listed ones whose path is in `paths`.
const InstalledApp* menuApp(const std::vector<InstalledApp>& listed, const std::set<std::string>& paths);

}  // namespace tolvex
