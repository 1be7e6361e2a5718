#pragma once
// Decides when the scheduler pass runs: once in each minute, on the first timer tick of a
// new minute, never while a pass is still running. Tasks are chosen by "HH:mm" and a
// performed task is due again, so a second pass in one minute would repeat them.
//
// Ticks held back (a job holds the window, or a pass is still running) raise nothing; the
// minutes that went by meanwhile are owed, and the first pass raised afterwards catches
// them up. Minutes that pass with no tick at all (the program not running) are not.
//
// Only real time counts as minutes passing. A gap of more than two minutes between two
// ticks (a machine that slept, a clock set forward) or a clock set back owes nothing. When
// daylight saving moves the wall clock an hour within one real minute, the wall minutes it
// skips are owed. A wall minute raised within the last hour of real time is not raised
// again: the hour that daylight saving repeats, a clock set back a little.

#include <QDateTime>
#include <QHash>
#include <QVector>

class MinuteTrigger
{
public:
    // The minute the window was loaded in counts as seen: tasks of that minute were the
    // business of whatever ran before.
    explicit MinuteTrigger(const QDateTime& loadedAt);

    // True when this tick must raise a pass; the minutes due are then taken. `held`: the
    // window is busy and the tick must raise nothing.
    bool tick(const QDateTime& now, bool held = false);
    // The wall minutes (SchedulerPass::wallMinute) whose tasks the pass just raised must
    // run, in the order the ticks met them; taken once.
    QVector<qint64> takeDueMinutes();
    void setRunning(bool running) { m_running = running; }
    bool isRunning() const { return m_running; }

private:
    void owe(qint64 minute);

    qint64 m_lastWall;
    qint64 m_lastReal;
    // Real time lived through by the ticks, in ms: never back, so a clock set back cannot
    // make a minute raised a moment ago look old.
    qint64 m_elapsed = 0;
    QVector<qint64> m_owed;
    QVector<qint64> m_due;
    QHash<qint64, qint64> m_raisedAt; // wall minute -> m_elapsed when raised
    bool m_running = false;
};
