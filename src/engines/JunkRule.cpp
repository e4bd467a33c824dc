#include "engines/JunkRule.h"

#include "platform/Identifiers.h"
#include "platform/Paths.h"

namespace tolvex {

const char* rawValue(JunkGroup group) {
  switch (group) {
    case JunkGroup::system: return "system";
    case JunkGroup::trash: return "trash";
    case JunkGroup::mail: return "mail";
    case JunkGroup::developer: return "developer";
    case JunkGroup::devices: return "devices";
    case JunkGroup::downloads: return "downloads";
  }
  return "";
}

std::optional<JunkGroup> junkGroupFromRaw(std::string_view raw) {
  for (JunkGroup group : kAllJunkGroups)
    if (raw == rawValue(group)) return group;
  return std::nullopt;
}

const char* title(JunkGroup group) {
  switch (group) {
    case JunkGroup::system: return "System Junk";
    case JunkGroup::trash: return "Trash";
    case JunkGroup::mail: return "Mail";
    case JunkGroup::developer: return "Developer";
    case JunkGroup::devices: return "iPhone & iPad";
    case JunkGroup::downloads: return "Downloads";
  }
  return "";
}

namespace {}  // namespace

std::string JunkRule::folder(const JunkPlaces& places) const {
  if (base.starts_with("/")) return base;
  if (base == ".Trash") return places.trashFiles;
  return appendPath(places.home, base);
}

const std::vector<JunkRule>& JunkRule::all() {
  static const std::vector<JunkRule> rules = [] {
    using enum JunkGroup;
    const Risk safe = Risk::safe, review = Risk::review;
    const Removal permanent = Removal::permanent, trash_ = Removal::trash;
    auto rule = [](std::string id, JunkGroup group, std::string title, Risk risk, std::string base, Removal removal,
                   bool inSmartClean, std::string explanation) {
      JunkRule r;
      r.id = std::move(id);
      r.group = group;
      r.title = std::move(title);
      r.explanation = std::move(explanation);
      r.risk = risk;
      r.base = std::move(base);
      r.removal = removal;
      r.inSmartClean = inSmartClean;
      return r;
    };
    std::vector<JunkRule> table = {
        rule("user-caches", system, "App caches", safe, "Library/Caches", permanent, true,
             "Temporary copies apps keep to run faster. They\u2019re rebuilt automatically; some apps may take a "
             "little longer the first time."),
        rule("user-logs", system, "Logs and crash reports", safe, "Library/Logs", permanent, true,
             "Activity and error history from apps. Only useful for diagnosing problems."),
        rule("saved-state", system, "Saved window state", safe, "Library/Saved Application State", permanent, true,
             "Window positions used to reopen apps the way you left them. Recreated automatically."),
        rule("system-logs", system, "System logs", review, "/Library/Logs", permanent, false,
             "Logs shared by all users. May require administrator permissions."),
        rule("trash", trash, "Trash", safe, ".Trash", permanent, true,
             "Everything you\u2019ve already moved to the Trash. Emptying it actually frees the space."),
        rule("mail-downloads", mail, "Attachments opened from Mail", safe,
             "Library/Containers/com.apple.mail/Data/Library/Mail Downloads", permanent, true,
             "Copies of attachments you opened. The original stays in the email."),
        rule("xcode-derived", developer, "Xcode \u00B7 DerivedData", safe, "Library/Developer/Xcode/DerivedData",
             permanent, true,
             "Intermediate Xcode build products. Rebuilt when you build (the first build takes longer)."),
        rule("xcode-device-support", developer, "Xcode \u00B7 Device Support", safe,
             "Library/Developer/Xcode/iOS DeviceSupport", permanent, true,
             "Symbols for iOS/watchOS versions. Xcode downloads them again when you connect a device."),
        rule("xcode-watch-support", developer, "Xcode \u00B7 watchOS Support", safe,
             "Library/Developer/Xcode/watchOS DeviceSupport", permanent, true,
             "Symbols for watchOS versions. Downloaded again if needed."),
        rule("simulator-caches", developer, "Simulators \u00B7 Caches", safe, "Library/Developer/CoreSimulator/Caches",
             permanent, true, "iOS Simulator caches. They\u2019re rebuilt automatically."),
        rule("xcode-archives", developer, "Xcode \u00B7 Archives", review, "Library/Developer/Xcode/Archives", trash_,
             false, "Archived builds for distribution. Used to read crash reports from released versions."),
        rule("npm-cache", developer, "npm cache", safe, ".npm/_cacache", permanent, false,
             "Packages downloaded by npm. Downloaded again when you install."),
        rule("gradle-cache", developer, "Gradle cache", safe, ".gradle/caches", permanent, false,
             "Dependencies downloaded by Gradle (Android/Java)."),
        rule("dot-cache", developer, "Tool caches (~/.cache)", review, ".cache", permanent, false,
             "pip, Hugging Face, pre-commit\u2026 Note: they may contain large models you\u2019d have to download "
             "again."),
        rule("ios-updates", devices, "Downloaded iOS updates", safe, "Library/iTunes/iPhone Software Updates",
             permanent, true, "iOS/iPadOS installers downloaded by Finder. Downloaded again if needed."),
        rule("ios-backups", devices, "iPhone/iPad backups", review, "Library/Application Support/MobileSync/Backup",
             trash_, false,
             "Local backups of your devices. Delete them only if you have an iCloud backup or no longer need "
             "them."),
        rule("old-installers", downloads, "Installers in Downloads", review, "Downloads", trash_, false,
             ".dmg/.pkg/.xip files downloaded more than a week ago. The app is usually already installed."),
    };
    table[0].excludedNames = {"com.apple.bird",  "CloudKit",          "com.apple.containermanagerd",
                              "FamilyCircle",    "com.apple.akd",     "com.apple.nsurlsessiond",
                              kBundleIdentifier, "com.apple.HomeKit", "com.apple.ap.adprivacyd"};
    table[16].extensions = std::set<std::string>{"dmg", "pkg", "mpkg", "xip", "iso"};
    table[16].minAgeDays = 7;
    return table;
  }();
  return rules;
}

const JunkRule* ruleForPath(std::string_view path, const JunkPlaces& places) {
  for (const JunkRule& rule : JunkRule::all()) {
    const std::string folder = rule.folder(places);
    if (!isInside(path, folder)) continue;
    std::string_view rest = path.substr(folder.back() == '/' ? folder.size() : folder.size() + 1);
    auto components = pathComponents(rest);
    const std::string first = components.empty() ? std::string() : std::string(components.front());
    if (rule.excludedNames.contains(first)) return nullptr;
    if (!places.ownCache.empty() && !first.empty() && appendPath(folder, first) == places.ownCache) return nullptr;
    if (!rule.extensions) return &rule;
    if (rule.extensions->contains(asciiLowercased(pathExtension(first)))) return &rule;
  }
  return nullptr;
}

}  // namespace tolvex
