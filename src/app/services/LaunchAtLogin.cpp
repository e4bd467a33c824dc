#include "app/services/LaunchAtLogin.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <unistd.h>

#include "platform/AtomicFile.h"

namespace tolvex {

namespace {

// The Exec key quotes its argument; backslash, quote, backtick and dollar are escaped inside quotes.
QString quotedExec(const QString& path) {
  QString escaped;
  for (QChar c : path) {
    if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') escaped += u'\\';
    escaped += c;
  }
  // The desktop-entry format itself unescapes backslashes once more.
  escaped.replace(u'\\', QStringLiteral("\\\\"));
  return u'"' + escaped + u'"';
}

QString entryText(const QString& executable) {
  return QStringLiteral(
             "[Desktop Entry]\n"
             "Type=Application\n"
             "Name=Tolvex\n"
             "Exec=%1\n"
             "Terminal=false\n"
             "X-GNOME-Autostart-enabled=true\n")
      .arg(quotedExec(executable));
}

}  // namespace

LaunchAtLogin::LaunchAtLogin(QString entryPath, QString executable)
    : entryPath_(std::move(entryPath)), executable_(std::move(executable)) {}

LaunchAtLogin LaunchAtLogin::standard(const std::string& configHome) {
  QString executable = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
  if (executable.isEmpty() && QCoreApplication::instance()) executable = QCoreApplication::applicationFilePath();
  return LaunchAtLogin(QString::fromStdString(configHome) + QStringLiteral("/autostart/tolvex.desktop"), executable);
}

bool LaunchAtLogin::isEnabled() const { return QFileInfo(entryPath_).isFile(); }

bool LaunchAtLogin::setEnabled(bool on, QString* error) const {
  const std::string path = entryPath_.toStdString();
  if (!on) {
    if (::unlink(path.c_str()) == 0 || errno == ENOENT) return true;
    if (error) *error = QString::fromLocal8Bit(std::strerror(errno));
    return false;
  }
  if (!QDir().mkpath(QFileInfo(entryPath_).absolutePath())) {
    if (error) *error = QStringLiteral("cannot create %1").arg(QFileInfo(entryPath_).absolutePath());
    return false;
  }
  const QByteArray text = entryText(executable_).toUtf8();
  int err = writeFileAtomically(path, std::string_view(text.constData(), size_t(text.size())));
  if (err == 0) return true;
  if (error) *error = QString::fromLocal8Bit(std::strerror(err));
  return false;
}

}  // namespace tolvex
