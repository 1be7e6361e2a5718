#pragma once
// "Now" for everything that acts on the time of day: the scheduler pass, file names by
// time, today's date in pickers. Tests set it; the program reads the system clock.

#include <QDateTime>

class Clock
{
public:
    static QDateTime now();
    static QDate today() { return now().date(); }
    // Fixes the clock at `when` until reset(); a test's way of choosing the moment.
    static void setNow(const QDateTime& when);
    // Moves a fixed clock on; no effect on the system clock.
    static void advance(qint64 msecs);
    static void reset();
};
