#include "app/Settings.h"

#include <QDir>
#include <QFile>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/HomeFolder.h"
#include "platform/Identifiers.h"
#include "platform/StoreFile.h"

namespace tolvex {

namespace {

// A settings file that is not a regular file is moved aside before QSettings reads it: reading a FIFO
// would wait forever, and a folder could never be written. The check opens without waiting
// (O_NONBLOCK). A link to a regular file is read as usual, since QSettings also writes through it.
std::optional<std::string> setAsideIfNotAFile(const QString& path) {
  const std::string bytes = QFile::encodeName(path).toStdString();
  const int fd = ::open(bytes.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;  // nothing there, or nothing QSettings could read and wait on
  struct stat st {};
  const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  ::close(fd);
  if (regular) return std::nullopt;
  return setAsideUnreadable(bytes, nowSince1970());
}

}  // namespace

QString Settings::defaultPath() {
  return QString::fromStdString(xdgConfigHome()) + QStringLiteral("/Tolvex/Tolvex.conf");
}

Settings::Settings(const QString& path)
    : path_(path.isEmpty() ? defaultPath() : path),
      setAsidePath_(setAsideIfNotAFile(path_)),
      settings_(std::make_unique<QSettings>(path_, QSettings::IniFormat)) {}

std::optional<QString> Settings::optionalString(const QString& key) const {
  QVariant value = settings_->value(key);
  if (!value.isValid()) return std::nullopt;
  // INI lists come back as string lists; anything that is not one plain text is not a text.
  if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(QLatin1Char(','));
  return value.toString();
}

QString Settings::stringValue(const QString& key, const QString& fallback) const {
  return optionalString(key).value_or(fallback);
}

bool Settings::boolValue(const QString& key, bool fallback) const {
  auto text = optionalString(key);
  if (text == QLatin1String("true")) return true;
  if (text == QLatin1String("false")) return false;
  return fallback;
}

long long Settings::int64Value(const QString& key, long long fallback) const {
  auto text = optionalString(key);
  if (!text) return fallback;
  bool ok = false;
  long long value = text->trimmed().toLongLong(&ok, 10);
  return ok && !text->trimmed().isEmpty() ? value : fallback;
}

int Settings::intValue(const QString& key, int fallback) const {
  long long value = int64Value(key, fallback);
  return value >= INT_MIN && value <= INT_MAX ? static_cast<int>(value) : fallback;
}

std::optional<QDateTime> Settings::dateValue(const QString& key) const {
  auto text = optionalString(key);
  if (!text) return std::nullopt;
  QDateTime date = QDateTime::fromString(*text, Qt::ISODateWithMs);
  if (!date.isValid()) date = QDateTime::fromString(*text, Qt::ISODate);
  if (!date.isValid()) return std::nullopt;
  return date.toUTC();
}

void Settings::setBool(const QString& key, bool value) {
  settings_->setValue(key, value ? QStringLiteral("true") : QStringLiteral("false"));
  settings_->sync();
}

void Settings::setInt(const QString& key, long long value) {
  settings_->setValue(key, QString::number(value));
  settings_->sync();
}

void Settings::setString(const QString& key, const QString& value) {
  settings_->setValue(key, value);
  settings_->sync();
}

void Settings::setDate(const QString& key, const QDateTime& value) {
  settings_->setValue(key, value.toUTC().toString(Qt::ISODateWithMs));
  settings_->sync();
}

void Settings::remove(const QString& key) {
  settings_->remove(key);
  settings_->sync();
}

}  // namespace tolvex
