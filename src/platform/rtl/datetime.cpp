#include "platform/rtl/datetime.h"

#include <cmath>

namespace {
const QDate kEpoch(1899, 12, 30);
constexpr qint64 kMsPerDay = 86400000;
} // namespace

// Negative values count whole days backwards but keep the fraction as a
// positive time of day (-1.25 is 1899-12-29 06:00), as the stored format does.
QDateTime DateTimeFromTDateTime(TDateTime value)
{
    const double days = std::trunc(value);
    const double fraction = std::fabs(value - days);
    qint64 ms = std::llround(fraction * kMsPerDay);
    qint64 wholeDays = static_cast<qint64>(days);
    if (ms >= kMsPerDay) {
        ms -= kMsPerDay;
        wholeDays += value < 0 ? -1 : 1;
    }
    return QDateTime(kEpoch.addDays(wholeDays), QTime(0, 0).addMSecs(int(ms)));
}

TDateTime TDateTimeFromDateTime(const QDateTime &value)
{
    const qint64 days = kEpoch.daysTo(value.date());
    const double fraction = double(value.time().msecsSinceStartOfDay()) / kMsPerDay;
    return days >= 0 ? double(days) + fraction : double(days) - fraction;
}
