#pragma once
// What the open-shift pairing and its punch feed share: punch times in their two spellings,
// dates read back from either dialect, statements prepared once, and record loops run in
// stretches of one transaction each, a failing record undone alone.

#include "shell/Db.h"

#include <QDate>
#include <QSqlQuery>
#include <QString>
#include <QTime>
#include <QVariant>
#include <QVector>

#include <functional>
#include <unordered_map>

namespace PairingValues {

// "HH:mm:ss", the spelling of every time the pairing tables hold.
QString timeText(const QTime& time);
// "hh:mm:ss AM" with English AM/PM whatever the locale: midnight is "12:00:00 AM".
QString amPmText(const QTime& time);
// Reads "hh:mm:ss AM/PM" (either case, the blank before AM/PM optional) or 24-hour
// "HH:mm:ss" / "HH:mm", digits 0-9 only, blanks (isTimeBlank) around it; invalid otherwise.
QTime timeFromText(const QString& text);
// The blanks of a time text: space, TAB, LF, VT, FF, CR and no-break space. The feed's
// statements treat the same characters as blanks.
bool isTimeBlank(QChar c);
// Minutes from a to b as SQL Server's DateDiff(n) counts them: minute boundaries crossed.
int minuteBoundaries(const QTime& a, const QTime& b);

// A day read back from either dialect (QDate, QDateTime or text beginning "yyyy-MM-dd").
QDate dateOf(const QVariant& value);
// The same, or invalid where the dialect's day columns cannot hold the day (SQL Server's
// smalldatetime ends on 6 June 2079, and any statement that names a later day fails whole).
QDate heldDateOf(const Dialect& dialect, const QVariant& value);

// A pairing row counts as open while its sign-out is NULL, '', '0' or SQL Server's text of
// the zero date.
bool isOpenOutTime(const QVariant& outTime);

// Runs body as one unit: in a transaction of its own, or under a savepoint of the one
// already open. Throws what body throws, with nothing of it written.
void atomically(Db& db, const std::function<void()>& body);

} // namespace PairingValues

// Statements prepared on first use and kept for the object's life: a record loop runs the
// same few statements many thousand times.
class Statements
{
public:
    explicit Statements(Db& db) : m_db(db) {}
    Db& db() const { return m_db; }

    // Every row, read whole before the statement is let go.
    QVector<QVariantList> rows(const QString& sql, const QVariantList& params = {});
    bool exists(const QString& sql, const QVariantList& params = {});
    // First column of the first row; an invalid QVariant without a row.
    QVariant scalar(const QString& sql, const QVariantList& params = {});
    // Rows affected.
    int execute(const QString& sql, const QVariantList& params = {});
    // The key of the row inserted, where the driver tells it; invalid otherwise.
    QVariant insert(const QString& sql, const QVariantList& params = {});

private:
    QSqlQuery& run(const QString& sql, const QVariantList& params);

    Db& m_db;
    std::unordered_map<QString, QSqlQuery> m_queries;
};

// Runs records one after another in a transaction, committing every `stretch` records and
// then calling `between` (which may yield to the event loop: no transaction is open then).
// A record that fails is undone alone: the stretch, which is the whole transaction, is
// rolled back, the records before the failing one run again in a new one, are committed,
// and the error is thrown. No savepoint marks the stretch: SQLite would copy every page the
// stretch touches into its statement journal first, nor one per record, for the same
// reason. Records must therefore do the same when run again: `mark`, called as each stretch
// begins, returns what puts the caller's own state back.
class RecordRun
{
public:
    using Mark = std::function<std::function<void()>()>;

    RecordRun(Db& db, int stretch, std::function<void()> between = {}, Mark mark = {});
    ~RecordRun();
    RecordRun(const RecordRun&) = delete;
    RecordRun& operator=(const RecordRun&) = delete;

    void record(std::function<void()> body);
    // Commits the last stretch and calls `between` once more.
    void finish();

private:
    void commit();
    bool undoStretch() noexcept;

    Db& m_db;
    int m_stretch;
    std::function<void()> m_between;
    Mark m_mark;
    std::function<void()> m_restore;
    QVector<std::function<void()>> m_done; // the open stretch's records, to run again
    bool m_open = false;
};
