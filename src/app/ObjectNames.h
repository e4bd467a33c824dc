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
// Confirmation sheet, toast, scan prompt and their parts.
inline constexpr const char* confirmDeletionDialog = "confirmDeletionDialog";
inline constexpr const char* confirmTitle = "confirmTitle";
inline constexpr const char* confirmSubtitle = "confirmSubtitle";
inline constexpr const char* confirmList = "confirmList";
inline constexpr const char* confirmReviewToggle = "confirmReviewToggle";
inline constexpr const char* confirmReviewText = "confirmReviewText";
inline constexpr const char* confirmProtectedNote = "confirmProtectedNote";
inline constexpr const char* confirmTotal = "confirmTotal";
inline constexpr const char* confirmCancel = "confirmCancel";
inline constexpr const char* confirmDelete = "confirmDelete";
inline constexpr const char* toastView = "toastView";
inline constexpr const char* toastSymbol = "toastSymbol";
inline constexpr const char* toastMessage = "toastMessage";
inline constexpr const char* toastDetail = "toastDetail";
inline constexpr const char* toastUndo = "toastUndo";
inline constexpr const char* toastClose = "toastClose";
inline constexpr const char* scanPrompt = "scanPrompt";
inline constexpr const char* scanPromptRestoring = "scanPromptRestoring";
inline constexpr const char* scanPromptRestoringText = "scanPromptRestoringText";
inline constexpr const char* scanPromptScanning = "scanPromptScanning";
inline constexpr const char* scanPromptCurrentPath = "scanPromptCurrentPath";
inline constexpr const char* scanPromptIdle = "scanPromptIdle";
inline constexpr const char* scanPromptIcon = "scanPromptIcon";
inline constexpr const char* scanPromptTitle = "scanPromptTitle";
inline constexpr const char* scanPromptMessage = "scanPromptMessage";
inline constexpr const char* scanPromptScanDisk = "scanPromptScanDisk";
inline constexpr const char* scanPromptScanHome = "scanPromptScanHome";
inline constexpr const char* scanningRing = "scanningRing";
inline constexpr const char* fullDiskAccessBanner = "fullDiskAccessBanner";
inline constexpr const char* fullDiskAccessOpenSettings = "fullDiskAccessOpenSettings";
inline constexpr const char* fullDiskAccessDone = "fullDiskAccessDone";

}  // namespace tolvex::names
