// The SQL script export of 100,000 daily attendance rows (500 employees over 200 days) from
// a file-backed SQLite database, run by the Generate button of an offscreen settings
// screen, against this machine's own limit: the same rows read by one bare forward-only
// query, plus writing the same bytes straight to a file. Five rounds; the last line gives
// the medians of both sides.
//
// Last line: sql-script rows=N seconds=S per_s=R limit_per_s=L ratio=X

#include "BenchSupport.h"
#include "admin/FrmUtilities.h"
#include "records/SqlScriptExport.h"
#include "shell/ModFunction.h"
#include "shell/Shared.h"
#include "support/TestSupport.h"
#include "terminals/frm2.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <vector>

namespace {
constexpr int kEmployees = 500;
constexpr int kDays = 200;
constexpr int kRows = kEmployees * kDays;
constexpr int kRounds = 5;
const QDate kFirst(2026, 1, 1);

void storeAttendance(Db& db)
{
    Transaction transaction(db);
    QSqlQuery insert = db.prepare(
        QStringLiteral("insert into Tbl_Emp_Attn_Log_General (EMP_ID, WORKHOUR_ID, TDATE, "
                       "TDATE_OUT, INTIME, INMODE, OUTTIME, OUTMODE, COUNTER, SignOutBranch) "
                       "values (?, 1, ?, ?, ?, 'FPrint', ?, 'FPrint', 1, 1)"));
    for (int day = 0; day < kDays; ++day) {
        const QString date = kFirst.addDays(day).toString(Qt::ISODate);
        for (int emp = 1; emp <= kEmployees; ++emp) {
            const QTime in = QTime(8, 0).addSecs((emp * 7 + day * 13) % 1800);
            // Every hundredth pair is still open.
            const QVariant out =
                (emp + day) % 100 == 0
                    ? QVariant()
                    : QVariant(in.addSecs(9 * 3600).toString(QStringLiteral("HH:mm:ss")));
            Db::run(insert, {emp, date, date, in.toString(QStringLiteral("HH:mm:ss")), out});
        }
    }
    transaction.commit();
}

double writeSeconds(const QByteArray& bytes, const QString& path)
{
    const Bench::Stopwatch timer;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    file.close();
    return timer.seconds();
}

double bareReadSeconds(Db& db)
{
    const Bench::Stopwatch timer;
    QSqlQuery query = db.exec(
        QStringLiteral("select Emp_ID, TDATE, INTIME, OUTTIME from Tbl_Emp_Attn_Log_General "
                       "where TDATE >= ? and TDATE < ?"),
        {kFirst.toString(Qt::ISODate), kFirst.addDays(kDays).toString(Qt::ISODate)});
    qint64 sum = 0;
    int rows = 0;
    while (query.next()) {
        sum += query.value(0).toLongLong() + query.value(1).toString().size() +
               query.value(2).toString().size() + query.value(3).toString().size();
        ++rows;
    }
    if (rows != kRows || sum == 0)
        qFatal("the bare query read %d rows", rows);
    return timer.seconds();
}
} // namespace

int main(int argc, char* argv[])
{
    Bench::preferOffscreen();
    QApplication app(argc, argv);
    TestEnvironment environment;
    TempDatabase database;
    storeAttendance(database.db());
    database.openShared();
    Db& cnxn = shared().Cnxn;
    // Both reads find the rows in the connection's page cache.
    bareReadSeconds(cnxn);
    frm2 window;
    FrmUtilities form(window);
    form.DtFrom->setDate(kFirst);
    form.DtTo->setDate(kFirst.addDays(kDays - 1));
    form.ChkOutPut->setChecked(false);

    // A zero timer runs once in every pass of the event loop: it counts the yields.
    int yields = 0;
    QTimer counter;
    counter.setInterval(0);
    QObject::connect(&counter, &QTimer::timeout, [&] { ++yields; });

    // Five rounds; the medians of both sides, so one round slowed by other work on the
    // machine does not move the figures.
    std::vector<double> seconds, limits, phases[3];
    QByteArray bytes;
    for (int round = 0; round < kRounds; ++round) {
        QTemporaryDir scripts;
        form.TxtPath->setText(scripts.path());
        yields = 0;
        counter.start();
        const Bench::Stopwatch timer;
        form.CmdGenerate_Click();
        seconds.push_back(timer.seconds());
        counter.stop();

        const QStringList files = QDir(scripts.path()).entryList(QDir::Files);
        if (files.size() != 1 ||
            form.FrmSQL->title() != QLatin1String("Generate SQL Scripts Completed"))
            qFatal("the export wrote %lld files, caption \"%s\"", qlonglong(files.size()),
                   qPrintable(form.FrmSQL->title()));
        QFile script(scripts.path() + QLatin1Char('/') + files.first());
        script.open(QIODevice::ReadOnly);
        bytes = script.readAll();
        if (bytes.count("Insert Into attd") != kRows)
            qFatal("the script holds %lld lines", qlonglong(bytes.count("Insert Into attd")));
        limits.push_back(bareReadSeconds(cnxn) +
                         writeSeconds(bytes, scripts.path() + QStringLiteral("/straight")));

        // The export's own steps one by one.
        Bench::Stopwatch step;
        const ScriptRows rows = readScriptRows(cnxn, kFirst, kFirst.addDays(kDays - 1));
        phases[0].push_back(step.seconds());
        step.restart();
        const QString text = buildScript(rows);
        phases[1].push_back(step.seconds());
        step.restart();
        QString folder = scripts.path() + QStringLiteral("/steps");
        if (!QDir().mkpath(folder) || !WriteTimestampedFile(text, folder))
            qFatal("cannot write the script into %s", qPrintable(folder));
        phases[2].push_back(step.seconds());
        std::printf("round %d: %.3f s, limit %.3f s\n", round + 1, seconds.back(), limits.back());
    }
    std::printf("sql-script steps read_seconds=%.3f lines_seconds=%.3f write_seconds=%.3f\n",
                Bench::median(phases[0]), Bench::median(phases[1]), Bench::median(phases[2]));
    std::printf("sql-script bytes=%lld yields=%d\n", qlonglong(bytes.size()), yields);
    Bench::printRate("sql-script", "rows", kRows, Bench::median(seconds), Bench::median(limits));
    return 0;
}
