#include "app/services/CleanSchedule.h"

#include <QCoreApplication>

namespace tolvex {

QString rawValue(CleanSchedule schedule) {
  switch (schedule) {
    case CleanSchedule::off: return QStringLiteral("off");
    case CleanSchedule::daily: return QStringLiteral("daily");
    case CleanSchedule::weekly: return QStringLiteral("weekly");
    case CleanSchedule::monthly: return QStringLiteral("monthly");
  }
  return QStringLiteral("off");
}

std::optional<CleanSchedule> cleanScheduleFromRaw(const QString& raw) {
  for (CleanSchedule schedule : kCleanSchedules)
    if (rawValue(schedule) == raw) return schedule;
  return std::nullopt;
}

QString title(CleanSchedule schedule) {
  switch (schedule) {
    case CleanSchedule::off: return QCoreApplication::translate("CleanSchedule", "Off");
    case CleanSchedule::daily: return QCoreApplication::translate("CleanSchedule", "Every day");
    case CleanSchedule::weekly: return QCoreApplication::translate("CleanSchedule", "Every week");
    case CleanSchedule::monthly: return QCoreApplication::translate("CleanSchedule", "Every month");
  }
  return {};
}

std::optional<double> interval(CleanSchedule schedule) {
  switch (schedule) {
    case CleanSchedule::off: return std::nullopt;
    case CleanSchedule::daily: return 86400.0;
    case CleanSchedule::weekly: return 604800.0;
    case CleanSchedule::monthly: return 2592000.0;
  }
  return std::nullopt;
}

}  // namespace tolvex
