#include "PunchWriter.h"

#include "shell/Db.h"

#include <exception>
#include <limits>

namespace {
const QString kPunchPoint = QStringLiteral("quorvane_punch");
// Punches written at a time. They run in a plain transaction that lasts until commit(): a
// savepoint per batch made SQLite keep a statement journal of every page the batch touched,
// and a commit per batch costs a sync of the log. Only the replay after a failure takes a
// savepoint per punch.
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
      m_punch(std::make_unique<Savepoint>(db, kPunchPoint))
{
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
    if (m_pending.size() - m_written >= kBatch)
        flush();
    return why;
}

void PunchWriter::commit()
{
    flush();
    if (!m_transaction)
        return;
    const std::unique_ptr<Transaction> transaction = std::move(m_transaction);
    const int written = int(m_pending.size());
    m_pending.clear();
    m_written = 0;
    transaction->commit();
    m_stored += written;
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

void PunchWriter::flush()
{
    if (m_written == m_pending.size())
        return;
    try {
        if (!m_transaction)
            m_transaction = std::make_unique<Transaction>(m_db);
        for (; m_written < m_pending.size(); ++m_written)
            write(m_pending.at(m_written));
        return;
    } catch (...) {
        // Everything since the last commit is rolled back; the replay finds the failing
        // punch.
        m_transaction.reset();
    }
    const QVector<PunchRecord> pending = std::move(m_pending);
    m_pending.clear();
    m_written = 0;
    replay(pending);
}

void PunchWriter::replay(const QVector<PunchRecord>& punches)
{
    // One punch at a time, so that exactly the punches before the failing one are kept;
    // they are committed before the error goes on.
    Transaction transaction(m_db);
    int kept = 0;
    for (const PunchRecord& p : punches) {
        m_punch->set();
        try {
            write(p);
            m_punch->release();
        } catch (...) {
            const std::exception_ptr failure = std::current_exception();
            if (m_punch->undo()) {
                try {
                    transaction.commit();
                    m_stored += kept;
                } catch (...) {
                }
            }
            std::rethrow_exception(failure);
        }
        ++kept;
    }
    // The first run failed and its replay did not: whatever failed has passed.
    transaction.commit();
    m_stored += kept;
}
