#include "MinuteTrigger.h"

#include "SchedulerPass.h"

#include <algorithm>
#include <utility>

MinuteTrigger::MinuteTrigger(const QDateTime& loadedAt)
    : m_lastMinute(SchedulerPass::wallMinute(loadedAt))
{
}

bool MinuteTrigger::tick(const QDateTime& now, bool held)
{
    const qint64 minute = SchedulerPass::wallMinute(now);
    if (held || m_running) {
        m_owed = m_owed || minute != m_lastMinute;
        return false;
    }
    if (minute == m_lastMinute)
        return false;
    // A clock set back owes nothing: its minutes come round again.
    m_missed = m_owed ? std::max<qint64>(minute - m_lastMinute - 1, 0) : 0;
    m_owed = false;
    m_lastMinute = minute;
    return true;
}

qint64 MinuteTrigger::takeMissedMinutes()
{
    return std::exchange(m_missed, 0);
}
