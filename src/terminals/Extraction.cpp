#include "Extraction.h"

#include "DeviceLink.h"
#include "TerminalSdk.h"
#include "shell/Db.h"

#include <QSqlQuery>

#include <exception>
#include <limits>

namespace {
const QString kChunkPoint = QStringLiteral("quorvane_punches");
const QString kPunchPoint = QStringLiteral("quorvane_punch");
// Punches stored under one savepoint. A savepoint per punch would copy every page it
// touches into SQLite's statement journal, which doubled the time of a large log.
constexpr int kChunk = 4096;

DbError badRecord(const QString& what, const QString& userNo, long year, long month, long day,
                  long hour, long minute, long second)
{
    return DbError(Extraction::TypeMismatch,
                   QStringLiteral("Type mismatch: the terminal returned a record with %1 "
                                  "(user number \"%2\", %3-%4-%5 %6:%7:%8). The punches before "
                                  "it are stored; the terminal's log is kept.")
                       .arg(what, userNo)
                       .arg(year)
                       .arg(month)
                       .arg(day)
                       .arg(hour)
                       .arg(minute)
                       .arg(second));
}

// A savepoint of the open transaction, its statements prepared once.
class Savepoint
{
public:
    Savepoint(Db& db, const QString& name)
        : m_set(db.prepare(db.dialect().savepoint(name))),
          m_rollback(db.prepare(db.dialect().rollbackToSavepoint(name))),
          m_hasRelease(!db.dialect().releaseSavepoint(name).isEmpty())
    {
        if (m_hasRelease)
            m_release = db.prepare(db.dialect().releaseSavepoint(name));
    }
    void set() { Db::run(m_set); }
    void release()
    {
        if (m_hasRelease)
            Db::run(m_release);
    }
    // Undoes everything since set(). False when the transaction itself is gone.
    bool undo() noexcept
    {
        try {
            Db::run(m_rollback);
            release();
            return true;
        } catch (...) {
            return false;
        }
    }

private:
    QSqlQuery m_set;
    QSqlQuery m_rollback;
    QSqlQuery m_release;
    bool m_hasRelease;
};

// Stores punches in both tables with the four statements prepared once. Each punch is
// stored whole or not at all; when one cannot be stored, every punch before it is kept in
// the transaction and the error is thrown.
class PunchWriter
{
public:
    explicit PunchWriter(Db& db)
        : m_deleteDevice(db.prepare(QStringLiteral(
              "Delete from tbl_deviceattenlog where logdate=? and logtime=? and emp_id=?"))),
          m_insertDevice(db.prepare(QStringLiteral(
              "insert into tbl_deviceattenlog "
              "(emp_id,verifymode,inoutmode,logdate,logtime,extractedfrom,isnew,emp_name) "
              "values(?,?,?,?,?,?,?,?)"))),
          m_deleteLog(db.prepare(QStringLiteral(
              "Delete from tbl_attendancelog where logdate=? and logtime=? and emp_id=?"))),
          m_insertLog(db.prepare(QStringLiteral(
              "insert into tbl_attendancelog "
              "(emp_id,verifymode,inoutmode,logdate,logtime,extractedfrom,isnew,emp_name) "
              "values(?,?,?,?,?,?,?,?)"))),
          m_chunk(db, kChunkPoint),
          m_punch(db, kPunchPoint)
    {
        m_pending.reserve(kChunk);
    }

    void add(const PunchRecord& p)
    {
        m_pending.append(p);
        if (m_pending.size() >= kChunk)
            flush();
    }

    void flush()
    {
        if (m_pending.isEmpty())
            return;
        m_chunk.set();
        try {
            for (const PunchRecord& p : std::as_const(m_pending))
                store(p);
            m_chunk.release();
            m_stored += int(m_pending.size());
            m_pending.clear();
            return;
        } catch (...) {
            if (!m_chunk.undo()) {
                m_pending.clear();
                throw;
            }
        }
        // Again one punch at a time, so that exactly the punches before the failing one
        // are kept.
        const QVector<PunchRecord> pending = std::move(m_pending);
        m_pending.clear();
        for (const PunchRecord& p : pending) {
            m_punch.set();
            try {
                store(p);
                m_punch.release();
            } catch (...) {
                m_punch.undo();
                throw;
            }
            ++m_stored;
        }
    }

