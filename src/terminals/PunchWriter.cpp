#include "PunchWriter.h"

#include "shell/Db.h"

#include <exception>
#include <limits>

namespace {
const QString kBatchPoint = QStringLiteral("quorvane_punches");
const QString kPunchPoint = QStringLiteral("quorvane_punch");
// Punches stored under one savepoint. A savepoint per punch would copy every page it
// touches into SQLite's statement journal, which doubled the time of a large log.
constexpr int kBatch = 4096;
// SQL Server's datetime holds nothing before 1753.
constexpr int kFirstYear = 1753;

// "HH:mm:ss", as PunchRecord::logTimeText writes it, without parsing a format per punch.
QString timeText(const QTime& time)
{
    return time.toString(Qt::ISODate);
}
} // namespace

// A savepoint of the open transaction, its statements prepared once.
class PunchWriter::Savepoint
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

PunchWriter::PunchWriter(Db& db)
    : m_db(db), m_dialect(db.dialect()),
      m_deleteDevice(db.prepare(QStringLiteral(
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
      m_batch(std::make_unique<Savepoint>(db, kBatchPoint)),
      m_punch(std::make_unique<Savepoint>(db, kPunchPoint))
{
    m_pending.reserve(kBatch);
}

PunchWriter::~PunchWriter() = default;

std::optional<int> PunchWriter::userNumber(const QString& text)
{
    bool ok = false;
    const qlonglong number = text.trimmed().toLongLong(&ok);
    if (!ok || number < 0 || number > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(number);
}

QString PunchWriter::refusal(const PunchRecord& punch)
{
    if (punch.Emp_ID < 0)
        return QStringLiteral("the user number is not a number");
    if (!punch.LogDate.isValid() || !punch.LogTime.isValid())
        return QStringLiteral("the date or time does not exist");
    if (punch.LogDate.year() < kFirstYear || punch.LogDate.year() > 9999)
        return QStringLiteral("the year is out of range");
    return QString();
}

QVariantList PunchWriter::rowValues(const Dialect& dialect, const PunchRecord& p)
{
    return {p.Emp_ID,
            p.VerifyMode,
            p.InOutMode,
            dialect.dateValue(p.LogDate),
            timeText(p.LogTime),
            p.ExtractedFrom,
            p.isnew,
            p.emp_name.isNull() ? QStringLiteral("") : p.emp_name};
}

QVariantList PunchWriter::keyValues(const Dialect& dialect, const PunchRecord& p)
{
    return {dialect.dateValue(p.LogDate), timeText(p.LogTime), p.Emp_ID};
}

QString PunchWriter::store(const PunchRecord& punch)
{
    QString why = refusal(punch);
    if (!why.isEmpty())
        return why;
    m_pending.append(punch);
    if (m_pending.size() >= kBatch)
        flush();
    return why;
}

void PunchWriter::commit()
{
    flush();
    if (!m_transaction)
        return;
    std::unique_ptr<Transaction> transaction = std::move(m_transaction);
    try {
        transaction->commit();
    } catch (...) {
        m_stored = m_committed;
        throw;
    }
    m_committed = m_stored;
}

void PunchWriter::write(const PunchRecord& p)
{
    const QVariantList row = rowValues(m_dialect, p);
    const QVariantList key{row[3], row[4], row[0]};
    Db::run(m_deleteDevice, key);
    Db::run(m_insertDevice, row);
    Db::run(m_deleteLog, key);
    Db::run(m_insertLog, row);
}

void PunchWriter::keepWhatIsStored() noexcept
{
    try {
        commit();
    } catch (...) {
    }
}

void PunchWriter::flush()
{
    if (m_pending.isEmpty())
        return;
    if (!m_transaction)
        m_transaction = std::make_unique<Transaction>(m_db);
    m_batch->set();
    try {
        for (const PunchRecord& p : std::as_const(m_pending))
            write(p);
        m_batch->release();
        m_stored += int(m_pending.size());
        m_pending.clear();
        return;
    } catch (...) {
        if (!m_batch->undo()) {
            m_pending.clear();
            m_transaction.reset();
            m_stored = m_committed;
            throw;
        }
    }
    // Again one punch at a time, so that exactly the punches before the failing one are
    // kept; they are committed before the error goes on.
    const QVector<PunchRecord> pending = std::move(m_pending);
    m_pending.clear();
    for (const PunchRecord& p : pending) {
        m_punch->set();
        try {
            write(p);
            m_punch->release();
        } catch (...) {
            const std::exception_ptr failure = std::current_exception();
            m_punch->undo();
            keepWhatIsStored();
            std::rethrow_exception(failure);
        }
        ++m_stored;
    }
}
