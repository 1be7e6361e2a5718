// The primary extraction against a simulated terminal and a temporary database: what is
// stored, and what survives a bad record, new punches, a broken link and a failing database.

#include "SimState.h"
#include "SimTerminal.h"
#include "SimThread.h"
#include "support/TestSupport.h"
#include "terminals/DeviceLink.h"
#include "terminals/Extraction.h"
#include "terminals/PunchWriter.h"
#include "terminals/TerminalSdk.h"

#include <QSqlQuery>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(SimPunch)
Q_DECLARE_METATYPE(Extraction::Outcome)

namespace {
constexpr long kMachine = 5;

SimPunch punch(const QString& user, int verify, int inOut, const QDate& d, const QTime& t)
{
    return SimPunch::at(user, d, t, verify, inOut);
}

// A record with the fields exactly as given, real date or not.
SimPunch raw(const QString& user, int year, int month, int day, int hour, int minute, int second)
{
    SimPunch p;
    p.user = user;
    p.year = year;
    p.month = month;
    p.day = day;
    p.hour = hour;
    p.minute = minute;
    p.second = second;
    return p;
}

// `count` distinct punches of ten users, one minute apart from 1 March 2026 on.
QList<SimPunch> manyPunches(int count)
{
    QList<SimPunch> list;
    const QDateTime start(QDate(2026, 3, 1), QTime(6, 0, 0));
    for (int i = 0; i < count; ++i) {
        const QDateTime at = start.addSecs(qint64(i) * 60);
        list.append(punch(QString::number(i % 10 + 1), 1, i % 2, at.date(), at.time()));
    }
    return list;
}

int distinctPunches(Db& db, const QString& table)
{
    return db
        .scalar(QStringLiteral("select count(*) from (select distinct LogDate, LogTime, Emp_ID "
                               "from %1)")
                    .arg(table))
        .toInt();
}
} // namespace

class TestExtraction : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<TempDatabase> database;
    std::unique_ptr<SimThread> sim;
    std::unique_ptr<TerminalSdk> sdk;

    Db& db() { return database->db(); }

    void startTerminal(const QList<SimPunch>& punches)
    {
        SimState state;
        state.machine = int(kMachine);
        state.punches = punches;
        sim = std::make_unique<SimThread>(state);
        sdk = std::make_unique<TerminalSdk>();
        QVERIFY(sdk->SdkConnectNetwork(QStringLiteral("127.0.0.1"), sim->port()));
    }

    int punchesOnTerminal() { return int(sim->state().punches.size()); }

