// The operation-log viewer listing 100,000 records of 50 operators, against this machine's
// limit: one bulk read of the same log and a walk over its records.
//
// Last line: superlog-view records=N seconds=S per_s=R limit_per_s=L ratio=X

#include "BenchSupport.h"
#include "LinkedWindow.h"
#include "admin/FrmSuperLogData.h"
#include "admin/SuperLogModel.h"
#include "terminals/TerminalSdk.h"

#include <QApplication>
#include <QSqlQuery>

namespace {
constexpr int kRecords = 100000;
constexpr int kOperators = 50;

SimState terminal()
{
    SimState s;
    s.operations.reserve(kRecords);
    for (int i = 0; i < kRecords; ++i) {
        const int minutes = i * 7;
        s.operations.append(SimOperation{
            {1, i % kOperators + 1, i % 10, i % 100, i % 3, i % 31, i % 5, 2026,
             1 + minutes / 40000 % 12, 1 + minutes / 1440 % 28, minutes / 60 % 24, minutes % 60}});
    }
    return s;
}

void storeOperators(Db& db)
{
    Transaction transaction(db);
    QSqlQuery insert = db.prepare(QStringLiteral("insert into Tbl_Emp_Info values (?, ?, ?, ?)"));
    for (int id = 1; id <= kOperators; ++id)
        Db::run(insert, {id, QStringLiteral("First%1").arg(id), QStringLiteral("M"),
                         QStringLiteral("Last%1").arg(id)});
    transaction.commit();
}

double limitSeconds(TerminalSdk& sdk, long machine)
{
    const Bench::Stopwatch timer;
    if (!sdk.SdkReadSuperLog(machine))
        qFatal("the terminal refused the log read");
    std::array<long, 12> values{};
    int walked = 0;
    while (sdk.SdkNextSuperLogRecord(machine, values))
        ++walked;
    if (walked != kRecords)
        qFatal("walked %d records", walked);
    return timer.seconds();
}
} // namespace

int main(int argc, char* argv[])
{
    Bench::preferOffscreen();
    QApplication app(argc, argv);
    WindowFixture f;
    storeOperators(f.db());
    Bench::linkTerminal(f, QStringLiteral("Front Gate"), terminal());

    const double limit = limitSeconds(*f.window->TermCtl1.at(1), 1);
    FrmSuperLogData screen(*f.window);
    screen.show();
    const Bench::Stopwatch timer;
    screen.CmdViewLogs_Click();
    const double seconds = timer.seconds();
    if (screen.rows().rowCount() != kRecords)
        qFatal("listed %d records", screen.rows().rowCount());

    Bench::printRate("superlog-view", "records", kRecords, seconds, limit);
    return 0;
}
