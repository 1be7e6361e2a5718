#pragma once
// The few constructs that SQL Server and SQLite spell differently.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>

class Dialect
{
public:
    enum Kind { Sqlite, SqlServer };

    explicit Dialect(Kind kind = Sqlite) : m_kind(kind) {}
    Kind kind() const { return m_kind; }

    // a + b + c, or a || b || c; NULL in any part makes the whole NULL in both.
    QString concat(const QStringList& parts) const;
    // ISNULL(expr, fallback) / IFNULL(expr, fallback)
    QString isNull(const QString& expr, const QString& fallback) const;
    // An expression read as a date-time.
    QString castDateTime(const QString& expr) const;
    // Savepoint statements inside a transaction.
    QString savepoint(const QString& name) const;
    QString rollbackToSavepoint(const QString& name) const;
    // Empty where the dialect releases savepoints with the transaction.
    QString releaseSavepoint(const QString& name) const;

    // A date or date-time as it is bound for a date column: the value itself for SQL Server,
    // whose datetime columns would read text by the login's date format (day-first logins
    // turn 2026-03-07 into 3 July), and ISO text ("yyyy-MM-dd", "yyyy-MM-dd HH:mm:ss") for
    // SQLite, which keeps dates as text that sorts and compares as written.
    QVariant dateValue(const QDate& date) const;
    QVariant dateTimeValue(const QDateTime& dateTime) const;

    // Whether a date can be compared with the dialect's day columns. SQL Server converts a
    // bound date to smalldatetime there, which holds 1900-01-01 to 2079-06-06 and raises an
    // overflow (Msg 298) for any other date; SQLite compares every date.
    bool holdsDate(const QDate& date) const;
    // Narrows the day range from..to to the dates the dialect holds, so that no bound
    // overflows. False when no day of the range is held: such a range reads nothing. A caller
    // that binds the day after `to` must not step past lastHeldDate().
    bool clampRange(QDate& from, QDate& to) const;
    QDate firstHeldDate() const;
    QDate lastHeldDate() const;

    // The personnel database's working-hour look-up, with three bound values (employee,
    // check date "yyyy-MM-dd", check time) and the result column signed_shift_id. SQL Server
    // runs its stored procedure; SQLite, which has none, answers with the same rule.
    QString workingHourQuery() const;

private:
    Kind m_kind;
};
