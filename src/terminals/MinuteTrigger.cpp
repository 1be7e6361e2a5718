#include "MinuteTrigger.h"

namespace {
qint64 minuteOf(const QDateTime& when)
{
    // Local wall-clock minute: tasks are set in local time.
    const QDate d = when.date();
    const QTime t = when.time();
    return (d.toJulianDay() * 24 + t.hour()) * 60 + t.minute();
}
}  // namespace

MinuteTrigger::MinuteTrigger(const QDateTime& loadedAt) : m_lastMinute(minuteOf(loadedAt)) {}

bool MinuteTrigger::tick(const QDateTime& now)
{
    if (m_running)
        return false;
    const qint64 minute = minuteOf(now);
    if (minute == m_lastMinute)
        return false;
    m_lastMinute = minute;
    return true;
}
