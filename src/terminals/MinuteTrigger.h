#pragma once
// Decides when the scheduler pass runs: once in each minute, on the first timer tick of a
// new minute, never while a pass is still running. Tasks are chosen by "HH:mm" and a
// performed task is due again, so a second pass in one minute would repeat them.

#include <QDateTime>

class MinuteTrigger
{
public:
    // The minute the window was loaded in counts as seen: tasks of that minute were the
    // business of whatever ran before.
    explicit MinuteTrigger(const QDateTime& loadedAt);

    // True when this tick must raise a pass; the minute is then taken.
    bool tick(const QDateTime& now);
    void setRunning(bool running) { m_running = running; }
    bool isRunning() const { return m_running; }

private:
    qint64 m_lastMinute;
    bool m_running = false;
};
