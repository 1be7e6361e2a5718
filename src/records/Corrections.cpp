#include "Corrections.h"

#include "HistoryStore.h"

#include "data/CodeTables.h"
#include "shell/DateText.h"
#include "shell/Db.h"
#include "shell/ModFunction.h"

#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <QTime>

#include <exception>

using HistoryStore::dayOf;

namespace Corrections {

namespace {

const QString kItemPoint = QStringLiteral("quorvane_correction");

// One command's transaction: each item under a savepoint, committed in chunks. When an item
// fails, it is rolled back, the items before it are committed and the error goes on to the
// caller. `committed` always counts the items that stand.
class ItemTransaction
{
public:
    ItemTransaction(Db& db, int& committed)
        : m_db(db), m_committed(committed), m_set(db.prepare(db.dialect().savepoint(kItemPoint))),
          m_rollback(db.prepare(db.dialect().rollbackToSavepoint(kItemPoint))),
          m_hasRelease(!db.dialect().releaseSavepoint(kItemPoint).isEmpty())
    {
        m_committed = 0;
        if (m_hasRelease)
            m_release = db.prepare(db.dialect().releaseSavepoint(kItemPoint));
        m_db.beginTransaction();
    }
    ~ItemTransaction() { m_db.rollback(); }
    ItemTransaction(const ItemTransaction&) = delete;
    ItemTransaction& operator=(const ItemTransaction&) = delete;

    template <typename Body> void item(Body&& body)
    {
        if (!m_db.inTransaction())
            m_db.beginTransaction();
        Db::run(m_set);
        try {
            body();
            if (m_hasRelease)
                Db::run(m_release);
        } catch (...) {
            keepEarlierItems();
            throw;
        }
        ++m_pending;
    }

    int pending() const { return m_pending; }

    // Commits the items so far; the next item opens a new transaction.
    void commit()
    {
        if (!m_db.inTransaction())
            return;
        m_db.commit();
        m_committed += m_pending;
        m_pending = 0;
    }

private:
    void keepEarlierItems() noexcept
    {
        try {
            Db::run(m_rollback);
            if (m_hasRelease)
                Db::run(m_release);
            commit();
        } catch (...) {
            // The transaction itself is gone: nothing since the last commit stands.
            m_db.rollback();
            m_pending = 0;
        }
    }

    Db& m_db;
    int& m_committed;
    QSqlQuery m_set;
    QSqlQuery m_rollback;
    QSqlQuery m_release;
    bool m_hasRelease;
    int m_pending = 0;
};

// Rows read whole and the query let go, so that no open cursor holds the connection (SQL
// Server runs one statement at a time on it) or spans a commit.
template <typename Row> void readAll(QSqlQuery& query, Row&& row)
{
    while (query.next())
        row(query);
    query.finish();
}

// Working-hour ids by employee and weekday, read once per command run.
class WorkingHours
{
public:
    explicit WorkingHours(Db& db)
        : m_query(db.prepare(
              QStringLiteral("Select Work_ID From Tbl_Org_WorkingHrs Inner Join Tbl_Org_Working_Hrs"
                             " On Tbl_Org_WorkingHrs.WorkHOur_ID=Tbl_Org_Working_Hrs.Work_ID"
                             " Where Emp_ID=? AND DAY_ID=? Order By Work_ID")))
    {
    }

    int idFor(int empId, const QDate& day)
    {
        const int weekday = day.dayOfWeek() % 7 + 1; // Sunday 1 to Saturday 7
        int id = lookUp(empId, weekday);
        if (id < 0)
            id = lookUp(0, weekday);
        if (id < 0)
            throw DbError(3021, QStringLiteral("No working hours for employee %1 on %2: neither "
                                               "the employee nor the organisation's default "
                                               "has working hours for that weekday.")
                                    .arg(empId)
                                    .arg(day.toString(QStringLiteral("yyyy/MM/dd"))));
        return id;
    }

private:
    int lookUp(int empId, int weekday)
    {
        const qint64 key = qint64(empId) * 8 + weekday;
        const auto cached = m_cache.constFind(key);
        if (cached != m_cache.constEnd())
            return *cached;
        Db::run(m_query, {empId, weekday});
        const int id = m_query.next() ? m_query.value(0).toInt() : -1;
        m_query.finish();
        m_cache.insert(key, id);
        return id;
    }

