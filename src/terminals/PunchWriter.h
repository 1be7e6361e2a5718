#pragma once
// Stores punches in both punch tables, Tbl_DeviceAttenLog and tbl_attendancelog, at bulk
// speed: four statements prepared once, batches written in one plain transaction until
// commit(). A punch replaces any stored punch of the same date, time and user, and is stored
// in both tables or in neither.
//
//     PunchWriter writer(db);
//     for (const PunchRecord& p : punches)
//         if (const QString why = writer.store(p); !why.isEmpty())
//             ...  // refused: nothing of it is stored
//     writer.commit();

#include "data/Records.h"
#include "shell/Dialect.h"

#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <QVector>

#include <memory>
#include <optional>

class Db;
class Transaction;

class PunchWriter
{
public:
    // Prepares the statements on db; dates are bound as the database's dialect wants them.
    // No transaction may be open on db while the writer stores.
    explicit PunchWriter(Db& db);
    // Punches not committed yet are rolled back.
    ~PunchWriter();
    PunchWriter(const PunchWriter&) = delete;
    PunchWriter& operator=(const PunchWriter&) = delete;

    // Queues the punch for storing. Returns why it cannot be a row (then nothing of it is
    // stored), or an empty text.
    QString store(const PunchRecord& punch);
    // Stores what is queued and commits. A database error throws DbError once every punch
    // before the failing one is committed; the failing one and those after it are not.
    void commit();
    // Punches committed so far.
    int stored() const { return m_stored; }

    // The user number the tables keep for a terminal's or a file's text: the whole number
    // it holds ("007" is 7); nothing for any other text.
    static std::optional<int> userNumber(const QString& text);
    // Why the punch cannot be a row: a date or time that does not exist, a year that SQL
    // Server's datetime cannot hold, a negative user number. Empty when it can.
    static QString refusal(const PunchRecord& punch);
    // The bound values of a punch: its row in column order (emp_id, verifymode, inoutmode,
    // logdate, logtime, extractedfrom, isnew, emp_name) and its key (logdate, logtime,
    // emp_id). The name is never NULL: a punch without one has the empty text.
    static QVariantList rowValues(const Dialect& dialect, const PunchRecord& punch);
    static QVariantList keyValues(const Dialect& dialect, const PunchRecord& punch);

private:
    class Savepoint;

    void flush();
    void replay(const QVector<PunchRecord>& punches);
    void write(const PunchRecord& punch);

    Db& m_db;
    Dialect m_dialect;
    QSqlQuery m_deleteDevice;
    QSqlQuery m_insertDevice;
    QSqlQuery m_deleteLog;
    QSqlQuery m_insertLog;
    std::unique_ptr<Savepoint> m_punch;
    std::unique_ptr<Transaction> m_transaction;
    // Every punch since the last commit, kept for a replay; the first m_written of them
    // are written in m_transaction.
    QVector<PunchRecord> m_pending;
    qsizetype m_written = 0;
    int m_stored = 0;
};
