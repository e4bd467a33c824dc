#pragma once
// The user's appearance choice and the palettes that realise it.
#include <QPalette>
#include <QString>
#include <array>
#include <optional>

namespace tolvex {

enum class AppAppearance { system, light, dark };

inline constexpr std::array<AppAppearance, 3> kAllAppAppearances = {AppAppearance::system, AppAppearance::light,
                                                                    AppAppearance::dark};

// "system", "light", "dark": the stored value (and identity) of a choice.
QString rawValue(AppAppearance appearance);
// "System", "Light", "Dark", translated.
QString title(AppAppearance appearance);
// Exact match of a stored value; anything else (including "Dark") gives none.
std::optional<AppAppearance> appAppearanceFromRaw(const QString& raw);
// The stored value read back, with every missing or unknown value taken as system.
AppAppearance appAppearanceOrSystem(const QString& raw);

namespace Appearance {

// Our two palettes: window about #ECECEC in light and #323232 in dark.
QPalette lightPalette();
QPalette darkPalette();

// Remembers the application palette as the system's, once; later calls keep the first capture.
// `apply` captures on its first call when start-up has not done so already.
void captureSystemPalette();
QPalette systemPalette();

// Sets the Fusion style and the palette of the choice: our light or dark palette, or the palette
// captured at start-up for system.
void apply(AppAppearance appearance);

}  // namespace Appearance
}  // namespace tolvex
