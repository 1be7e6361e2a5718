#pragma once
// Decides when the scheduler pass runs: once in each minute, on the first timer tick of a
// new minute, never while a pass is still running. Tasks are chosen by "HH:mm" and a
// performed task is due again, so a second pass in one minute would repeat them.
//
// Ticks held back (a job holds the window, or a pass is still running) raise nothing; the
// minutes that went by meanwhile are owed, and the first pass raised afterwards catches
// them up. Minutes that pass with no tick at all (the program not running) are not.
//
// Each gap between ticks is measured twice: on the wall clock and on the steady clock
// (Clock::steadyMsecs). Where the two agree within two minutes, the gap is time the window
// lived through, however long it stalled (a long listing, a box waiting for a click): it
// owes every wall minute it crossed, also those that daylight saving skips. Where they part
// further, or the wall clock went back, the clock jumped (it was set, or the machine slept):
// the span it jumped owes nothing, and what was owed before it stays owed. A wall minute
// raised within the last hour of real time is not raised again: the hour that daylight
// saving repeats, a clock set back a little. How late an owed minute's tasks may still run
// is the pass's business; each minute carries the steady moment it came.

#include "SchedulerPass.h"

#include <QDateTime>
#include <QHash>
#include <QVector>

class MinuteTrigger
{
public:
    // The minute the window was loaded in counts as seen: tasks of that minute were the
    // business of whatever ran before.
    explicit MinuteTrigger(const QDateTime& loadedAt);

    // True when this tick, on the wall clock at `now` and the steady clock as Clock reads
    // it, must raise a pass; the minutes due are then taken. `held`: the window is busy and
    // the tick must raise nothing.
    bool tick(const QDateTime& now, bool held = false);
    // The owed minutes whose tasks the pass just raised must run, in the order the ticks
    // met them; taken once.
    QVector<SchedulerPass::OwedMinute> takeDueMinutes();
    void setRunning(bool running) { m_running = running; }
    bool isRunning() const { return m_running; }

private:
    void owe(qint64 minute, qint64 dueAt);

    qint64 m_lastWall;
    qint64 m_lastReal;
    qint64 m_lastSteady;
    QVector<SchedulerPass::OwedMinute> m_owed;
    QVector<SchedulerPass::OwedMinute> m_due;
    QHash<qint64, qint64> m_raisedAt; // wall minute -> steady moment it was raised
    bool m_running = false;
};
