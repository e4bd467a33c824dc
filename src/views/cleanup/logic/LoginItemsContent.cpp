#include "views/cleanup/logic/LoginItemsContent.h"

#include <QCoreApplication>

namespace tolvex {

namespace {
QString tr(const char* text) { return QCoreApplication::translate("LoginItemsView", text); }
}  // namespace

std::vector<LoginItemSection> loginItemSections(const std::vector<LaunchItem>& items) {
  std::vector<LoginItemSection> sections;
  for (LaunchItem::Scope scope : kAllLaunchItemScopes) {
    LoginItemSection section{scope, {}};
    for (size_t i = 0; i < items.size(); ++i)
      if (items[i].scope == scope) section.items.push_back(i);
    if (!section.items.empty()) sections.push_back(std::move(section));
  }
  return sections;
}

std::string launchItemDisplayName(const LaunchItem& item) { return item.ownerName.value_or(item.label); }

std::vector<LaunchItemBadge> launchItemBadges(const LaunchItem& item) {
  std::vector<LaunchItemBadge> badges;
  if (item.isOrphan) badges.push_back(LaunchItemBadge::appRemoved);
  if (item.runAtLoad) badges.push_back(LaunchItemBadge::atLogin);
  if (item.keepAlive) badges.push_back(LaunchItemBadge::alwaysRunning);
  return badges;
}

QString badgeText(LaunchItemBadge badge) {
  switch (badge) {
    case LaunchItemBadge::appRemoved: return tr("App removed");
    case LaunchItemBadge::atLogin: return tr("At login");
    case LaunchItemBadge::alwaysRunning: return tr("Always running");
  }
  return {};
}

LaunchItemControl launchItemControl(const LaunchItem& item) {
  if (item.label.starts_with("com.apple.")) return LaunchItemControl::protectedBadge;
  return item.scope == LaunchItem::Scope::userAgent ? LaunchItemControl::remove
                                                    : LaunchItemControl::removeAsAdministrator;
}

QString launchItemControlTitle(LaunchItemControl control) {
  switch (control) {
    case LaunchItemControl::protectedBadge: return {};
    case LaunchItemControl::remove: return tr("Remove");
    case LaunchItemControl::removeAsAdministrator: return tr("Remove\u2026");
  }
  return {};
}

QString launchItemRemovalOutcome(const LaunchItem& item, const LaunchItemRemoval& outcome) {
  // A failure without words is still a failure: it gets the general line, never the success line.
  if (const auto& failure = outcome.failure) return tr(failure->empty() ? kCouldNotRemoveMessage : failure->c_str());
  const QString name = QString::fromStdString(launchItemDisplayName(item));
  // A unit that another package installed is only stopped from starting: its file stays.
  if (!outcome.trashed) return tr("\u201C%1\u201D won't start automatically any more.").arg(name);
  return tr("\u201C%1\u201D won't start automatically any more. Its file is in the Trash.").arg(name);
}

QString launchItemScopeTitle(LaunchItem::Scope scope) { return tr(title(scope)); }

}  // namespace tolvex
