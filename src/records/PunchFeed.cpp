#include "PunchFeed.h"

#include "PairingValues.h"
#include "shell/Db.h"

#include <QSqlQuery>
#include <QVector>

#include <algorithm>
#include <numeric>
#include <tuple>

using namespace PairingValues;

namespace {
// Punches before this day are not fed to the pairing.
const QDate kFeedStart(2008, 11, 10);

// A punch to copy: as stored, and as the copy writes it (empty when it is no date and time).
struct Copy
{
    QVariant emp;
    QVariant inOut;
    QVariant verify;
    QVariant storedDate;
    QVariant storedTime;
    QString date;
    QString time;
    QDate day; // as read, to number the copies by
    QTime at;
    qint64 indx = 0;
    qint64 empOrder = 0; // the employee as a number, read once for the sort
};

// The punches of the source with no copy yet: the same employee, codes, day and time. A time
// spelled "HH:mm:ss", as the program stores every punch, is looked up as it stands and in the
// AM/PM spelling the feed writes; the backup table's index on employee, day and time answers
// each look-up, so neither table's history is read into memory; one look-up per spelling, as
// SQLite would otherwise build an IN list for every punch. A time another writer spelled
// otherwise ("8:05:00", "09:10", "5:00pm", a TAB before it, a CR after it) is brought to
// "HH:mm:ss" as timeFromText reads it, by the nested selects, and looked up in the same two
// spellings; only punches the first look-ups leave reach them. A time neither reads makes no
// copy match, and the punch comes back to be refused in its turn: the two must read the
// same texts, or a time only timeFromText reads would be copied again on every call. SQLite
// compares a date column with a text column as numbers, past the index, unless the date is cast to
// text.
QString uncopiedPunches(const Dialect& dialect)
{
    const bool server = dialect.kind() == Dialect::SqlServer;
    const QString cat = server ? QStringLiteral(" + ") : QStringLiteral(" || ");
    // SQL Server's LIKE ranges follow the collation, in which "²" may sort among the digits:
    // the binary one keeps them to 0-9. Its code page may also turn other characters into
    // 0-9 (full-width digits), so every digit read is taken from the text under that same
    // collation, and the CASTs the guards keep to 0-9 cannot fail. (TRY_CAST would need no
    // guard, but servers before SQL Server 2012 refuse it.)
    auto binary = [&](const QString& text) {
        return server ? "(" + text + " COLLATE Latin1_General_BIN)" : text;
    };
    auto matches = [&](const QString& text, const char* pattern) {
        return text + (server ? QStringLiteral(" LIKE '") : QStringLiteral(" GLOB '")) +
               QLatin1String(pattern) + QLatin1Char('\'');
    };
    // Of an "HH:mm:ss" text: the hour's two digits, compared as text (the whole text would
    // meet the server's blank padding of '12', which a collation may sort either way); the
    // hour as a number; and ":mm:ss".
    auto hourText = [&](const QString& hms) {
        return (server ? "LEFT(" : "substr(") + hms + (server ? ", 2)" : ", 1, 2)");
    };
    auto hour = [&](const QString& hms) {
        return "CAST(" + hourText(hms) + (server ? " AS int)" : " AS INTEGER)");
    };
    auto minutes = [&](const QString& hms) {
        return (server ? "SUBSTRING(" : "substr(") + hms + ", 3, 6)";
    };
    auto twoDigits = [&](const QString& number) {
        return server ? "RIGHT('0' + CAST(" + number + " AS varchar(2)), 2)"
                      : "printf('%02d', " + number + ")";
    };
    auto amPm = [&](const QString& hms) {
        return twoDigits("(" + hour(hms) + " + 11) % 12 + 1") + cat + minutes(hms) + cat +
               "CASE WHEN " + hourText(hms) + " < '12' THEN ' AM' ELSE ' PM' END";
    };
    const QString same = server ? QStringLiteral("(b.%1 = d.%1 OR (b.%1 IS NULL AND d.%1 IS NULL))")
                                : QStringLiteral("b.%1 IS d.%1");
    const QString day = server ? QStringLiteral("CONVERT(varchar(10), d.LogDate, 120)")
                               : QStringLiteral("CAST(d.LogDate AS TEXT)");
    auto notCopied = [&](const QString& time) {
        return "NOT EXISTS (SELECT 1 FROM Tbl_Emp_Attn_Log_Temp_Bck b WHERE b.EmpID = d.Emp_ID "
               "AND b.logDate = " +
               day + " AND b.LogTime = " + time + " AND " + same.arg(QStringLiteral("InOutMode")) +
               " AND " + same.arg(QStringLiteral("VerifyMode")) + ")";
    };
    // A time made from the binary text is compared with the copies in the column's own
    // collation: two collations, each a column's, would not compare at all (Msg 468).
    auto madeCopied = [&](const QString& time) {
        return notCopied(server ? "(" + time + ") COLLATE DATABASE_DEFAULT" : time);
    };
    const QString stored = binary(QStringLiteral("d.LogTime"));
    const QString plain = "(" + matches(stored, "[0-2][0-9]:[0-5][0-9]:[0-5][0-9]") + " AND " +
                          hourText(stored) + " < '24')";
    // The blanks timeFromText skips (isTimeBlank): spaces before it trims, on the server,
    // where LTRIM and RTRIM know no other blank before SQL Server 2022.
    QString spaced = stored;
    if (server)
        for (const int blank : {9, 10, 11, 12, 13, 160})
            spaced = QStringLiteral("REPLACE(%1, CHAR(%2), ' ')").arg(spaced).arg(blank);
    const QString blanks = QStringLiteral("' ' || char(9, 10, 11, 12, 13, 160)");
    const QString fresh = "SELECT d.Emp_ID, d.InOutMode, d.VerifyMode, d.LogDate, d.LogTime, " +
                          (server ? "UPPER(LTRIM(RTRIM(" + spaced + ")))"
                                  : "upper(trim(d.LogTime, " + blanks + "))") +
                          " AS v FROM Tbl_DeviceAttenLog d WHERE d.LogDate >= ? AND " +
                          madeCopied("CASE WHEN " + plain + " THEN " + amPm(stored) + " END") +
                          " AND " + notCopied(QStringLiteral("d.LogTime"));
    // The other spellings, step by step: the AM/PM ending split off, the hour made two digits
    // and the seconds added, and the AM/PM hour made a 24-hour one (NULL for no time).
    const QString ending = server ? QStringLiteral("RIGHT(v, 2)") : QStringLiteral("substr(v, -2)");
    const QString halves = "SELECT *, CASE WHEN " + ending + " IN ('AM', 'PM') THEN " + ending +
                           " ELSE '' END AS half, CASE WHEN " + ending + " IN ('AM', 'PM') THEN " +
                           (server ? QStringLiteral("RTRIM(LEFT(v, LEN(v) - 2))")
                                   : "rtrim(substr(v, 1, length(v) - 2), " + blanks + ")") +
                           " ELSE v END AS core FROM (" + fresh + ") d";
    auto shape = [&](const char* pattern, const QString& hms) {
        return " WHEN " + matches(binary(QStringLiteral("core")), pattern) + " THEN " + hms;
    };
    const QString padded = "SELECT *, CASE" +
                           shape("[0-9]:[0-5][0-9]", "'0'" + cat + "core" + cat + "':00'") +
                           shape("[0-9][0-9]:[0-5][0-9]", "core" + cat + "':00'") +
                           shape("[0-9]:[0-5][0-9]:[0-5][0-9]", "'0'" + cat + "core") +
                           shape("[0-9][0-9]:[0-5][0-9]:[0-5][0-9]", QStringLiteral("core")) +
                           " END AS hms FROM (" + halves + ") d";
    const QString hms = QStringLiteral("hms");
    const QString read = "SELECT *, CASE WHEN half = '' THEN CASE WHEN " + hourText(hms) +
                         " < '24' THEN hms END WHEN " + hourText(hms) +
                         " BETWEEN '01' AND '12' THEN " +
                         twoDigits(hour(hms) + " % 12 + CASE half WHEN 'PM' THEN 12 ELSE 0 END") +
                         cat + minutes(hms) + " END AS t24 FROM (" + padded + ") d";
    return "SELECT DISTINCT Emp_ID, InOutMode, VerifyMode, LogDate, LogTime FROM (" + read +
           ") d WHERE " + plain + " OR t24 IS NULL OR (" +
           madeCopied(amPm(QStringLiteral("d.t24"))) + " AND " +
           madeCopied(QStringLiteral("d.t24")) +
           ") ORDER BY LogDate, LogTime, Emp_ID, InOutMode, VerifyMode";
}
} // namespace

