#include "Clock.h"

namespace {
QDateTime g_fixed;
}

QDateTime Clock::now() { return g_fixed.isValid() ? g_fixed : QDateTime::currentDateTime(); }

void Clock::setNow(const QDateTime& when) { g_fixed = when; }

void Clock::advance(qint64 msecs)
{
    if (g_fixed.isValid())
        g_fixed = g_fixed.addMSecs(msecs);
}

void Clock::reset() { g_fixed = QDateTime(); }
