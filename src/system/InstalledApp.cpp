#include "system/InstalledApp.h"

#include <algorithm>
#include <functional>

#include "platform/RunningApps.h"

namespace tolvex {

namespace {

void mix(size_t& seed, size_t value) { seed ^= value + 0x9E3779B97F4A7C15ULL + (seed << 6) + (seed >> 2); }

size_t hashOf(const std::optional<std::string>& text) { return text ? std::hash<std::string>{}(*text) : 0x5A5A; }

}  // namespace

size_t RelatedItemHash::operator()(const RelatedItem& item) const {
  size_t seed = std::hash<std::string>{}(item.path);
  mix(seed, std::hash<std::string>{}(item.label));
  mix(seed, std::hash<int64_t>{}(item.size));
  return seed;
}

int64_t InstalledApp::relatedSize() const {
  int64_t total = 0;
  for (const RelatedItem& item : related) total += item.size;
  return total;
}

int64_t InstalledApp::totalSize() const { return appSize + relatedSize(); }

bool InstalledApp::isRunning(const std::vector<std::string>& runningIdentifiers) const {
  auto listed = [&](const std::string& text) {
    return std::find(runningIdentifiers.begin(), runningIdentifiers.end(), text) != runningIdentifiers.end();
  };
  return (bundleID && listed(*bundleID)) || (program && listed(*program));
}

bool InstalledApp::isRunning() const {
  if (!bundleID && !program) return false;
  std::vector<std::string> running = runningApplicationIdentifiers();
  for (std::string& item : runningDesktopApplications()) running.push_back(std::move(item));
  return isRunning(running);
}

bool InstalledApp::isUninstallRefused() const {
  switch (kind) {
    case AppKind::flatpak:
    case AppKind::snap:
    case AppKind::systemPackage: return true;
    case AppKind::handInstalled: return isApple;
    case AppKind::bundle:
    case AppKind::appImage: return isApple;
  }
  return true;
}

size_t InstalledAppHash::operator()(const InstalledApp& app) const {
  size_t seed = std::hash<std::string>{}(app.path);
  mix(seed, std::hash<std::string>{}(app.name));
  mix(seed, hashOf(app.bundleID));
  mix(seed, hashOf(app.version));
  mix(seed, std::hash<int64_t>{}(app.appSize));
  for (const RelatedItem& item : app.related) mix(seed, RelatedItemHash{}(item));
  mix(seed, app.lastUsed ? std::hash<double>{}(*app.lastUsed) : 0xA5A5);
  mix(seed, (app.isApple ? 1u : 0u) | (app.isAppStore ? 2u : 0u) | (static_cast<size_t>(app.kind) << 2));
  mix(seed, std::hash<std::string>{}(app.desktopID));
  mix(seed, hashOf(app.program));
  return seed;
}

}  // namespace tolvex