PunchFeed::PunchFeed(Db& db, Progress progress) : m_db(db), m_progress(std::move(progress)) {}

int PunchFeed::CopyDeviceLogToTempBck()
{
    // Read whole before the first copy is written: SQL Server serves one result at a time.
    QVector<Copy> fresh;
    {
        // Ordered by the stored date and time: both sort as what they stand for in either
        // dialect, where a cast of SQLite's texts would not.
        QSqlQuery q =
            m_db.exec(uncopiedPunches(m_db.dialect()), {m_db.dialect().dateValue(kFeedStart)});
        while (q.next()) {
            Copy c;
            c.emp = q.value(0);
            c.empOrder = c.emp.toLongLong();
            c.inOut = q.value(1);
            c.verify = q.value(2);
            c.storedDate = q.value(3);
            c.storedTime = q.value(4);
            c.day = dateOf(c.storedDate);
            c.at = timeFromText(c.storedTime.toString());
            if (c.day.isValid() && c.at.isValid()) {
                // SQLite's text is the copy's text already.
                const QString stored = c.storedDate.toString();
                c.date = stored.size() == 10 ? stored : c.day.toString(Qt::ISODate);
                c.time = amPmText(c.at);
            }
            fresh.append(c);
        }
    }
    // Numbered in date and time order, where the time is what the text stands for: as text,
    // another writer's "17:00:00" sorts before its "8:05:00", and the pairing would meet the
    // day's sign-out before its sign-in.
    QVector<qsizetype> order(fresh.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        return std::tie(fresh[a].day, fresh[a].at) < std::tie(fresh[b].day, fresh[b].at);
    });
    const QVariant largest =
        m_db.scalar(QStringLiteral("SELECT MAX(Indx) FROM Tbl_Emp_Attn_Log_Temp_Bck"));
    qint64 next = largest.isNull() ? 0 : largest.toLongLong() + 1;
    for (const qsizetype at : std::as_const(order))
        if (!fresh[at].date.isEmpty())
            fresh[at].indx = next++;
    // Stored employee by employee: the pairing then marks one employee's copies on a few
    // neighbouring pages instead of one page per copy.
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        return fresh[a].empOrder < fresh[b].empOrder;
    });

    // Filled by position, as the table is laid out. Kept by Statements, which binds only
    // what changed: copies of one employee follow each other.
    Statements sql(m_db);
    const QString insert =
        QStringLiteral("INSERT INTO Tbl_Emp_Attn_Log_Temp_Bck VALUES (?, ?, ?, ?, ?, ?, 1)");
    const int total = int(fresh.size());
    int done = 0;
    RecordRun run(
        m_db, kStretch,
        [&] {
            if (m_progress)
                m_progress(done, total);
        },
        [&] {
            const int wasDone = done;
            return std::function<void()>([&, wasDone] { done = wasDone; });
        });
    for (const qsizetype at : std::as_const(order)) {
        // Run again after a failure, so it holds the copy by its place, not by reference.
        run.record([&, at] {
            const Copy& c = fresh[at];
            if (c.date.isEmpty())
                throw DbError(13, QStringLiteral("Type mismatch: the punch of employee %1 reads "
                                                 "\"%2\" \"%3\", which is no date and time. The "
                                                 "punches before it are copied.")
                                      .arg(c.emp.toString(), c.storedDate.toString(),
                                           c.storedTime.toString()));
            sql.execute(insert, {c.indx, c.emp, c.verify, c.inOut, c.date, c.time});
            ++done;
        });
    }
    run.finish();
    return done;
}

