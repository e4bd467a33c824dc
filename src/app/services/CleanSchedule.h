#pragma once
#include <QString>
#include <array>
#include <optional>

namespace tolvex {

// How often the automatic clean of safe, regenerable junk runs.
enum class CleanSchedule { off, daily, weekly, monthly };

inline constexpr std::array<CleanSchedule, 4> kCleanSchedules = {CleanSchedule::off, CleanSchedule::daily,
                                                                 CleanSchedule::weekly, CleanSchedule::monthly};

// The stored text: the case name ("off", "daily", "weekly", "monthly").
QString rawValue(CleanSchedule schedule);
// The schedule whose stored text is exactly `raw`; none for any other text.
std::optional<CleanSchedule> cleanScheduleFromRaw(const QString& raw);
// "Off", "Every day", "Every week", "Every month".
QString title(CleanSchedule schedule);
// Seconds between two cleans; none for `off`. A month is 30 days.
std::optional<double> interval(CleanSchedule schedule);

}  // namespace tolvex