    int stored() const { return m_stored; }

private:
    void store(const PunchRecord& p)
    {
        const QString date = p.logDateText();
        const QString time = p.logTimeText();
        const QVariantList key{date, time, p.Emp_ID};
        const QVariantList row{p.Emp_ID, p.VerifyMode,    p.InOutMode, date,
                               time,     p.ExtractedFrom, p.isnew,     p.emp_name};
        Db::run(m_deleteDevice, key);
        Db::run(m_insertDevice, row);
        Db::run(m_deleteLog, key);
        Db::run(m_insertLog, row);
    }

    QSqlQuery m_deleteDevice;
    QSqlQuery m_insertDevice;
    QSqlQuery m_deleteLog;
    QSqlQuery m_insertLog;
    Savepoint m_chunk;
    Savepoint m_punch;
    QVector<PunchRecord> m_pending;
    int m_stored = 0;
};
}  // namespace

PunchRecord Extraction::punchFromTerminal(const QString& userNo, long verifyMode,
                                          long inOutMode, long year, long month, long day,
                                          long hour, long minute, long second, long machineId)
{
    bool ok = false;
    const qlonglong number = userNo.trimmed().toLongLong(&ok);
    if (!ok || number < 0 || number > std::numeric_limits<int>::max())
        throw badRecord(QStringLiteral("a user number that is not a number"), userNo, year,
                        month, day, hour, minute, second);
    const QDate date{int(year), int(month), int(day)};
    const QTime time{int(hour), int(minute), int(second)};
    if (year < 1 || year > 9999 || !date.isValid() || !time.isValid())
        throw badRecord(QStringLiteral("a date or time that does not exist"), userNo, year,
                        month, day, hour, minute, second);
    PunchRecord p;
    p.Emp_ID = int(number);
    p.VerifyMode = int(verifyMode);
    p.InOutMode = int(inOutMode);
    p.LogDate = date;
    p.LogTime = time;
    p.ExtractedFrom = int(machineId);
    p.isnew = 1;
    p.emp_name = QString();
    return p;
}

Extraction::Result Extraction::run(Db& db, TerminalSdk& sdk, long machineId)
{
    Result result;
    QString version;
    sdk.SdkReadFirmwareVersion(machineId, version);

    if (!sdk.SdkReadAttendanceLog(machineId)) {
        // The SDK answers false both for a log it has nothing in and for a link that broke
        // during the read; only the second leaves the link down.
        if (!IsDeviceConnected(sdk))
            throw DbError(LinkError,
                          QStringLiteral("The link to the terminal broke while its attendance "
                                         "log was being read. Nothing was stored and the "
                                         "terminal's log is kept."));
        return result;
    }

    PunchWriter writer(db);
    Transaction transaction(db);
    bool read = false;
    std::exception_ptr failure;
    QString userNo;
    long verifyMode = 0, inOutMode = 0, year = 0, month = 0, day = 0, hour = 0, minute = 0,
         second = 0, workCode = 0;
    try {
        while (sdk.SdkNextAttendanceRecord(machineId, userNo, verifyMode, inOutMode, year, month,
                                           day, hour, minute, second, workCode)) {
            read = true;
            PunchRecord punch;
            try {
                punch = punchFromTerminal(userNo, verifyMode, inOutMode, year, month, day, hour,
                                          minute, second, machineId);
            } catch (...) {
                writer.flush();
                throw;
            }
            writer.add(punch);
        }
        writer.flush();
    } catch (...) {
        failure = std::current_exception();
    }
    // Every punch before a failure is kept; the log stays on the terminal.
    try {
        transaction.commit();
    } catch (...) {
        if (!failure)
            throw;
    }
    if (failure)
        std::rethrow_exception(failure);
    result.stored = writer.stored();

    // A walk that ended because the link broke looks like the end of the log; the link
    // tells them apart.
    if (!IsDeviceConnected(sdk))
        throw DbError(LinkError,
                      result.stored == 0
                          ? QStringLiteral("The link to the terminal broke while its attendance "
                                           "log was being read. Nothing was stored and the "
                                           "terminal's log is kept.")
                          : QStringLiteral("The link to the terminal broke while its attendance "
                                           "log was being read. The %1 punches read are stored; "
                                           "the terminal's log is kept.")
                                .arg(result.stored));
    if (!read)
        return result;
    if (!sdk.SdkClearAttendanceLog(machineId))
        throw DbError(LinkError,
                      QStringLiteral("The %1 punches are stored, but the terminal did not "
                                     "clear its attendance log.")
                          .arg(result.stored));
    result.outcome = Outcome::Completed;
    return result;
}
