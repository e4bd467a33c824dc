#include "views/analysis/logic/ForecastSummary.h"

#include <QCoreApplication>
#include <QLocale>
#include <cmath>
#include <limits>

#include "model/Formatting.h"
#include "views/analysis/logic/NodeLists.h"

namespace tolvex {
namespace {

constexpr double kSecondsPerDay = 86'400;

QString tr(const char* text) { return QCoreApplication::translate("ForecastSummary", text); }

QString bytes(int64_t value) { return QString::fromStdString(formatBytes(std::max<int64_t>(value, 0))); }

// A double truncated toward zero into 64 bits; what does not fit is held at the limit, NaN is 0.
int64_t truncated(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 9.2e18) return std::numeric_limits<int64_t>::max();
  if (value <= -9.2e18) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(value);
}

// Days as a whole number, halves away from zero.
qlonglong roundedDays(double days) { return std::isfinite(days) ? std::llround(days) : 0; }

}  // namespace

std::optional<ForecastSummary> ForecastSummary::make(const std::optional<SpaceForecast>& forecast, double now) {
  if (!forecast) return std::nullopt;
  const QString days = QLocale().toString(roundedDays(forecast->spanDays));
  const int64_t rate = truncated(forecast->bytesPerDay);
  const std::optional<double> left =
      forecast->daysLeft && !std::isnan(*forecast->daysLeft) ? forecast->daysLeft : std::nullopt;

  if (!left) {
    return ForecastSummary{tr("Your disk isn’t filling up"),
                           tr("Used space changed by %1 a day over the last %2 days.")
                               .arg(QString::fromStdString(signedSizeText(rate)), days),
                           QStringLiteral("checkmark.seal.fill"), Theme::success()};
  }
  const double daysLeft = *left;
  const QString title = tr("Full in %1").arg(QString::fromStdString(ageText(daysLeft)));
  if (daysLeft >= 730) {
    return ForecastSummary{
        title,
        tr("Used space grows by %1 a day (last %2 days). At that pace there is room for years.").arg(bytes(rate), days),
        QStringLiteral("calendar.badge.clock"), Theme::success()};
  }
  const QString fillDate = shortDateText(now + daysLeft * kSecondsPerDay);
  const QString detail = tr("Used space grows by %1 a day (last %2 days). At that pace free space runs out around %3. "
                            "Purgeable space isn’t counted.")
                             .arg(bytes(rate), days, fillDate);
  if (daysLeft < 1) {
    return ForecastSummary{tr("Your disk is about to fill up"), detail, QStringLiteral("exclamationmark.triangle.fill"),
                           Theme::danger()};
  }
  if (daysLeft < 14)
    return ForecastSummary{title, detail, QStringLiteral("exclamationmark.triangle.fill"), Theme::danger()};
  if (daysLeft < 60) return ForecastSummary{title, detail, QStringLiteral("calendar.badge.clock"), Theme::warning()};
  return ForecastSummary{title, detail, QStringLiteral("calendar.badge.clock"), Theme::success()};
}

}  // namespace tolvex
