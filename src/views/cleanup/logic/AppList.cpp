#include "views/cleanup/logic/AppList.h"

#include <QCoreApplication>
#include <algorithm>
#include <limits>

#include "model/Formatting.h"
#include "app/UiText.h"

namespace tolvex {

namespace {

bool containsIgnoringCase(const std::string& text, const QString& query) {
  return QString::fromUtf8(text).contains(query, Qt::CaseInsensitive);
}

template <typename T>
int compareValues(const T& a, const T& b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

int compareApps(const InstalledApp& a, const InstalledApp& b, AppKey key) {
  switch (key) {
    case AppKey::name: return compareValues(a.name, b.name);  // bytes, not the locale
    case AppKey::totalSize: return compareValues(a.totalSize(), b.totalSize());
    case AppKey::appSize: return compareValues(a.appSize, b.appSize);
    case AppKey::dataSize: return compareValues(a.dataSize(), b.dataSize());
    case AppKey::lastUsed: return compareValues(a.lastUsedOrDistantPast(), b.lastUsedOrDistantPast());
  }
  return 0;
}

QString tr(const char* text) { return QCoreApplication::translate("ApplicationsView", text); }

}  // namespace

bool appMatchesFilters(const InstalledApp& app, const AppFilters& filters, double cutDate) {
  if (filters.hideApple && app.isApple) return false;
  if (filters.unusedOnly && !(app.lastUsedOrDistantPast() < cutDate)) return false;
  if (filters.query.isEmpty()) return true;
  if (containsIgnoringCase(app.name, filters.query)) return true;
  return containsIgnoringCase(app.bundleID.value_or(std::string()), filters.query);
}

AppSortOrder defaultAppSortOrder() { return {AppComparator{AppKey::totalSize, false}}; }

AppSortOrder clickedAppHeader(const AppSortOrder& order, AppKey key) {
  AppSortOrder out = order;
  if (!out.empty() && out.front().key == key) {
    out.front().ascending = !out.front().ascending;
    return out;
  }
  std::erase_if(out, [key](const AppComparator& c) { return c.key == key; });
  out.insert(out.begin(), AppComparator{key, true});
  return out;
}

void sortApps(std::vector<InstalledApp>& apps, const AppSortOrder& order) {
  std::stable_sort(apps.begin(), apps.end(), [&](const InstalledApp& a, const InstalledApp& b) {
    for (const AppComparator& c : order) {
      const int r = compareApps(a, b, c.key);
      if (r != 0) return c.ascending ? r < 0 : r > 0;
    }
    return false;
  });
}

std::vector<InstalledApp> visibleApps(const std::vector<InstalledApp>& apps, const AppFilters& filters, double now,
                                      const AppSortOrder& order) {
  const double cut = now - kUnusedSeconds;
  std::vector<InstalledApp> out;
  for (const InstalledApp& app : apps)
    if (appMatchesFilters(app, filters, cut)) out.push_back(app);
  sortApps(out, order);
  return out;
}

int64_t largestTotal(const std::vector<InstalledApp>& apps) {
  int64_t largest = 1;
  for (const InstalledApp& app : apps) largest = std::max(largest, app.totalSize());
  return largest;
}

int64_t summedTotal(const std::vector<InstalledApp>& apps) {
  int64_t sum = 0;
  for (const InstalledApp& app : apps)
    if (__builtin_add_overflow(sum, app.totalSize(), &sum))
      sum = app.totalSize() > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
  return sum;
}

QString appsHeaderText(size_t count, int64_t total) {
  return tr("%1 apps \u00B7 %2").arg(countText(static_cast<int64_t>(count)), bytesText(total));
}

QString appCaptionLine(const InstalledApp& app) {
  QStringList pieces;
  if (app.version) pieces << QStringLiteral("v") + QString::fromUtf8(*app.version);
  if (app.isAppStore) {
    switch (app.kind) {
      case AppKind::flatpak: pieces << QStringLiteral("Flatpak"); break;
      case AppKind::snap: pieces << QStringLiteral("Snap"); break;
      default: pieces << QStringLiteral("App Store"); break;
    }
  }
  if (app.isApple) pieces << (app.kind == AppKind::bundle ? QStringLiteral("Apple") : QStringLiteral("System"));
  return pieces.join(QStringLiteral(" \u00B7 "));
}

QString uninstallRefusal(const InstalledApp& app) {
  if (!app.isUninstallRefused()) return {};
  switch (app.kind) {
    case AppKind::flatpak:
      return tr("Installed with Flatpak. Remove it in your software centre or with \u201Cflatpak uninstall\u201D.");
    case AppKind::snap: return tr("Installed as a Snap. Remove it in your software centre or with \u201Csnap remove\u201D.");
    case AppKind::systemPackage: return tr("Installed by the system\u2019s package manager.");
    case AppKind::handInstalled: return tr("Installed for every user: Tolvex doesn\u2019t uninstall it.");
    case AppKind::bundle:
    case AppKind::appImage: break;
  }
  return tr("Apple app: Tolvex doesn\u2019t uninstall it.");
}

QString appDataText(const InstalledApp& app) {
  if (app.dataSize() < 1) return QStringLiteral("\u2014");
  return bytesText(app.dataSize());
}

bool dataOutweighsApp(const InstalledApp& app) { return app.appSize < app.dataSize(); }

QString lastUsedText(const InstalledApp& app, double now) {
  if (!app.lastUsed) return tr("Never / unknown");
  return QString::fromStdString(relativeDateText(*app.lastUsed, now));
}

const InstalledApp* findApp(const std::vector<InstalledApp>& apps, const std::string& path) {
  auto it = std::find_if(apps.begin(), apps.end(), [&](const InstalledApp& app) { return app.path == path; });
  return it == apps.end() ? nullptr : &*it;
}

const InstalledApp* menuApp(const std::vector<InstalledApp>& listed, const std::set<std::string>& paths) {
  auto it =
      std::find_if(listed.begin(), listed.end(), [&](const InstalledApp& app) { return paths.contains(app.path); });
  return it == listed.end() ? nullptr : &*it;
}

}  // namespace tolvex
