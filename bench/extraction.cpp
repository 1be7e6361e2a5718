// Extraction of a large terminal log into a file-backed SQLite database, against this
// machine's own limit: the same rows inserted into both punch tables by one prepared
// statement each inside one transaction.
//
// Last line: extraction punches=N seconds=S per_s=R limit_per_s=L ratio=X

#include "terminals/Extraction.h"
#include "BenchSupport.h"
#include "SimState.h"
#include "SimThread.h"
#include "support/TestSupport.h"
#include "terminals/TerminalSdk.h"

#include <QCoreApplication>

namespace {
constexpr int kPunches = 100000;
constexpr int kUsers = 500;
constexpr int kDays = 60;
constexpr long kMachine = 1;

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

double limitSeconds(const QList<SimPunch>& punches)
{
    TempDatabase database;
    Db& db = database.db();
    Bench::storeEarlierPunches(db, kPunches, kUsers, QStringLiteral(""));
    const Bench::Stopwatch timer;
    Bench::insertPunchRows(db, int(punches.size()), [&](int i) {
        const SimPunch& p = punches[i];
        return QVariantList{p.user.toInt(),
                            p.verifyMode,
                            p.inOutMode,
                            QDate(p.year, p.month, p.day).toString(QStringLiteral("yyyy-MM-dd")),
                            QTime(p.hour, p.minute, p.second).toString(QStringLiteral("HH:mm:ss")),
                            int(kMachine),
                            1,
                            QStringLiteral("")};
    });
    return timer.seconds();
}

double extractionSeconds(const QList<SimPunch>& punches)
{
    TempDatabase database;
    Db& db = database.db();
    Bench::storeEarlierPunches(db, kPunches, kUsers, QStringLiteral(""));
    SimState state;
    state.machine = int(kMachine);
    state.punches = punches;
    SimThread sim(state);
    TerminalSdk sdk;
    if (!sdk.SdkConnectNetwork(QStringLiteral("127.0.0.1"), sim.port()))
        qFatal("cannot reach the simulated terminal");

    const Bench::Stopwatch timer;
    const Extraction::Result result = Extraction::run(db, sdk, kMachine);
    const double seconds = timer.seconds();

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
    Bench::printRate("extraction", "punches", kPunches, seconds, limit);
    return 0;
}
