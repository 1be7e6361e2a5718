// The repair screen's query over 100,000 punches of 500 users, with the terminal linked to
// the simulator for the names, against the same SELECT walked alone.
//
// Last line: repair-load rows=N seconds=S per_s=R limit_per_s=L ratio=X

#include "BenchSupport.h"
#include "LinkedWindow.h"
#include "records/frmDataRepair.h"

#include <QApplication>
#include <QSqlQuery>

namespace {
constexpr int kPunches = 100000;
constexpr int kUsers = 500;
const QDate kFirst(2026, 3, 1);
const QDate kLast(2026, 4, 29);

void storePunches(Db& db)
{
    Transaction transaction(db);
    QSqlQuery q = db.prepare(
        QStringLiteral("insert into tbl_attendancelog (emp_id,verifymode,inoutmode,logdate,logtime,"
                       "extractedfrom,isnew,emp_name) values(?,?,?,?,?,1,1,'')"));
    for (int i = 0; i < kPunches; ++i) {
        const int user = i % kUsers + 1;
        const int round = i / kUsers;
        Db::run(q, {user, 1, round % 2, kFirst.addDays(round % 60).toString(Qt::ISODate),
                    QTime(7, 0)
                        .addSecs(round / 60 * 3 * 3600 + user * 7)
                        .toString(QStringLiteral("HH:mm:ss"))});
    }
    transaction.commit();
}

double selectSeconds(Db& db)
{
    const Bench::Stopwatch timer;
    QSqlQuery q = db.exec(QStringLiteral("Select emp_id,verifymode,inoutmode,logdate,logtime "
                                         "from tbl_attendancelog where logdate between ? and ? "
                                         "order by emp_id,logdate,logtime"),
                          {kFirst.toString(Qt::ISODate), kLast.toString(Qt::ISODate)});
    int rows = 0;
    while (q.next()) {
        for (int c = 0; c < 5; ++c)
            q.value(c);
        ++rows;
    }
    if (rows != kPunches)
        qFatal("the select walked %d rows", rows);
    return timer.seconds();
}
} // namespace

int main(int argc, char* argv[])
{
    Bench::preferOffscreen();
    QApplication app(argc, argv);
    WindowFixture f;
    SimState state;
    state.machine = 1;
    for (int user = 1; user <= kUsers; ++user)
        state.users.append(simUser(QString::number(user), QStringLiteral("User %1").arg(user)));
    Bench::linkTerminal(f, QStringLiteral("Gate"), state);
    storePunches(f.db());

    const double limit = selectSeconds(f.db());
    frmDataRepair screen(f.window.get());
    const Bench::Stopwatch timer;
    screen.LoadRepairLogs(0, kFirst, kLast);
    const double seconds = timer.seconds();
    if (screen.rowCount() != kPunches ||
        screen.TextMatrix(kPunches - 1, 1) != QLatin1String("User 500"))
        qFatal("the grid holds %d rows", screen.rowCount());
    Bench::printRate("repair-load", "rows", kPunches, seconds, limit);
    return 0;
}
