#pragma once
#include <QString>
#include <string>

namespace tolvex {

// Starting at login through the desktop's autostart folder: a `tolvex.desktop` entry there that runs
// this executable by its absolute path.
class LaunchAtLogin {
 public:
  // `entryPath` is the entry file, `executable` the absolute path written into it.
  LaunchAtLogin(QString entryPath, QString executable);
  // The entry file for this executable in the autostart folder of `configHome` ($XDG_CONFIG_HOME):
  // `configHome/autostart/tolvex.desktop`.
  static LaunchAtLogin standard(const std::string& configHome);

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