    QSqlQuery m_query;
    QHash<qint64, int> m_cache;
};

struct DayKey
{
    int empId;
    QDate day;
};

QVector<DayKey> readDays(Db& db, const QString& sql, const QDate& from, const QDate& to)
{
    QVector<DayKey> days;
    const QVariantList range = dayRange(db.dialect(), from, to);
    if (range.isEmpty())
        return days;
    QSqlQuery q = db.exec(sql, range);
    readAll(q, [&](QSqlQuery& r) { days.append(DayKey{r.value(0).toInt(), dayOf(r.value(1))}); });
    return days;
}

} // namespace

// An empty text, not a null one: written to the database it stays '' rather than NULL.
QString GetVerifyMode(const QVariant& verifyMode)
{
    return verifyMode.isNull() ? QStringLiteral("") : VerifyModeNames::name(verifyMode.toInt());
}

QString GetInOutMode(const QVariant& inOutMode)
{
    return inOutMode.isNull() ? QStringLiteral("") : InOutModeNames::name(inOutMode.toInt());
}

int GetVerifyCode(const QString& verifyText)
{
    if (verifyText == QLatin1String("Card"))
        return 0;
    return 1;
}

QVariantList dayRange(const Dialect& dialect, QDate from, QDate to)
{
    if (!dialect.clampRange(from, to))
        return {};
    return {dialect.dateValue(from), dialect.dateValue(to)};
}

int workingHourId(Db& db, int empId, const QDate& day)
{
    return WorkingHours(db).idFor(empId, day);
}

void signIn(Db& db, int empId, const QVector<Item>& items, int& committed, QVector<int>* refused)
{
    const Dialect& dialect = db.dialect();
    ItemTransaction t(db, committed);
    WorkingHours hours(db);
    QSqlQuery find = db.prepare(QStringLiteral(
        "Select TDATE_OUT, OUTTIME From Tbl_Emp_Attn_Log_General Where TDATE=? And EMP_ID=?"));
    QSqlQuery insert = db.prepare(QStringLiteral(
        "Insert into Tbl_Emp_Attn_Log_General(EMP_ID,WORKHOUR_ID,TDATE,INTIME,INMODE,COUNTER)"
        " Values(?,?,?,?,?,1)"));
    QSqlQuery pairing = db.prepare(QStringLiteral(
        "Insert into Tbl_Emp_Attn_Log_Temp(Emp_Id,TDate,INTime,Verify,counter) Values(?,?,?,?,1)"));
    QSqlQuery update = db.prepare(QStringLiteral(
        "Update Tbl_Emp_Attn_Log_General Set INTIME=?, INMODE=? Where EMP_ID=? AND TDATE=?"));
    for (int i = 0; i < items.size(); ++i) {
        const Item& item = items[i];
        t.item([&] {
            const QVariant day = dialect.dateValue(item.day);
            const QString verify = GetVerifyMode(item.verifyMode);
            // Times are read, not compared as text: a pair still open may hold '0' there.
            const QTime in = QTime::fromString(item.time, QStringLiteral("H:mm:ss"));
            bool found = false;
            bool afterSignOut = false;
            Db::run(find, {day, empId});
            readAll(find, [&](QSqlQuery& r) {
                found = true;
                const QDate outDay = dayOf(r.value(0)); // none: signed out the same day
                const QTime out =
                    QTime::fromString(r.value(1).toString(), QStringLiteral("H:mm:ss"));
                if (!(outDay > item.day) && in.isValid() && out.isValid() && in > out)
                    afterSignOut = true;
            });
            if (afterSignOut) {
                if (refused)
                    refused->append(i);
                return;
            }
            if (found) {
                Db::run(update, {item.time, verify, empId, day});
                return;
            }
            const int workHour = hours.idFor(empId, item.day);
            Db::run(insert, {empId, workHour, day, item.time, verify});
            Db::run(pairing, {empId, day, item.time, GetVerifyCode(verify)});
        });
    }
    t.commit();
}

void signOut(Db& db, int empId, const QVector<Item>& items, const QDate& signInDay, int counter,
             SignOutOutcome& outcome)
{
    outcome = {};
    const QVariant day = db.dialect().dateValue(signInDay);
    int committed = 0;
    ItemTransaction t(db, committed);
    QSqlQuery update = db.prepare(QStringLiteral(
        "Update Tbl_Emp_Attn_Log_General Set TDATE_OUT=?, OUTTIME=?, OUTMODE=?, COUNTER=?"
        " Where EMP_ID=? AND TDATE=?"));
    QVector<int> assigned;
    try {
        // Read once: a sign-out written changes neither which rows the day has nor their
        // sign-ins, so the day answers every item alike.
        bool found = false;
        QString firstIn;
        QSqlQuery find =
            db.exec(QStringLiteral(
                        "Select INTIME From Tbl_Emp_Attn_Log_General Where EMP_ID=? AND TDATE=?"),
                    {empId, day});
        readAll(find, [&](QSqlQuery& r) {
            found = true;
            const QString in = r.value(0).toString();
            if (!in.isEmpty() && (firstIn.isEmpty() || in < firstIn))
                firstIn = in;
        });
        for (int i = 0; i < items.size(); ++i) {
            const Item& item = items[i];
            if (!found) {
                outcome.unmatched.append(i);
                continue;
            }
            if (item.day < signInDay ||
                (item.day == signInDay && !firstIn.isEmpty() && item.time < firstIn)) {
                outcome.refused.append(i);
                continue;
            }
            if (item.day > signInDay.addDays(SignOutDaysAfterSignIn)) {
                outcome.late.append(i);
                continue;
            }
            t.item([&] {
                Db::run(update, {db.dialect().dateValue(item.day), item.time,
                                 GetVerifyMode(item.verifyMode), counter, empId, day});
            });
            assigned.append(i);
        }
        t.commit();
    } catch (...) {
        outcome.assigned = assigned.mid(0, committed);
        throw;
    }
    outcome.assigned = assigned;
}

void pairRange(Db& db, const QVector<int>& employees, const QDate& from, const QDate& to,
               int& committed)
{
    const Dialect& dialect = db.dialect();
    struct Punch
    {
        int empId;
        QDate day;
        QString time;
        QVariant verifyMode;
    };
    QVector<Punch> punches;
    // A day the day rows cannot hold is not paired: its row could not be written.
    if (const QVariantList range = dayRange(dialect, from, to); !range.isEmpty()) {
        // Equal punches come together in this order and are counted once; asked to
        // collapse them, SQLite would sort every punch of the range twice.
        QSqlQuery q =
            db.exec(QStringLiteral("Select Emp_ID, LogDate, LogTime, VerifyMode"
                                   " From Tbl_DeviceAttenLog Where LogDate Between ? And ?"
                                   " Order By Emp_ID, LogDate, LogTime, VerifyMode"),
                    range);
        QVariant lastDate;
        readAll(q, [&](QSqlQuery& r) {
            Punch p{r.value(0).toInt(), QDate(), r.value(2).toString(), r.value(3)};
            const QVariant date = r.value(1);
            const bool sameDay =
                !punches.isEmpty() && punches.last().empId == p.empId && date == lastDate;
            if (sameDay && punches.last().time == p.time &&
                punches.last().verifyMode == p.verifyMode)
                return;
            p.day = sameDay ? punches.last().day : dayOf(date);
            lastDate = date;
            punches.append(p);
        });
    }
    // Where each employee's punches begin and end.
    QHash<int, QPair<int, int>> spans;
    for (int i = 0; i < punches.size();) {
        int end = i;
        while (end < punches.size() && punches[end].empId == punches[i].empId)
            ++end;
        spans.insert(punches[i].empId, {i, end});
        i = end;
    }

    ItemTransaction t(db, committed);
    WorkingHours hours(db);
    QSqlQuery remove = db.prepare(
        QStringLiteral("Delete From Tbl_Emp_Attn_Log_General Where EMP_ID=? and TDATE=?"));
    QSqlQuery signInOnly = db.prepare(QStringLiteral(
        "Insert into Tbl_Emp_Attn_Log_General(EMP_ID,WORKHOUR_ID,TDATE,INTIME,INMODE)"
        " Values(?,?,?,?,?)"));
    QSqlQuery pair = db.prepare(QStringLiteral(
        "Insert into Tbl_Emp_Attn_Log_General(EMP_ID,WORKHOUR_ID,TDATE,INTIME,INMODE,OUTTIME,"
        "OUTMODE) Values(?,?,?,?,?,?,?)"));
    for (const int empId : employees) {
        const auto span = spans.constFind(empId);
        if (span == spans.constEnd())
            continue;
        for (int first = span->first; first < span->second;) {
            int last = first;
            while (last + 1 < span->second && punches[last + 1].day == punches[first].day)
                ++last;
            const Punch& in = punches[first];
            const Punch& out = punches[last];
            t.item([&] {
                const QVariant day = dialect.dateValue(in.day);
                const int workHour = hours.idFor(empId, in.day);
                Db::run(remove, {empId, day});
                if (first == last)
                    Db::run(signInOnly,
                            {empId, workHour, day, in.time, GetVerifyMode(in.verifyMode)});
                else
                    Db::run(pair, {empId, workHour, day, in.time, GetVerifyMode(in.verifyMode),
                                   out.time, GetVerifyMode(out.verifyMode)});
            });
            first = last + 1;
        }
    }
    t.commit();
}

namespace {

// The loop of the two fill commands: one row per employee and day, the latest matching
// punch of that day read and written, a commit every RowsPerCommit days, progress after it.
// `store` returns whether the day's rows changed; `stored` is called for each such day once
// it is committed, outside the transaction.
void fillDays(Db& db, const QVector<DayKey>& days, const Progress& progress, int& committed,
              const std::function<bool(const DayKey&)>& store,
              const std::function<void(const DayKey&)>& stored)
{
    ItemTransaction t(db, committed);
    QVector<int> changed; // indexes of days changed since the last commit
    int committedBefore = 0;
    auto announce = [&] {
        for (const int i : std::as_const(changed))
            stored(days[i]);
        changed.clear();
        committedBefore = committed;
    };
    try {
        for (int i = 0; i < days.size(); ++i) {
            t.item([&] {
                if (store(days[i]))
                    changed.append(i);
            });
            if (t.pending() >= RowsPerCommit) {
                t.commit();
                announce();
                if (progress)
                    progress(days[i].empId);
            }
        }
        t.commit();
        announce();
        if (progress && !days.isEmpty())
            progress(days.last().empId);
    } catch (...) {
        // The days before the failing one were committed with it, unless the transaction
        // itself was lost.
        if (committed > committedBefore)
            announce();
        throw;
    }
}

} // namespace

void makeOut(Db& db, const QDate& from, const QDate& to, const Progress& progress, int& committed)
{
    const Dialect& dialect = db.dialect();
    const QVector<DayKey> days = readDays(
        db,
        QStringLiteral("Select Distinct EMP_ID, TDATE From Tbl_Emp_Attn_Log_General"
                       " Where INTIME<>'' AND TDATE Between ? And ? Order By EMP_ID, TDATE"),
        from, to);
    // Distinct punches and the latest are found here: asked to sort or collapse them,
    // SQLite walks the whole day of every employee through the date-and-time index instead
    // of the employee's own.
    QSqlQuery punches = db.prepare(
        QStringLiteral("Select LogDate, LogTime, VerifyMode, ExtractedFrom From Tbl_DeviceAttenLog"
                       " Where (InOutMode=0 OR InOutMode=-1) And LogDate=? And Emp_ID=?"));
    QSqlQuery update = db.prepare(QStringLiteral(
        "Update Tbl_Emp_Attn_Log_General Set OUTTIME=?, TDATE_OUT=?, OUTMODE=?, SignOutBranch=?"
        " Where EMP_ID=? And TDATE=? And INTIME<>'' And INTIME<?"));
    fillDays(
        db, days, progress, committed,
        [&](const DayKey& d) {
            const QVariant day = dialect.dateValue(d.day);
            QSet<QString> times; // a punch stored twice counts once
            QVariantList last;
            Db::run(punches, {day, d.empId});
            readAll(punches, [&](QSqlQuery& r) {
                times.insert(r.value(1).toString());
                if (last.isEmpty() || r.value(1).toString() > last[1].toString())
                    last = {r.value(0), r.value(1), r.value(2), r.value(3)};
            });
            if (times.size() < 2)
                return false;
            const QString time = last[1].toString();
            Db::run(update, {time, dialect.dateValue(dayOf(last[0])), GetVerifyMode(last[2]),
                             last[3], d.empId, day, time});
            return update.numRowsAffected() > 0;
        },
        [](const DayKey&) {});
}

void fillMissingSignOuts(Db& db, const QDate& from, const QDate& to, const Progress& progress,
                         int& committed)
{
    const Dialect& dialect = db.dialect();
    const QVector<DayKey> days =
        readDays(db,
                 QStringLiteral("Select Distinct EMP_ID, TDATE From Tbl_Emp_Attn_Log_General"
                                " Where TDATE Between ? And ? and (OUTTIME='' or OUTTIME IS NULL)"
                                " Order By EMP_ID, TDATE"),
                 from, to);
    QSqlQuery punches =
        db.prepare(QStringLiteral("Select LogDate, LogTime, VerifyMode From Tbl_DeviceAttenLog"
                                  " Where Emp_ID=? And InOutMode=1 And LogDate=?"));
    QSqlQuery update = db.prepare(
        QStringLiteral("Update Tbl_Emp_Attn_Log_General Set OUTTIME=?, OUTMODE=?, TDATE_OUT=?"
                       " Where EMP_ID=? And TDATE=? And (OUTTIME='' or OUTTIME IS NULL)"
                       " And (INTIME IS NULL Or INTIME<?)"));
    // The log line of each changed day and the rows it closed, by employee and day.
    QHash<qint64, QPair<QString, int>> lines;
    auto key = [](const DayKey& d) { return qint64(d.empId) << 32 | quint32(d.day.toJulianDay()); };
    fillDays(
        db, days, progress, committed,
        [&](const DayKey& d) {
            const QVariant day = dialect.dateValue(d.day);
            QVariantList last;
            Db::run(punches, {d.empId, day});
            readAll(punches, [&](QSqlQuery& r) {
                if (last.isEmpty() || r.value(1).toString() > last[1].toString())
                    last = {r.value(0), r.value(1), r.value(2)};
            });
            if (last.isEmpty())
                return false;
            const QDate punchDay = dayOf(last[0]);
            const QString time = last[1].toString();
            Db::run(update, {time, GetVerifyMode(last[2]), dialect.dateValue(punchDay), d.empId,
                             day, time});
            const int closed = update.numRowsAffected();
            if (closed <= 0)
                return false;
            lines.insert(key(d), {QString(7, QLatin1Char(' ')) + shortDateText(punchDay) +
                                      QString(6, QLatin1Char(' ')) + time +
                                      QStringLiteral(" Updated."),
                                  closed});
            return true;
        },
        [&](const DayKey& d) {
            // One line per row closed, as each row is a sign-in of its own.
            const QPair<QString, int> line = lines.take(key(d));
            const QString text = GetEmployeeName(d.empId) + QStringLiteral(" (") +
                                 QString::number(d.empId) + QLatin1Char(')') + line.first;
            for (int row = 0; row < line.second; ++row)
                WriteSchedulerLog(text);
        });
}

int clearLog(Db& db, int empId, const QDate& from, const QDate& to)
{
    return db.execute(QStringLiteral("Delete From Tbl_DeviceAttenLog Where Emp_ID=? AND LOGDATE "
                                     "Between ? AND ?"),
                      {empId, db.dialect().dateValue(from), db.dialect().dateValue(to)});
}

} // namespace Corrections
