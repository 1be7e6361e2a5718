#include "Clock.h"

#include <QElapsedTimer>

namespace {
QDateTime g_fixed;
qint64 g_fixedSteady = 0;

qint64 systemSteadyMsecs()
{
    static const QElapsedTimer started = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return started.elapsed();
}
} // namespace

QDateTime Clock::now() { return g_fixed.isValid() ? g_fixed : QDateTime::currentDateTime(); }

qint64 Clock::steadyMsecs() { return g_fixed.isValid() ? g_fixedSteady : systemSteadyMsecs(); }

void Clock::setNow(const QDateTime& when) { g_fixed = when; }

void Clock::advance(qint64 msecs)
{
    // An unset clock stays unset.
    g_fixed = g_fixed.addMSecs(msecs);
    g_fixedSteady += msecs;
}

void Clock::reset() { g_fixed = QDateTime(); }
