#pragma once
#include <QString>

namespace tolvex {

// Starting at login through the desktop's autostart folder: a `tolvex.desktop` entry there that runs
// this executable by its absolute path.
class LaunchAtLogin {
 public:
  // `$XDG_CONFIG_HOME/autostart/tolvex.desktop` (~/.config when the variable is unset or relative).
  static QString defaultEntryPath();

  // `entryPath` is the entry file, `executable` the absolute path written into it.
  LaunchAtLogin(QString entryPath, QString executable);
  // The entry file for this executable, in the user's autostart folder.
  static LaunchAtLogin standard();

  // Whether the entry is there (read from the folder each time).
  bool isEnabled() const;
  // Writes the entry whole and atomically, or removes it. False with `error` set when that failed.
  bool setEnabled(bool on, QString* error = nullptr) const;

  const QString& entryPath() const { return entryPath_; }

 private:
  QString entryPath_;
  QString executable_;
};

}  // namespace tolvex
