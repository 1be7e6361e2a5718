#include "PunchFeed.h"

#include "PairingValues.h"
#include "shell/Db.h"

#include <QSqlQuery>
#include <QVector>

using namespace PairingValues;

namespace {
// Punches before this day are not fed to the pairing.
const QDate kFeedStart(2008, 11, 10);

struct DevicePunch
{
    QVariant emp;
    QVariant inOut;
    QVariant verify;
    QVariant date;
    QVariant time;
};
} // namespace

PunchFeed::PunchFeed(Db& db, Progress progress) : m_db(db), m_progress(std::move(progress)) {}

int PunchFeed::CopyDeviceLogToTempBck()
{
    QVector<DevicePunch> punches;
    {
        // Ordered by the stored date and time: both sort as what they stand for in either
        // dialect, where a cast of SQLite's texts would not.
        QSqlQuery q = m_db.exec(QStringLiteral("SELECT DISTINCT Emp_ID, InOutMode, VerifyMode, "
                                               "LogDate, LogTime FROM Tbl_DeviceAttenLog "
                                               "WHERE LogDate >= ? ORDER BY LogDate, LogTime"),
                                {dateValue(m_db, kFeedStart)});
        while (q.next())
            punches.append({q.value(0), q.value(1), q.value(2), q.value(3), q.value(4)});
    }
    const QVariant largest =
        m_db.scalar(QStringLiteral("SELECT MAX(Indx) FROM Tbl_Emp_Attn_Log_Temp_Bck"));
    qint64 next = largest.isNull() ? 0 : largest.toLongLong() + 1;

    // Filled by position, as the table is laid out; a punch copied before is left alone.
    QSqlQuery insert = m_db.prepare(QStringLiteral(
        "INSERT INTO Tbl_Emp_Attn_Log_Temp_Bck SELECT ?, ?, ?, ?, ?, ?, 1 WHERE NOT EXISTS "
        "(SELECT 1 FROM Tbl_Emp_Attn_Log_Temp_Bck WHERE EmpID = ? AND logDate = ? AND LogTime = "
        "?)"));
    const int total = int(punches.size());
    int done = 0;
    int copied = 0;
    RecordRun run(
        m_db, kStretch,
        [&] {
            if (m_progress)
                m_progress(done, total);
        },
        [&] {
            const qint64 wasNext = next;
            const int wasDone = done;
            const int wasCopied = copied;
            return std::function<void()>([&, wasNext, wasDone, wasCopied] {
                next = wasNext;
                done = wasDone;
                copied = wasCopied;
            });
        });
    for (const DevicePunch& p : std::as_const(punches)) {
        run.record([&] {
            const QDate day = dateOf(p.date);
            const QTime time = timeFromText(p.time.toString());
            if (!day.isValid() || !time.isValid())
                throw DbError(13, QStringLiteral("Type mismatch: the punch of employee %1 reads "
                                                 "\"%2\" \"%3\", which is no date and time. The "
                                                 "punches before it are copied.")
                                      .arg(p.emp.toString(), p.date.toString(), p.time.toString()));
            const QString dayText = day.toString(QStringLiteral("yyyy-MM-dd"));
            const QString timeText = amPmText(time);
            Db::run(insert,
                    {next, p.emp, p.verify, p.inOut, dayText, timeText, p.emp, dayText, timeText});
            if (insert.numRowsAffected() > 0) {
                ++next;
                ++copied;
            }
            ++done;
        });
    }
    run.finish();
    return copied;
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
    const QVariant day = dateValue(m_db, punch.date());
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