private Q_SLOTS:
    void init()
    {
        env = std::make_unique<TestEnvironment>();
        database = std::make_unique<TempDatabase>();
    }

    void cleanup()
    {
        sdk.reset();
        sim.reset();
        database.reset();
        env.reset();
    }

    void storesEachPunchOnceInBothTables()
    {
        const QDate day(2026, 3, 7);
        startTerminal({punch(QStringLiteral("007"), 1, 0, day, QTime(8, 5, 3)),
                       punch(QStringLiteral("12"), 0, 7, day, QTime(17, 30, 0)),
                       // Left on the terminal by an earlier run that failed.
                       punch(QStringLiteral("007"), 1, 0, day, QTime(8, 5, 3))});
        // The same punch, stored earlier from another terminal, is replaced.
        for (const char* table : {"Tbl_DeviceAttenLog", "tbl_attendancelog"})
            db().exec(QStringLiteral("insert into %1 (Emp_ID, VerifyMode, InOutMode, LogDate, "
                                     "LogTime, ExtractedFrom, isnew, emp_name) "
                                     "values (7, 2, 1, '2026-03-07', '08:05:03', 9, 1, '')")
                          .arg(QLatin1String(table)));

        const Extraction::Result result = Extraction::run(db(), *sdk, kMachine);
        QCOMPARE(result.outcome, Extraction::Outcome::Completed);
        QCOMPARE(result.stored, 3);
        QCOMPARE(punchesOnTerminal(), 0);

        for (const QString& table :
             {QStringLiteral("Tbl_DeviceAttenLog"), QStringLiteral("tbl_attendancelog")}) {
            QCOMPARE(countRows(db(), table), 2);
            QSqlQuery q = db().exec(QStringLiteral("select Emp_ID, VerifyMode, InOutMode, "
                                                   "LogDate, LogTime, ExtractedFrom, isnew, "
                                                   "emp_name from %1 order by LogTime")
                                        .arg(table));
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toInt(), 7);
            QCOMPARE(q.value(1).toInt(), 1);
            QCOMPARE(q.value(2).toInt(), 0);
            QCOMPARE(q.value(3).toString(), QStringLiteral("2026-03-07"));
            QCOMPARE(q.value(4).toString(), QStringLiteral("08:05:03"));
            QCOMPARE(q.value(5).toInt(), int(kMachine));
            QCOMPARE(q.value(6).toInt(), 1);
            // The empty text, not NULL: queries that compare emp_name find it.
            QVERIFY(!q.value(7).isNull());
            QCOMPARE(q.value(7).toString(), QString());
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toInt(), 12);
            QCOMPARE(q.value(2).toInt(), 7);
            QCOMPARE(q.value(4).toString(), QStringLiteral("17:30:00"));
        }
    }

    void emptyLogSendsNoClear()
    {
        startTerminal({});
        // A clear request would get an unreadable answer and drop the link.
        sim->run([](SimTerminal& t) { t.garbleNext(QStringLiteral("clearLog")); });
        const Extraction::Result result = Extraction::run(db(), *sdk, kMachine);
        QCOMPARE(result.outcome, Extraction::Outcome::NoData);
        QCOMPARE(result.stored, 0);
        QVERIFY(IsDeviceConnected(*sdk));
        QCOMPARE(countRows(db(), QStringLiteral("Tbl_DeviceAttenLog")), 0);
    }

    void refusedRecordsAreListedAndTheRestStored_data()
    {
        QTest::addColumn<SimPunch>("bad");
        QTest::addColumn<int>("copies");
        QTest::addColumn<QString>("reason");
        const QString notNumber = QStringLiteral("the user number is not a number");
        const QString noDate = QStringLiteral("the date or time does not exist");
        QTest::newRow("user number")
            << raw(QStringLiteral("12A"), 2026, 3, 8, 9, 0, 0) << 1 << notNumber;
        QTest::newRow("blank user") << raw(QString(), 2026, 3, 8, 9, 0, 0) << 1 << notNumber;
        QTest::newRow("30 February")
            << raw(QStringLiteral("3"), 2026, 2, 30, 9, 0, 0) << 1 << noDate;
        QTest::newRow("hour 25") << raw(QStringLiteral("3"), 2026, 3, 8, 25, 0, 0) << 1 << noDate;
        QTest::newRow("before datetime") << raw(QStringLiteral("3"), 1700, 3, 8, 9, 0, 0) << 1
                                         << QStringLiteral("the year is out of range");
        SimPunch empty = raw(QStringLiteral("3"), 2026, 3, 8, 9, 0, 0);
        empty.textField = 1; // the verify mode comes as an empty text
        QTest::newRow("empty verify mode") << empty << 1 << "the verify mode is not a number";
        empty.textField = 5;
        QTest::newRow("empty day") << empty << 1 << "the day is not a number";
        empty.textField = 3;
        empty.text = QStringLiteral("2O26");
        QTest::newRow("text year") << empty << 1 << "the year is not a number";
        QTest::newRow("twelve of them")
            << raw(QStringLiteral("x"), 2026, 3, 8, 9, 0, 0) << 12 << notNumber;
    }

    void refusedRecordsAreListedAndTheRestStored()
    {
        QFETCH(SimPunch, bad);
        QFETCH(int, copies);
        QFETCH(QString, reason);
        QList<SimPunch> punches = manyPunches(4);
        for (int i = 0; i < copies; ++i)
            punches.insert(2, bad);
        startTerminal(punches);

        const Extraction::Result result = Extraction::run(db(), *sdk, kMachine);
        QCOMPARE(result.outcome, Extraction::Outcome::Kept);
        QCOMPARE(result.stored, 4);
        QCOMPARE(result.refusedCount, copies);
        QCOMPARE(result.refused.size(), qMin(copies, Extraction::RefusalsListed));
        QCOMPARE(result.refused[0].position, 3);
        QCOMPARE(result.refused[0].reason, reason);
        QVERIFY(result.refused[0].record.contains(QLatin1Char('"') + bad.user + QLatin1Char('"')));
        const QStringList lines = Extraction::keptMessage(result).split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 1 + result.refused.size() + (copies > 10 ? 1 : 0));
        QVERIFY2(lines[1].startsWith(QLatin1String("Record 3: ")), qPrintable(lines[1]));
        // The punches after the refused records are stored too; the log stays whole.
        for (const char* table : {"Tbl_DeviceAttenLog", "tbl_attendancelog"})
            QCOMPARE(countRows(db(), QLatin1String(table)), 4);
        QCOMPARE(punchesOnTerminal(), 4 + copies);
    }

    // Punches made on the terminal while its log is read are read again before the clear.
    void punchesMadeDuringTheReadAreNotLost_data()
    {
        QTest::addColumn<int>("arrivingReads"); // reads after which a punch arrives
        QTest::addColumn<Extraction::Outcome>("outcome");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("leftOnTerminal");
        QTest::newRow("none") << 0 << Extraction::Outcome::Completed << 3 << 0;
        QTest::newRow("during the first read") << 1 << Extraction::Outcome::Completed << 4 << 0;
        QTest::newRow("during every read") << 3 << Extraction::Outcome::Kept << 5 << 6;
    }

    void punchesMadeDuringTheReadAreNotLost()
    {
        QFETCH(int, arrivingReads);
        QFETCH(Extraction::Outcome, outcome);
        QFETCH(int, rows);
        QFETCH(int, leftOnTerminal);
        startTerminal(manyPunches(3));
        int reads = 0;
        const Extraction::Result result = Extraction::run(db(), *sdk, kMachine, [&](int read) {
            reads = read;
            if (read <= arrivingReads)
                sim->run([read](SimTerminal& t) {
                    t.state().punches.append(
                        punch(QStringLiteral("42"), 1, 0, QDate(2026, 4, 1), QTime(9, read, 0)));
                });
        });
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(result.stillPunching, outcome == Extraction::Outcome::Kept);
        QCOMPARE(reads, qMin(arrivingReads + 1, Extraction::MaxReads));
        for (const QString& table :
             {QStringLiteral("Tbl_DeviceAttenLog"), QStringLiteral("tbl_attendancelog")}) {
            QCOMPARE(countRows(db(), table), rows);
            QCOMPARE(distinctPunches(db(), table), rows);
        }
        QCOMPARE(punchesOnTerminal(), leftOnTerminal);
    }

    // SQL Server reads date text by the login's date format, so it gets dates as dates.
    void datesAreBoundPerDialect_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("type");
        QTest::newRow("SQL Server") << int(Dialect::SqlServer) << int(QMetaType::QDate);
        QTest::newRow("SQLite") << int(Dialect::Sqlite) << int(QMetaType::QString);
    }

    void datesAreBoundPerDialect()
    {
        QFETCH(int, kind);
        QFETCH(int, type);
        const Dialect dialect{Dialect::Kind(kind)};
        PunchRecord p;
        p.LogDate = QDate(2026, 3, 7);
        p.LogTime = QTime(8, 5, 3);
        QCOMPARE(PunchWriter::rowValues(dialect, p).at(3).typeId(), type);
        QCOMPARE(PunchWriter::keyValues(dialect, p).at(0).typeId(), type);
        QCOMPARE(PunchWriter::rowValues(dialect, p).at(3).toDate(), p.LogDate);
        QCOMPARE(PunchWriter::rowValues(dialect, p).at(4), QVariant(QStringLiteral("08:05:03")));
    }

    void brokenLinkKeepsTheLog()
    {
        startTerminal(manyPunches(1000));
        sim->run([](SimTerminal& t) { t.setDropAfterRecords(500); });

        try {
            Extraction::run(db(), *sdk, kMachine);
            QFAIL("a broken link must be reported");
        } catch (const DbError& e) {
            QCOMPARE(e.number(), Extraction::LinkError);
        }
        QVERIFY(countRows(db(), QStringLiteral("Tbl_DeviceAttenLog")) <= 500);
        QCOMPARE(countRows(db(), QStringLiteral("tbl_attendancelog")),
                 countRows(db(), QStringLiteral("Tbl_DeviceAttenLog")));
        QCOMPARE(unmatchedPunches(db()), 0);
        QCOMPARE(punchesOnTerminal(), 1000);

        sim->run([](SimTerminal& t) { t.setDropAfterRecords(-1); });
        QVERIFY(sdk->SdkConnectNetwork(QStringLiteral("127.0.0.1"), sim->port()));
        const Extraction::Result again = Extraction::run(db(), *sdk, kMachine);
        QCOMPARE(again.outcome, Extraction::Outcome::Completed);
        for (const QString& table :
             {QStringLiteral("Tbl_DeviceAttenLog"), QStringLiteral("tbl_attendancelog")}) {
            QCOMPARE(countRows(db(), table), 1000);
            QCOMPARE(distinctPunches(db(), table), 1000);
        }
        QCOMPARE(punchesOnTerminal(), 0);
    }

    void failingDatabaseKeepsTheLog_data()
    {
        QTest::addColumn<int>("punches");
        QTest::addColumn<int>("failAt");
        QTest::newRow("first batch") << 1000 << 300;
        QTest::newRow("later batch") << 9000 << 8500;
    }

    void failingDatabaseKeepsTheLog()
    {
        QFETCH(int, punches);
        QFETCH(int, failAt);
        startTerminal(manyPunches(punches));
        // The second table refuses writes once it holds failAt rows, after the first table
        // took the failing punch: only a rollback of the whole punch keeps the tables equal.
        refuseInsertsFrom(db(), QStringLiteral("tbl_attendancelog"), failAt);

        try {
            Extraction::run(db(), *sdk, kMachine);
            QFAIL("a failing database must be reported");
        } catch (const DbError& e) {
            QVERIFY2(e.text().contains(QLatin1String("readonly")), qPrintable(e.text()));
        }
        QCOMPARE(countRows(db(), QStringLiteral("Tbl_DeviceAttenLog")), failAt);
        QCOMPARE(countRows(db(), QStringLiteral("tbl_attendancelog")), failAt);
        QCOMPARE(unmatchedPunches(db()), 0);
        QCOMPARE(punchesOnTerminal(), punches);
        QVERIFY(IsDeviceConnected(*sdk));

        allowInsertsAgain(db());
        QCOMPARE(Extraction::run(db(), *sdk, kMachine).stored, punches);
        QCOMPARE(countRows(db(), QStringLiteral("Tbl_DeviceAttenLog")), punches);
        QCOMPARE(distinctPunches(db(), QStringLiteral("tbl_attendancelog")), punches);
        QCOMPARE(countRows(db(), QStringLiteral("tbl_attendancelog")), punches);
        QCOMPARE(punchesOnTerminal(), 0);
    }
};

QTEST_GUILESS_MAIN(TestExtraction)
#include "tst_extraction.moc"
