#pragma once
// Values the open-shift pairing and its punch feed read and write: punch times in their two
// spellings, dates bound the way the dialect reads them, and a stretch of records run in
// one transaction with a savepoint each.

#include "shell/Db.h"

#include <QDate>
#include <QString>
#include <QTime>
#include <QVariant>

#include <functional>

namespace PairingValues {

// "HH:mm:ss", the spelling of every time the pairing tables hold.
QString timeText(const QTime& time);
// "hh:mm:ss AM" with English AM/PM whatever the locale: midnight is "12:00:00 AM".
QString amPmText(const QTime& time);
// Reads "hh:mm:ss AM/PM" (either case) or 24-hour "HH:mm:ss" / "HH:mm"; invalid otherwise.
QTime timeFromText(const QString& text);
// Minutes from a to b as SQL Server's DateDiff(n) counts them: minute boundaries crossed.
int minuteBoundaries(const QTime& a, const QTime& b);

// A day bound as the dialect reads it: a QDate for SQL Server, "yyyy-MM-dd" for SQLite.
QVariant dateValue(const Db& db, const QDate& date);
// A day read back from either dialect (QDate, QDateTime or text beginning "yyyy-MM-dd").
QDate dateOf(const QVariant& value);

// A pairing row counts as open while its sign-out is NULL, '', '0' or SQL Server's text of
// the zero date.
bool isOpenOutTime(const QVariant& outTime);

// Runs body as one unit: in a transaction of its own, or under a savepoint of the one
// already open. Throws what body throws, with nothing of it written.
void atomically(Db& db, const std::function<void()>& body);

} // namespace PairingValues

// Runs records one after another in a transaction, each under a savepoint, committing every
// `stretch` records and then calling `between` (which may yield to the event loop: no
// transaction is open then). A record that fails is rolled back alone; those before it are
// committed and the error is thrown.
class RecordRun
{
public:
    RecordRun(Db& db, int stretch, std::function<void()> between = {});
    ~RecordRun();
    RecordRun(const RecordRun&) = delete;
    RecordRun& operator=(const RecordRun&) = delete;

    void record(const std::function<void()>& body);
    // Commits the last stretch and calls `between` once more.
    void finish();

private:
    void begin();
    void commit();

    Db& m_db;
    int m_stretch;
    std::function<void()> m_between;
    int m_inStretch = 0;
    bool m_open = false;
};
