#include "MinuteTrigger.h"

#include "shell/Clock.h"

#include <algorithm>
#include <utility>

namespace {
// How far the wall clock may run from the steady one over a gap and still be the same
// time lived through (the wall clock is slewed, the timer fires late).
constexpr qint64 kSlack = 2 * 60 * 1000;
// Daylight saving brings a wall minute round again an hour later; a tick may see a minute
// up to kSlack late, at either of the two.
constexpr qint64 kRepeatWindow = 60 * 60 * 1000 + kSlack;
constexpr qint64 kMinute = 60 * 1000;
} // namespace

MinuteTrigger::MinuteTrigger(const QDateTime& loadedAt)
    : m_lastWall(SchedulerPass::wallMinute(loadedAt)), m_lastReal(loadedAt.toMSecsSinceEpoch()),
      m_lastSteady(Clock::steadyMsecs())
{
    m_raisedAt.insert(m_lastWall, m_lastSteady);
}

bool MinuteTrigger::tick(const QDateTime& now, bool held)
{
    const qint64 wall = SchedulerPass::wallMinute(now);
    const qint64 steady = Clock::steadyMsecs();
    const qint64 wallGap = now.toMSecsSinceEpoch() - m_lastReal;
    const qint64 since = m_lastSteady;
    m_lastReal = now.toMSecsSinceEpoch();
    m_lastSteady = steady;
    // The steady moment the current wall minute began, as far as time lived through says.
    const qint64 minuteBegan =
        std::max(since, steady - now.time().msecsSinceStartOfDay() % kMinute);
    if (wallGap >= 0 && qAbs(wallGap - (steady - since)) <= kSlack) {
        for (qint64 minute = m_lastWall + 1; minute < wall; ++minute)
            owe(minute, std::max(since, minuteBegan - (wall - minute) * kMinute));
    }
    if (wall != m_lastWall)
        owe(wall, minuteBegan);
    m_lastWall = wall;
    if (held || m_running || m_owed.isEmpty())
        return false;
    for (const auto& owed : std::as_const(m_owed))
        m_raisedAt.insert(owed.minute, steady);
    m_raisedAt.removeIf([steady](QHash<qint64, qint64>::iterator it) {
        return steady - it.value() >= kRepeatWindow;
    });
    m_due += std::exchange(m_owed, {});
    return true;
}

QVector<SchedulerPass::OwedMinute> MinuteTrigger::takeDueMinutes()
{
    return std::exchange(m_due, {});
}

void MinuteTrigger::owe(qint64 minute, qint64 dueAt)
{
    // A minute that daylight saving repeats was raised an hour ago. One owed twice before a
    // pass (a clock set back into it) runs its tasks once: the pass takes each task once.
    const auto raised = m_raisedAt.constFind(minute);
    if (raised == m_raisedAt.cend() || m_lastSteady - raised.value() >= kRepeatWindow)
        m_owed.append({minute, dueAt});
}
