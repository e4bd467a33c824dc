#pragma once
#include <QString>
#include <array>
#include <optional>

namespace tolvex {

// The fifteen screens of the sidebar, in sidebar order. The raw value of a case is its name.
enum class AppSection {
  smartClean,
  overview,
  trends,
  explorer,
  types,
  large,
  systemData,
  cloud,
  apps,
  leftovers,
  loginItems,
  junk,
  developer,
  duplicates,
  history
};

inline constexpr std::array<AppSection, 15> kAllSections = {
    AppSection::smartClean, AppSection::overview,   AppSection::trends,     AppSection::explorer,
    AppSection::types,      AppSection::large,      AppSection::systemData, AppSection::cloud,
    AppSection::apps,       AppSection::leftovers,  AppSection::loginItems, AppSection::junk,
    AppSection::developer,  AppSection::duplicates, AppSection::history};

QString rawValue(AppSection section);
std::optional<AppSection> appSectionFromRaw(const QString& raw);
QString title(AppSection section);
QString symbol(AppSection section);

// The stages of the Quick Clean flow.
enum class SmartPhase { idle, scanning, review, cleaning, done };

}  // namespace tolvex
