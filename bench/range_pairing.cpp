// Sign In - Sign Out over one month for 2,000 employees (1,000,000 punches stored), against
// the plain indexed select of that month's punches plus one prepared insert per day in one
// transaction; and Missing Sign Out over the same month.
//
// Last line: range-pairing days=N seconds=S per_s=R limit_per_s=L ratio=X

#include "BenchSupport.h"
#include "history_data.h"

#include "records/Corrections.h"
#include "records/HistoryStore.h"

#include <QCoreApplication>

#include <cstdio>

namespace {
const QDate kMonthStart(2025, 3, 1);
const QDate kMonthEnd(2025, 3, 31);

// The least any pairing must do: read the punches, write one row per day.
double limitSeconds(Db& db, int& days)
{
    const Bench::Stopwatch timer;
    Transaction t(db);
    QSqlQuery read = db.exec("select Emp_ID, LogDate, LogTime, VerifyMode from Tbl_DeviceAttenLog"
                             " where LogDate between ? and ?",
                             {db.dialect().dateValue(kMonthStart),
                              db.dialect().dateValue(kMonthEnd)});
    QHash<qint64, QString> firstOfDay;
    while (read.next()) {
        const qint64 key = qint64(read.value(0).toInt()) << 32 |
                           quint32(HistoryStore::dayOf(read.value(1)).toJulianDay());
        if (!firstOfDay.contains(key))
            firstOfDay.insert(key, read.value(2).toString());
    }
    read.finish();
    QSqlQuery insert = db.prepare(
        "insert into Tbl_Emp_Attn_Log_General (EMP_ID, WORKHOUR_ID, TDATE, INTIME, INMODE)"
        " values (?, 1, ?, ?, 'FPrint')");
    for (auto it = firstOfDay.cbegin(); it != firstOfDay.cend(); ++it)
        Db::run(insert,
                {int(it.key() >> 32),
                 QDate::fromJulianDay(it.key() & 0xffffffff).toString(Qt::ISODate), it.value()});
    t.commit();
    days = int(firstOfDay.size());
    return timer.seconds();
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    HistoryBench::Store store;
    Db& db = store.db();

    int limitDays = 0;
    const double limit = limitSeconds(db, limitDays);
    db.exec("delete from Tbl_Emp_Attn_Log_General");

    QVector<int> employees;
    for (int e = 1; e <= HistoryBench::kEmployees; ++e)
        employees.append(e);
    int days = 0;
    Bench::Stopwatch timer;
    Corrections::pairRange(db, employees, kMonthStart, kMonthEnd, days);
    const double seconds = timer.seconds();

    db.exec("update Tbl_Emp_Attn_Log_General set OUTTIME = NULL");
    int filled = 0;
    timer.restart();
    Corrections::fillMissingSignOuts(db, kMonthStart, kMonthEnd, {}, filled);
    const double fillSeconds = timer.seconds();
    std::printf("missing-sign-out days=%d seconds=%.3f per_s=%.0f\n", filled, fillSeconds,
                filled / fillSeconds);

    Bench::printRate("range-pairing", "days", days, seconds, limitDays, limit);
    return 0;
}
