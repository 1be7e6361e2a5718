#pragma once
// What every benchmark shares: a clock, medians, the rate line each one ends with, the
// offscreen default of the screen benchmarks, and the punch rows the extraction and the USB
// import are measured against.

#include <QElapsedTimer>
#include <QVariantList>

#include <functional>
#include <vector>

class Db;

namespace Bench {

// Seconds since it was made or last restarted, on a monotonic clock.
class Stopwatch
{
public:
    Stopwatch() { m_timer.start(); }
    void restart() { m_timer.restart(); }
    double seconds() const { return double(m_timer.nsecsElapsed()) / 1e9; }
    qint64 milliseconds() const { return m_timer.elapsed(); }

private:
    QElapsedTimer m_timer;
};

// The middle value (the upper one of an even count): one slow round on a busy machine
// does not move it.
double median(std::vector<double> values);

// "<name> <unit>=N seconds=S per_s=R limit_per_s=L ratio=X", flushed at once so a run cut
// short still shows its lines; X is how many times the work's rate the limit's rate is.
// The limit may cover another count of rows than the work (the limit's own select).
void printRate(const char* name, const char* unit, qint64 count, double seconds, qint64 limitCount,
               double limitSeconds);
inline void printRate(const char* name, const char* unit, qint64 count, double seconds,
                      double limitSeconds)
{
    printRate(name, unit, count, seconds, count, limitSeconds);
}

// Screen benchmarks run offscreen unless QT_QPA_PLATFORM says otherwise; call before the
// application object is made.
void preferOffscreen();

// Fills Tbl_DeviceAttenLog and tbl_attendancelog with `count` rows (emp_id, verifymode,
// inoutmode, logdate, logtime, extractedfrom, isnew, emp_name) as `rowAt(i)` gives them: one
// prepared statement per table inside one transaction, the least any punch store must do.
void insertPunchRows(Db& db, int count, const std::function<QVariantList(int)>& rowAt);

// `count` punches of `users` users over the year before, stored earlier by terminal 2
// under `name`: what an extraction or an import has to find its way around.
void storeEarlierPunches(Db& db, int count, int users, const QVariant& name);

} // namespace Bench
