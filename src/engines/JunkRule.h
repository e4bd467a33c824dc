#pragma once
// The fixed table of junk rules: which folders hold items that can go, how they go, and which
// entries are never touched.
#include <array>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "model/Risk.h"
#include "platform/Places.h"

namespace tolvex {

// How an item goes: removed for good, or moved to the Trash.
enum class Removal { permanent, trash };

enum class JunkGroup { system, trash, mail, developer, devices, downloads };

inline constexpr std::array<JunkGroup, 6> kAllJunkGroups = {JunkGroup::system,  JunkGroup::trash,
                                                            JunkGroup::mail,    JunkGroup::developer,
                                                            JunkGroup::devices, JunkGroup::downloads};

// "system", "trash", … ; the raw value is also the group's identity.
const char* rawValue(JunkGroup group);
std::optional<JunkGroup> junkGroupFromRaw(std::string_view raw);
// "System Junk", "Trash", "Mail", "Developer", "iPhone & iPad", "Downloads".
const char* title(JunkGroup group);

// Where the rules' folders are: the home folder, the user's Trash (the home Trash's files/ folder,
// which stands for the rule base ".Trash") and our own cache folder (never a junk item).
using JunkPlaces = Places;

struct JunkRule {
  std::string id;
  JunkGroup group = JunkGroup::system;
  std::string title;
  std::string explanation;
  Risk risk = Risk::safe;
  std::string base;  // relative to the home folder, or absolute when it begins with "/"
  Removal removal = Removal::permanent;
  bool inSmartClean = false;
  std::optional<std::set<std::string>> extensions;  // lower case, without the dot
  std::optional<int> minAgeDays;
  std::set<std::string> excludedNames;

  // The rule's folder: `base` when absolute, else the home folder joined with `base`; the base
  // ".Trash" is the user's Trash.
  std::string folder(const JunkPlaces& places) const;

  // The 17 rules, in table order. Built once; safe to read from any thread.
  static const std::vector<JunkRule>& all();

  bool operator==(const JunkRule&) const = default;
};

// The rule that holds `path` (anything directly or indirectly inside a rule's folder that the rule
// would count), or none. An excluded name, or our own cache folder, ends the search with none.
const JunkRule* ruleForPath(std::string_view path, const JunkPlaces& places);

}  // namespace tolvex
