#pragma once
#include <QString>
#include <functional>

namespace tolvex {

// Posts one desktop notification at once. Posting never fails visibly: without a session bus or a
// notification server nothing is shown.
using Notifier = std::function<void(const QString& title, const QString& body)>;

// The desktop's notification server over the session D-Bus, called without waiting for its answer.
void postNotification(const QString& title, const QString& body);

}  // namespace tolvex
