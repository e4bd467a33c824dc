#pragma once
#include <QString>
#include <QUrl>
#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace tolvex {

// The desktop services the screens call on: choosers, opening and revealing files, opening URLs,
// checking for updates. One shared set; tests replace its members with fakes (no blocking dialogs
// run offscreen).
struct UiServices {
  using PathCallback = std::function<void(std::optional<std::string>)>;

  // A folder chooser whose confirm button reads `prompt`, opening in `startFolder` (the user's home,
  // never the process's working folder); the callback gets the chosen folder's path.
  std::function<void(QWidget* parent, const QString& prompt, const std::string& startFolder, PathCallback done)>
      chooseFolder;
  // A save chooser proposing `fileName` in `startFolder`; the callback gets the chosen file's path.
  std::function<void(QWidget* parent, const std::string& startFolder, const QString& fileName, PathCallback done)>
      chooseSaveFile;
  // Opens a URL with the desktop; an unknown scheme does nothing. True when something opened it.
  std::function<bool(const QUrl& url)> openUrl;
  // Shows the item in the file manager (selected where the file manager can do that).
  std::function<void(const std::string& path)> revealInFileManager;
  // Opens the item with its default application.
  std::function<void(const std::string& path)> openFile;
  // "Check for Updates…".
  std::function<void(QWidget* parent)> checkForUpdates;
  // Asks once more to show notifications, when a setting that posts them is turned on; the answer
  // is not awaited.
  std::function<void()> requestNotificationPermission;

  static UiServices& shared();
  // The desktop implementations.
  static UiServices standard();
};

}  // namespace tolvex