int PunchFeed::ScanNewDeviceLogs()
{
    QSqlQuery q = m_db.exec(QStringLiteral(
        "SELECT * FROM Tbl_DeviceAttenLog WHERE isnew = 1 ORDER BY Emp_ID, LogDate, LogTime"));
    int rows = 0;
    while (q.next())
        ++rows;
    return rows;
}

void PunchFeed::SaveUsbLogRecord(int EmpId, const QDateTime& punch, int verifyCode, int inOutCode)
{
    if (!punch.isValid())
        throw DbError(13, QStringLiteral("Type mismatch: the punch of employee %1 has no date "
                                         "and time.")
                              .arg(EmpId));
    const QVariant day = m_db.dialect().dateValue(punch.date());
    const QString time = timeText(punch.time());
    atomically(m_db, [&] {
        const QVariant indx = m_db.scalar(
            QStringLiteral("SELECT %1 + 1 FROM Tbl_DeviceAttenLog")
                .arg(m_db.dialect().isNull(QStringLiteral("MAX(indx)"), QStringLiteral("0"))));
        m_db.execute(QStringLiteral("DELETE FROM Tbl_DeviceAttenLog "
                                    "WHERE Emp_ID = ? AND LogDate = ? AND LogTime = ?"),
                     {EmpId, day, time});
        m_db.execute(QStringLiteral("INSERT INTO Tbl_DeviceAttenLog (indx, Emp_ID, VerifyMode, "
                                    "InOutMode, LogDate, LogTime, ExtractedFrom) "
                                    "VALUES (?, ?, ?, ?, ?, ?, 1)"),
                     {indx, EmpId, verifyCode, inOutCode, day, time});
    });
}

