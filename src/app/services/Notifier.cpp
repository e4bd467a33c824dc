#include "app/services/Notifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QVariantMap>

namespace tolvex {

void postNotification(const QString& title, const QString& body) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
      QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
  // app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout (-1: the server's).
  call << QStringLiteral("Tolvex") << 0u << QStringLiteral("tolvex") << title << body << QStringList() << QVariantMap()
       << -1;
  // Sent without waiting: a missing server only produces an error reply nobody reads.
  bus.asyncCall(call);
}

}  // namespace tolvex
