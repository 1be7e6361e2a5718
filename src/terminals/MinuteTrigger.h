#pragma once
// Decides when the scheduler pass runs: once in each minute, on the first timer tick of a
// new minute, never while a pass is still running. Tasks are chosen by "HH:mm" and a
// performed task is due again, so a second pass in one minute would repeat them.
//
// Ticks held back (a job holds the window, or a pass is still running) raise nothing; the
// minutes that went by meanwhile are owed, and the first pass raised afterwards catches
// them up. Minutes that pass with no tick at all (the program not running) are not.

#include <QDateTime>

class MinuteTrigger
{
public:
    // The minute the window was loaded in counts as seen: tasks of that minute were the
    // business of whatever ran before.
    explicit MinuteTrigger(const QDateTime& loadedAt);

    // True when this tick must raise a pass; the minute is then taken. `held`: the window
    // is busy and the tick must raise nothing.
    bool tick(const QDateTime& now, bool held = false);
    // The minutes before its own that the pass just raised must catch up; taken once.
    qint64 takeMissedMinutes();
    void setRunning(bool running) { m_running = running; }
    bool isRunning() const { return m_running; }

private:
    qint64 m_lastMinute;
    qint64 m_missed = 0;
    bool m_owed = false;
    bool m_running = false;
};