QDateTime PunchFeed::punchFromText(const QString& text)
{
    QString t = text.trimmed();
    t.replace(QLatin1Char('/'), QLatin1Char('-'));
    t.replace(QLatin1Char('T'), QLatin1Char(' '));
    for (const char* form :
         {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm", "yyyy-M-d H:mm:ss", "yyyy-M-d H:mm"}) {
        const QDateTime at = QDateTime::fromString(t, QLatin1String(form));
        if (at.isValid())
            return at;
    }
    return {};
}

bool PunchFeed::isIntegrityViolation(const Db& db, const DbError& error)
{
    // The provider's own number for it, whichever way it reaches us.
    if (error.number() == -2147217873L)
        return true;
    if (db.dialect().kind() == Dialect::Sqlite)
        return (error.number() & 0xff) == 19; // SQLITE_CONSTRAINT and its extended codes
    // SQL Server: a reference or check (547), a key (2627, 2601), a NULL refused (515).
    // The ODBC driver may hand several numbers at once, which arrive as its generic one, so
    // the server's wording decides then.
    switch (error.number()) {
    case 547:
    case 2627:
    case 2601:
    case 515:
        return true;
    default:
        break;
    }
    const QString text = error.text();
    for (const char* words :
         {"conflicted with the", "Violation of PRIMARY KEY", "Violation of UNIQUE KEY",
          "Cannot insert duplicate key", "Cannot insert the value NULL"})
        if (text.contains(QLatin1String(words), Qt::CaseInsensitive))
            return true;
    return false;
}
