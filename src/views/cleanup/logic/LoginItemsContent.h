#pragma once
// What the Login Items screen shows of its launch items: the sections by scope, each row's name,
// badges and remove control, and the outcome line of a removal. No widgets: tested as tables.
#include <QString>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "system/LaunchItem.h"

namespace tolvex {

// The items of one scope, as indices into the loaded list, in the list's order.
struct LoginItemSection {
  LaunchItem::Scope scope = LaunchItem::Scope::userAgent;
  std::vector<size_t> items;
  bool operator==(const LoginItemSection&) const = default;
};

// One section per scope that has items, in the fixed scope order; the loader's order is kept inside
// each section (it already puts orphans first).
std::vector<LoginItemSection> loginItemSections(const std::vector<LaunchItem>& items);

// The owning application's name when known, else the item's label.
std::string launchItemDisplayName(const LaunchItem& item);

enum class LaunchItemBadge { appRemoved, atLogin, alwaysRunning };
// The badges that apply, in display order.
std::vector<LaunchItemBadge> launchItemBadges(const LaunchItem& item);
QString badgeText(LaunchItemBadge badge);

// The system's own items cannot be removed here; a shared item's removal asks for an administrator,
// which its button announces with an ellipsis.
enum class LaunchItemControl { protectedBadge, remove, removeAsAdministrator };
LaunchItemControl launchItemControl(const LaunchItem& item);
// "Remove" or "Remove…"; empty for the protected badge.
QString launchItemControlTitle(LaunchItemControl control);

// The line shown once a removal ends: the failure's own text, or what became of the item (its file in
// the Trash, or left where it is).
QString launchItemRemovalOutcome(const LaunchItem& item, const LaunchItemRemoval& outcome);

// The section header of a scope ("Your login items", …).
QString launchItemScopeTitle(LaunchItem::Scope scope);

}  // namespace tolvex
