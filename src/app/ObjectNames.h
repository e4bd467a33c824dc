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

// The Explorer, the file table, their context menu, preview and selection bar.
inline constexpr const char* explorerView = "explorerView";
inline constexpr const char* explorerPrompt = "explorerPrompt";
inline constexpr const char* explorerContent = "explorerContent";
inline constexpr const char* explorerModePicker = "explorerModePicker";
inline constexpr const char* explorerModeList = "explorerModeList";
inline constexpr const char* explorerModeMap = "explorerModeMap";
inline constexpr const char* explorerTitle = "explorerTitle";
inline constexpr const char* explorerSize = "explorerSize";
inline constexpr const char* explorerFiles = "explorerFiles";
inline constexpr const char* explorerSegments = "explorerSegments";
inline constexpr const char* explorerTable = "explorerTable";
inline constexpr const char* explorerSmallFiles = "explorerSmallFiles";
inline constexpr const char* explorerMap = "explorerMap";
inline constexpr const char* breadcrumbs = "breadcrumbs";
inline constexpr const char* breadcrumbBack = "breadcrumbBack";
inline constexpr const char* breadcrumbCrumb = "breadcrumbCrumb";
inline constexpr const char* breadcrumbSeparator = "breadcrumbSeparator";
inline constexpr const char* breadcrumbReveal = "breadcrumbReveal";
inline constexpr const char* mapSidePanel = "mapSidePanel";
inline constexpr const char* mapFocusName = "mapFocusName";
inline constexpr const char* mapFocusCategory = "mapFocusCategory";
inline constexpr const char* mapFocusSize = "mapFocusSize";
inline constexpr const char* mapFocusPath = "mapFocusPath";
inline constexpr const char* mapFocusReason = "mapFocusReason";
inline constexpr const char* mapLargestTitle = "mapLargestTitle";
inline constexpr const char* mapLargestRow = "mapLargestRow";
inline constexpr const char* mapHint = "mapHint";
inline constexpr const char* filesTable = "filesTable";
inline constexpr const char* filesTableView = "filesTableView";
inline constexpr const char* nodeContextMenu = "nodeContextMenu";
inline constexpr const char* nodeMenuQuickLook = "nodeMenuQuickLook";
inline constexpr const char* nodeMenuReveal = "nodeMenuReveal";
inline constexpr const char* nodeMenuOpen = "nodeMenuOpen";
inline constexpr const char* nodeMenuOpenInExplorer = "nodeMenuOpenInExplorer";
inline constexpr const char* nodeMenuCopyPath = "nodeMenuCopyPath";
inline constexpr const char* nodeMenuExclude = "nodeMenuExclude";
inline constexpr const char* nodeMenuDelete = "nodeMenuDelete";
inline constexpr const char* quickLookDialog = "quickLookDialog";
inline constexpr const char* quickLookTitle = "quickLookTitle";
inline constexpr const char* quickLookImage = "quickLookImage";
inline constexpr const char* quickLookText = "quickLookText";
inline constexpr const char* quickLookFacts = "quickLookFacts";
inline constexpr const char* selectionBar = "selectionBar";
inline constexpr const char* selectionBarCount = "selectionBarCount";
inline constexpr const char* selectionBarSize = "selectionBarSize";
inline constexpr const char* selectionBarDeselect = "selectionBarDeselect";
inline constexpr const char* selectionBarSecondary = "selectionBarSecondary";
inline constexpr const char* selectionBarAction = "selectionBarAction";

}  // namespace tolvex::names
