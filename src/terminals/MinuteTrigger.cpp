#include "MinuteTrigger.h"

#include "SchedulerPass.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace {
// Ticks come every second; a longer silence than this is a clock that jumped or a machine
// that slept, not time the window lived through.
constexpr qint64 kLongestTickGap = 2 * 60 * 1000;
// Daylight saving brings a wall minute round again an hour later; a tick may see a minute
// up to kLongestTickGap late, at either of the two.
constexpr qint64 kRepeatWindow = 60 * 60 * 1000 + kLongestTickGap;
} // namespace

MinuteTrigger::MinuteTrigger(const QDateTime& loadedAt)
    : m_lastWall(SchedulerPass::wallMinute(loadedAt)), m_lastReal(loadedAt.toMSecsSinceEpoch())
{
    m_raisedAt.insert(m_lastWall, m_elapsed);
}

bool MinuteTrigger::tick(const QDateTime& now, bool held)
{
    const qint64 wall = SchedulerPass::wallMinute(now);
    const qint64 real = now.toMSecsSinceEpoch();
    const qint64 gap = real - m_lastReal;
    m_lastReal = real;
    if (gap < 0 || gap > kLongestTickGap) {
        // Neither the gap nor what was owed before it is owed: a clock set back brings
        // those minutes round again, and one set forward, or a sleep, would otherwise run
        // tasks of days ago.
        m_owed.clear();
        m_elapsed += std::max<qint64>(gap, 0);
    } else {
        m_elapsed += gap;
        // Every wall minute the clock went through is due, also those that daylight saving
        // skips in one real minute.
        for (qint64 minute = m_lastWall + 1; minute < wall; ++minute)
            owe(minute);
    }
    if (wall != m_lastWall)
        owe(wall);
    m_lastWall = wall;
    if (held || m_running || m_owed.isEmpty())
        return false;
    for (const qint64 minute : std::as_const(m_owed))
        m_raisedAt.insert(minute, m_elapsed);
    for (auto it = m_raisedAt.begin(); it != m_raisedAt.end();)
        it = m_elapsed - it.value() >= kRepeatWindow ? m_raisedAt.erase(it) : std::next(it);
    m_due += std::exchange(m_owed, {});
    return true;
}

QVector<qint64> MinuteTrigger::takeDueMinutes()
{
    return std::exchange(m_due, {});
}

void MinuteTrigger::owe(qint64 minute)
{
    // A minute that daylight saving repeats was raised an hour ago, or is owed already.
    const auto raised = m_raisedAt.constFind(minute);
    if ((raised == m_raisedAt.cend() || m_elapsed - raised.value() >= kRepeatWindow) &&
        !m_owed.contains(minute))
        m_owed.append(minute);
}
