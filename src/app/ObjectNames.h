#pragma once
// The objectName of every control and label that tests look up. One list for the whole application.
namespace tolvex::names {

// Shared components (their parts; callers may rename the component itself).
inline constexpr const char* card = "card";
inline constexpr const char* cardShadow = "cardShadow";
inline constexpr const char* ambientBackground = "ambientBackground";
inline constexpr const char* pageHeader = "pageHeader";
inline constexpr const char* pageHeaderTitle = "pageHeaderTitle";
inline constexpr const char* pageHeaderSubtitle = "pageHeaderSubtitle";
inline constexpr const char* riskBadge = "riskBadge";
inline constexpr const char* sizeCell = "sizeCell";
inline constexpr const char* segmentedBar = "segmentedBar";
inline constexpr const char* legendDot = "legendDot";
inline constexpr const char* statTile = "statTile";
inline constexpr const char* statTileSymbol = "statTileSymbol";
inline constexpr const char* statTileTitle = "statTileTitle";
inline constexpr const char* statTileValue = "statTileValue";
inline constexpr const char* statTileCaption = "statTileCaption";
inline constexpr const char* fileIcon = "fileIcon";
inline constexpr const char* diskRing = "diskRing";
inline constexpr const char* symbolView = "symbolView";
inline constexpr const char* symbolLabel = "symbolLabel";
inline constexpr const char* symbolLabelText = "symbolLabelText";

}  // namespace tolvex::names
