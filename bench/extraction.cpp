// Extraction of a large terminal log into a file-backed SQLite database, against this
// machine's own limit: the same rows inserted into both punch tables by one prepared
// statement each inside one transaction.
//
// Last line: extraction punches=N seconds=S per_s=R limit_per_s=L ratio=X

#include "terminals/Extraction.h"
#include "SimState.h"
#include "SimThread.h"
#include "support/TestSupport.h"
#include "terminals/TerminalSdk.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlQuery>

#include <cstdio>

namespace {
constexpr int kPunches = 100000;
constexpr int kUsers = 500;
constexpr int kDays = 60;
constexpr long kMachine = 1;

const QString kInsert = QStringLiteral(
    "insert into %1 (emp_id,verifymode,inoutmode,logdate,logtime,extractedfrom,isnew,emp_name) "
    "values(?,?,?,?,?,?,?,?)");

// Up to four punches a day for each of 500 users over 60 days from 1 March 2026.
QList<SimPunch> terminalLog()
{
    QList<SimPunch> punches;
    punches.reserve(kPunches);
    const QDate first(2026, 3, 1);
    for (int i = 0; i < kPunches; ++i) {
        const int user = i % kUsers + 1;
        const int round = i / kUsers;
        const QDate day = first.addDays(round % kDays);
        const QTime time = QTime(7, 0).addSecs((round / kDays) * 3 * 3600 + user * 7);
        punches.append(SimPunch::at(QString::number(user), day, time, 1, round / kDays % 2));
    }
    return punches;
}

// 100,000 punches of the year before, stored earlier.
void storeOtherPunches(Db& db)
{
    Transaction transaction(db);
    QSqlQuery a = db.prepare(kInsert.arg(QStringLiteral("Tbl_DeviceAttenLog")));
    QSqlQuery b = db.prepare(kInsert.arg(QStringLiteral("tbl_attendancelog")));
    const QDate first(2025, 1, 1);
    for (int i = 0; i < kPunches; ++i) {
        const int round = i / kUsers;
        const QVariantList row{i % kUsers + 1,
                               1,
                               0,
                               first.addDays(round % 300).toString(QStringLiteral("yyyy-MM-dd")),
                               QTime(6, 0)
                                   .addSecs(round / 300 * 3600 + i % kUsers * 7)
                                   .toString(QStringLiteral("HH:mm:ss")),
                               2,
                               1,
                               QStringLiteral("")};
        Db::run(a, row);
        Db::run(b, row);
    }
    transaction.commit();
}

double limitSeconds(const QList<SimPunch>& punches)
{
    TempDatabase database;
    Db& db = database.db();
    storeOtherPunches(db);
    QElapsedTimer timer;
    timer.start();
    Transaction transaction(db);
    QSqlQuery a = db.prepare(kInsert.arg(QStringLiteral("Tbl_DeviceAttenLog")));
    QSqlQuery b = db.prepare(kInsert.arg(QStringLiteral("tbl_attendancelog")));
    for (const SimPunch& p : punches) {
        const QVariantList row{
            p.user.toInt(),
            p.verifyMode,
            p.inOutMode,
            QDate(p.year, p.month, p.day).toString(QStringLiteral("yyyy-MM-dd")),
            QTime(p.hour, p.minute, p.second).toString(QStringLiteral("HH:mm:ss")),
            int(kMachine),
            1,
            QStringLiteral("")};
        Db::run(a, row);
        Db::run(b, row);
    }
    transaction.commit();
    return timer.nsecsElapsed() / 1e9;
}

double extractionSeconds(const QList<SimPunch>& punches)
{
    TempDatabase database;
    Db& db = database.db();
    storeOtherPunches(db);
    SimState state;
    state.machine = int(kMachine);
    state.punches = punches;
    SimThread sim(state);
    TerminalSdk sdk;
    if (!sdk.SdkConnectNetwork(QStringLiteral("127.0.0.1"), sim.port()))
        qFatal("cannot reach the simulated terminal");

    QElapsedTimer timer;
    timer.start();
    const Extraction::Result result = Extraction::run(db, sdk, kMachine);
    const double seconds = timer.nsecsElapsed() / 1e9;

    const int stored = db.scalar(QStringLiteral("select count(*) from tbl_attendancelog")).toInt();
    if (result.stored != kPunches || stored != 2 * kPunches || !sim.state().punches.isEmpty())
        qFatal("extraction stored %d punches (%d rows), expected %d", result.stored, stored,
               kPunches);
    return seconds;
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    TestEnvironment environment;
    const QList<SimPunch> punches = terminalLog();

    const double limit = limitSeconds(punches);
    const double seconds = extractionSeconds(punches);
    const double perSecond = kPunches / seconds;
    const double limitPerSecond = kPunches / limit;
    std::printf("extraction punches=%d seconds=%.3f per_s=%.0f limit_per_s=%.0f ratio=%.2f\n",
                kPunches, seconds, perSecond, limitPerSecond, limitPerSecond / perSecond);
    return 0;
}
