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


// The main window and its shell.
inline constexpr const char* mainWindow = "mainWindow";
inline constexpr const char* mainSplit = "mainSplit";
inline constexpr const char* mainToolbar = "mainToolbar";
inline constexpr const char* appMenu = "appMenu";
inline constexpr const char* scanMenuBar = "scanMenuBar";
inline constexpr const char* scanDiskAction = "scanDiskAction";
inline constexpr const char* scanHomeAction = "scanHomeAction";
inline constexpr const char* quickCleanAction = "quickCleanAction";
inline constexpr const char* checkForUpdatesAction = "checkForUpdatesAction";
inline constexpr const char* settingsAction = "settingsAction";
inline constexpr const char* settingsWindow = "settingsWindow";
inline constexpr const char* trayIcon = "trayIcon";
inline constexpr const char* sidebar = "sidebar";
inline constexpr const char* sidebarList = "sidebarList";
inline constexpr const char* diskFooter = "diskFooter";
inline constexpr const char* diskFooterName = "diskFooterName";
inline constexpr const char* diskFooterFree = "diskFooterFree";
inline constexpr const char* sectionRouter = "sectionRouter";
inline constexpr const char* pendingScreen = "pendingScreen";
inline constexpr const char* scanToolbar = "scanToolbar";
inline constexpr const char* scanSpinner = "scanSpinner";
inline constexpr const char* scanProgressCounts = "scanProgressCounts";
inline constexpr const char* scanProgressPath = "scanProgressPath";
inline constexpr const char* scanStopButton = "scanStopButton";
inline constexpr const char* scanButton = "scanButton";
inline constexpr const char* scanMenu = "scanMenu";
inline constexpr const char* scanMenuDisk = "scanMenuDisk";
inline constexpr const char* scanMenuHome = "scanMenuHome";
inline constexpr const char* scanMenuFolder = "scanMenuFolder";

}  // namespace tolvex::names
