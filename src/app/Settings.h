#pragma once
#include <QDateTime>
#include <QSettings>
#include <QString>
#include <memory>
#include <optional>
#include <string>

namespace tolvex {

// The one typed reader and writer of the user's settings ($XDG_CONFIG_HOME/Tolvex/Tolvex.conf, INI).
// Values are read strictly: a bool is "true" or "false", an int is decimal, a date is ISO-8601 UTC;
// anything else reads as the key's default. Every write is synced at once. Something other than a
// regular file in the settings file's place (a FIFO, a folder) is moved aside first, so start-up never
// waits on it; the settings then start from their defaults.
class Settings {
 public:
  // The default file, or `path` when given (tests).
  explicit Settings(const QString& path = QString());

  static QString defaultPath();
  const QString& path() const { return path_; }
  // Where something that was not a settings file was moved, when it was.
  const std::optional<std::string>& setAsidePath() const { return setAsidePath_; }

  bool boolValue(const QString& key, bool fallback) const;
  int intValue(const QString& key, int fallback) const;
  long long int64Value(const QString& key, long long fallback) const;
  QString stringValue(const QString& key, const QString& fallback = QString()) const;
  std::optional<QString> optionalString(const QString& key) const;
  std::optional<QDateTime> dateValue(const QString& key) const;

  void setBool(const QString& key, bool value);
  void setInt(const QString& key, long long value);
  void setString(const QString& key, const QString& value);
  void setDate(const QString& key, const QDateTime& value);
  void remove(const QString& key);

 private:
  QString path_;
  std::optional<std::string> setAsidePath_;
  std::unique_ptr<QSettings> settings_;
};

// Keys of the settings.
namespace keys {
inline const QString excludedPaths = QStringLiteral("excludedPaths");
inline const QString permanentDelete = QStringLiteral("permanentDelete");
inline const QString accessOnboardingSkipped = QStringLiteral("accessOnboardingSkipped");
inline const QString initialSection = QStringLiteral("initialSection");
inline const QString autoScan = QStringLiteral("autoScan");
inline const QString appearance = QStringLiteral("appearance");
inline const QString menuBar = QStringLiteral("menuBar");
inline const QString watchRemovedApps = QStringLiteral("watchRemovedApps");
inline const QString cleanSchedule = QStringLiteral("cleanSchedule");
inline const QString lowSpaceGB = QStringLiteral("lowSpaceGB");
inline const QString lowSpaceNotified = QStringLiteral("lowSpaceNotified");
inline const QString lastAutoClean = QStringLiteral("lastAutoClean");
inline const QString lastAutoCleanBytes = QStringLiteral("lastAutoCleanBytes");
inline const QString explorerMode = QStringLiteral("explorerMode");
}  // namespace keys

}  // namespace tolvex
