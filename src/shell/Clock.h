#pragma once
// "Now" for everything that acts on the time of day: the scheduler pass, file names by
// time, today's date in pickers. Tests set it; the program reads the system clock.

#include <QDateTime>

class Clock
{
public:
    static QDateTime now();
    static QDate today() { return now().date(); }
    // Milliseconds on a steady clock, from an arbitrary start: it neither follows a clock
    // that is set nor counts a machine's sleep, so it tells time lived through from a wall
    // clock that jumped. While the clock is fixed it reads a count of its own that only
    // advance() moves.
    static qint64 steadyMsecs();
    // Fixes the wall clock at `when` until reset(), as setting the system clock would: the
    // steady count does not move. A test's way of choosing the moment.
    static void setNow(const QDateTime& when);
    // Time passing on a fixed clock: moves the wall and the steady clock alike; no effect
    // on the system clock.
    static void advance(qint64 msecs);
    static void reset();
};
