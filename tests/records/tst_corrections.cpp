// The manual corrections against a demo database: what each command writes, the midnight
// rules, and what stands when the database refuses a write half-way.

#include "records/Corrections.h"
#include "records/FrmLogHistory.h"
#include "support/WindowFixture.h"

#include "shell/Shared.h"

#include <QDateEdit>
#include <QFile>
#include <QPushButton>
#include <QSqlQuery>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

namespace {
const QDate kDay(2026, 3, 7); // a Saturday

void punch(Db& db, int emp, const QDate& day, const QString& time, QVariant verify = 1,
           QVariant inOut = 0)
{
    db.exec(QStringLiteral("insert into Tbl_DeviceAttenLog (Emp_ID, VerifyMode, InOutMode, LogDate,"
                           " LogTime, ExtractedFrom, isnew, emp_name) values (?,?,?,?,?,2,1,'')"),
            {emp, verify, inOut, day.toString(Qt::ISODate), time});
}

void dayRow(Db& db, int emp, const QDate& day, const QString& in, const QString& out = QString())
{
    db.exec(QStringLiteral("insert into Tbl_Emp_Attn_Log_General (EMP_ID, WORKHOUR_ID, TDATE,"
                           " INTIME, INMODE, OUTTIME, COUNTER) values (?,1,?,?,'FPrint',?,7)"),
            {emp, day.toString(Qt::ISODate), in, out.isEmpty() ? QVariant() : QVariant(out)});
}

// Rows of one employee as "TDATE TDATE_OUT INTIME INMODE OUTTIME OUTMODE COUNTER", by day.
QStringList rows(Db& db, int emp)
{
    QStringList list;
    QSqlQuery q = db.exec(
        QStringLiteral("select TDATE, TDATE_OUT, INTIME, INMODE, OUTTIME, OUTMODE, COUNTER from "
                       "Tbl_Emp_Attn_Log_General where EMP_ID=? order by TDATE, INTIME"),
        {emp});
    while (q.next()) {
        QStringList cells;
        for (int c = 0; c < 7; ++c)
            cells << (q.value(c).isNull() ? QStringLiteral("-") : q.value(c).toString());
        list << cells.join(QLatin1Char(' '));
    }
    return list;
}

int count(Db& db, const QString& table)
{
    return db.scalar(QStringLiteral("select count(*) from ") + table).toInt();
}

// Refuses inserts into `table` once it holds `rows` rows matching `where`.
void refuseAfter(Db& db, const QString& table, int rows, const QString& where = "1=1")
{
    db.execDirect(QStringLiteral("create trigger refuse before insert on %1 when (select count(*) "
                                 "from %1 where %3) >= %2 begin select raise(abort, 'disk "
                                 "refused'); end")
                      .arg(table)
                      .arg(rows)
                      .arg(where));
}

Corrections::Item item(const QDate& day, const QString& time, QVariant verify = 1)
{
    return {day, time, verify};
}
} // namespace

class TestCorrections : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void signInKeepsLatestAndWritesOnePairingRow()
    {
        WindowFixture f(true);
        int committed = 0;
        Corrections::signIn(f.db(), 3,
                            {item(kDay, "08:01:00", 1), item(kDay, "08:05:00", 2),
                             item(kDay.addDays(1), "09:00:00", QVariant())},
                            committed);
        QCOMPARE(committed, 3);
        QCOMPARE(rows(f.db(), 3), QStringList({"2026-03-07 - 08:05:00 Password - - 1",
                                               "2026-03-08 - 09:00:00  - - 1"}));
        QSqlQuery q = f.db().exec("select TDate, INTime, Verify, counter from "
                                  "Tbl_Emp_Attn_Log_Temp order by TDate");
        QStringList pairing;
        while (q.next())
            pairing << QStringList{q.value(0).toString(), q.value(1).toString(),
                                   q.value(2).toString(), q.value(3).toString()}
                           .join(' ');
        // Only a new day's first sign-in is a pair to come; a NULL verify mode reads as "".
        QCOMPARE(pairing, QStringList({"2026-03-07 08:01:00 1 1", "2026-03-08 09:00:00 1 1"}));
    }

    void signInOnExistingDayOnlyUpdates()
    {
        WindowFixture f(true);
        dayRow(f.db(), 3, kDay, "07:00:00", "16:00:00");
        dayRow(f.db(), 3, kDay, "18:00:00");
        int committed = 0;
        Corrections::signIn(f.db(), 3, {item(kDay, "08:00:00", 4)}, committed);
        QCOMPARE(rows(f.db(), 3), QStringList({"2026-03-07 - 08:00:00 Card 16:00:00 - 7",
                                               "2026-03-07 - 08:00:00 Card - - 7"}));
        QCOMPARE(count(f.db(), "Tbl_Emp_Attn_Log_Temp"), 0);
    }

    void signInWithoutWorkingHoursStopsAtThatItem()
    {
        WindowFixture f(true);
        f.db().exec("delete from Tbl_Org_WorkingHrs where Day_ID=1"); // no Sunday hours
        int committed = 0;
        bool threw = false;
        try {
            Corrections::signIn(f.db(), 3,
                                {item(kDay, "08:00:00"), item(kDay.addDays(1), "08:00:00"),
                                 item(kDay.addDays(2), "08:00:00")},
                                committed);
        } catch (const DbError& e) {
            threw = true;
            QVERIFY2(e.text().contains("employee 3") && e.text().contains("2026/03/08"),
                     qPrintable(e.text()));
        }
        QVERIFY(threw);
        QCOMPARE(committed, 1);
        QCOMPARE(rows(f.db(), 3).size(), 1);
    }

    void signOut_data()
    {
        QTest::addColumn<int>("counter");
        QTest::newRow("no shift chosen") << 1;
        QTest::newRow("Shift 3") << 3;
    }

    void signOut()
    {
        QFETCH(int, counter);
        WindowFixture f(true);
        dayRow(f.db(), 3, kDay, "08:00:00");
        Corrections::SignOutOutcome outcome;
        Corrections::signOut(f.db(), 3, {item(kDay, "17:00:00"), item(kDay, "17:30:00", 2)}, kDay,
                             counter, outcome);
        QCOMPARE(outcome.assigned, QVector<int>({0, 1}));
        QCOMPARE(rows(f.db(), 3), QStringList({QStringLiteral("2026-03-07 2026-03-07 08:00:00 "
                                                              "FPrint 17:30:00 Password %1")
                                                   .arg(counter)}));
    }

    void signOutAcrossMidnightAndItsRefusals()
    {
        WindowFixture f(true);
        dayRow(f.db(), 16, kDay, "22:00:00");
        Corrections::SignOutOutcome outcome;
        // The 06:10 punch of 8 March closes the 7 March night shift; punches before the
        // sign-in are refused; a day without rows assigns nothing.
        Corrections::signOut(f.db(), 16,
                             {item(kDay.addDays(-1), "23:00:00"), item(kDay, "06:00:00"),
                              item(kDay.addDays(1), "06:10:00")},
                             kDay, 1, outcome);
        QCOMPARE(outcome.assigned, QVector<int>({2}));
        QCOMPARE(outcome.refused, QVector<int>({0, 1}));
        int committed = 0;
        Corrections::signIn(f.db(), 16, {item(kDay, "23:00:00")}, committed); // the night takes it
        QCOMPARE(rows(f.db(), 16),
                 QStringList({"2026-03-07 2026-03-08 23:00:00 FPrint 06:10:00 FPrint 1"}));

        Corrections::signOut(f.db(), 16,
                             {item(kDay.addDays(1), "06:00:00"), item(kDay.addDays(2), "06:00:00")},
                             kDay.addDays(2), 1, outcome);
        QVERIFY(outcome.assigned.isEmpty());
        QVERIFY(outcome.refused.isEmpty());
    }

    void pairRange_data()
    {
        QTest::addColumn<QStringList>("punches"); // "time verify inout" of kDay
        QTest::addColumn<QString>("row");
        QTest::newRow("one off-duty punch: sign-in only")
            << QStringList{"17:00:00 1 1"} << "2026-03-07 - 17:00:00 FPrint - - -";
        QTest::newRow("three: first and last")
            << QStringList{"12:00:00 1 2", "08:00:00 2 0", "17:00:00 4 1"}
            << "2026-03-07 - 08:00:00 Password 17:00:00 Card -";
        QTest::newRow("a punch stored twice counts once")
            << QStringList{"08:00:00 1 0", "08:00:00 1 0"} << "2026-03-07 - 08:00:00 FPrint - - -";
    }

    void pairRange()
    {
        QFETCH(QStringList, punches);
        QFETCH(QString, row);
        WindowFixture f(true);
        for (const QString& p : punches) {
            const QStringList parts = p.split(' ');
            punch(f.db(), 3, kDay, parts[0], parts[1].toInt(), parts[2].toInt());
        }
        dayRow(f.db(), 3, kDay, "09:00:00", "10:00:00"); // a manual row is replaced
        punch(f.db(), 99, kDay, "08:00:00");             // not in the tree: left alone
        for (int run = 0; run < 2; ++run) {
            int committed = 0;
            Corrections::pairRange(f.db(), {1, 3}, QDate(-1, 1, 1), kDay, committed);
            QCOMPARE(committed, 1);
            QCOMPARE(rows(f.db(), 3), QStringList({row}));
        }
        QVERIFY(rows(f.db(), 99).isEmpty());
    }

    void makeOut_data()
    {
        QTest::addColumn<QString>("intime");
        QTest::addColumn<QStringList>("signIns");
        QTest::addColumn<QString>("row");
        QTest::newRow("one sign-in punch: unchanged")
            << "08:00:00" << QStringList{"08:00:00"} << "2026-03-07 - 08:00:00 FPrint - - 7";
        QTest::newRow("latest of two") << "08:00:00" << QStringList{"08:00:00", "16:45:00"}
                                       << "2026-03-07 2026-03-07 08:00:00 FPrint 16:45:00 FPrint 7";
        QTest::newRow("morning punch never closes the evening sign-in")
            << "22:00:00" << QStringList{"06:00:00", "22:00:00"}
            << "2026-03-07 - 22:00:00 FPrint - - 7";
    }

    void makeOut()
    {
        QFETCH(QString, intime);
        QFETCH(QStringList, signIns);
        QFETCH(QString, row);
        WindowFixture f(true);
        dayRow(f.db(), 16, kDay, intime);
        for (const QString& t : signIns)
            punch(f.db(), 16, kDay, t, 1, t.startsWith("06") ? -1 : 0);
        punch(f.db(), 16, kDay, "23:00:00", 1, 1); // a sign-out punch plays no part
        int committed = 0;
        Corrections::makeOut(f.db(), kDay, QDate(10000, 1, 1), {}, committed); // past the held days
        QCOMPARE(rows(f.db(), 16), QStringList({row}));
        QCOMPARE(Corrections::dayRange(Dialect(Dialect::SqlServer), kDay, QDate(2099, 12, 31)),
                 QVariantList({kDay, QDate(2079, 6, 6)}));
    }

    void missingSignOutsWriteOneLinePerCommittedRow()
    {
        WindowFixture f(true);
        dayRow(f.db(), 3, kDay, "08:00:00");
        dayRow(f.db(), 3, kDay, "13:00:00"); // a second pair of the day
        dayRow(f.db(), 16, kDay, "22:00:00");
        dayRow(f.db(), 4, kDay, "08:00:00");
        punch(f.db(), 3, kDay, "17:00:00", 2, 1);
        punch(f.db(), 3, kDay, "17:20:00", 1, 1);
        punch(f.db(), 16, kDay, "06:00:00", 1, 1); // before the 22:00 sign-in: skipped
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        int committed = 0;
        QVector<int> progress;
        Corrections::fillMissingSignOuts(
            f.db(), kDay, kDay, [&](int emp) { progress << emp; }, committed);
        QLocale::setDefault(QLocale::system());
        QCOMPARE(committed, 3);
        QCOMPARE(progress, QVector<int>({16}));
        QCOMPARE(rows(f.db(), 3),
                 QStringList({"2026-03-07 2026-03-07 08:00:00 FPrint 17:20:00 FPrint 7",
                              "2026-03-07 2026-03-07 13:00:00 FPrint 17:20:00 FPrint 7"}));
        QCOMPARE(rows(f.db(), 16), QStringList({"2026-03-07 - 22:00:00 FPrint - - 7"}));
        QFile log(f.env.homeDir() + "/SchedulerLOG.txt");
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(log.readAll()),
                 QString("Siobhan Mary O'Brien (3)       07/03/2026      17:20:00 Updated.\r\n")
                     .repeated(2));
    }

    // A disk that refuses writes half-way: what was done before stands whole, nothing of
    // the failing item is left, and the error goes to the dialog with the command's name.
    void refusedWriteMidSignIn()
    {
        WindowFixture f(true);
        for (int d = 0; d < 5; ++d)
            punch(f.db(), 3, kDay.addDays(d), "08:00:00");
        refuseAfter(f.db(), "Tbl_Emp_Attn_Log_Temp", 3);
        FrmLogHistory screen;
        screen.Form_Load();
        auto* tree = screen.findChild<QTreeWidget*>("TreeView1");
        const auto found =
            tree->findItems("Siobhan Mary O'Brien (3)", Qt::MatchExactly | Qt::MatchRecursive);
        QCOMPARE(found.size(), 1);
        tree->setCurrentItem(found.first());
        screen.findChild<QDateEdit*>("DTPicker1")->setDate(kDay);
        screen.findChild<QDateEdit*>("DTPicker2")->setDate(kDay.addDays(10));
        screen.TreeView1_Click();
        auto* list = screen.findChild<QTreeWidget*>("lsv");
        QCOMPARE(list->topLevelItemCount(), 5);
        for (int i = 0; i < 5; ++i)
            list->topLevelItem(i)->setCheckState(0, Qt::Checked);
        screen.CmdSignIn_Click();

        QCOMPARE(f.errors.calls.size(), 1);
        QCOMPARE(f.errors.calls[0].form, QString("FrmLogHistory"));
        QCOMPARE(f.errors.calls[0].proc, QString("CmdSignIn_Click()"));
        QVERIFY(f.messages.shown.isEmpty());
        QCOMPARE(count(f.db(), "Tbl_Emp_Attn_Log_General"), 3);
        QCOMPARE(count(f.db(), "Tbl_Emp_Attn_Log_Temp"), 3);
        for (int i = 0; i < 5; ++i)
            QCOMPARE(list->topLevelItem(i)->checkState(0), i < 3 ? Qt::Unchecked : Qt::Checked);
    }

    void refusedWriteMidRangePairing()
    {
        WindowFixture f(true);
        for (int d = 0; d < 5; ++d) {
            punch(f.db(), 3, kDay.addDays(d), "08:00:00");
            punch(f.db(), 3, kDay.addDays(d), "17:00:00");
            dayRow(f.db(), 3, kDay.addDays(d), "09:00:00");
        }
        // The 4th paired day is refused after its old row was deleted.
        refuseAfter(f.db(), "Tbl_Emp_Attn_Log_General", 3, "OUTTIME is not null");
        FrmLogHistory screen;
        screen.Form_Load();
        screen.findChild<QDateEdit*>("DTPicker1")->setDate(kDay);
        screen.findChild<QDateEdit*>("DTPicker2")->setDate(kDay.addDays(10));
        screen.CmdSignInOut_Click();
        QCOMPARE(f.errors.calls.size(), 1);
        QCOMPARE(f.errors.calls[0].proc, QString("CmdSignInOut_Click()"));
        const QStringList after = rows(f.db(), 3);
        QCOMPARE(after.size(), 5); // no day lost its row
        for (int d = 0; d < 5; ++d)
            QCOMPARE(after[d].section(' ', 2, 2),
                     d < 3 ? QString("08:00:00") : QString("09:00:00"));
    }

    void locales_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("shortDate");
        QTest::newRow("en_US") << "en_US"
                               << "3/7/26";
        QTest::newRow("en_GB") << "en_GB"
                               << "07/03/2026";
        QTest::newRow("de_DE") << "de_DE"
                               << "07.03.26";
    }

    // 7 March stays 7 March whatever the operator's date order.
    void locales()
    {
        QFETCH(QString, locale);
        QFETCH(QString, shortDate);
        QLocale::setDefault(QLocale(locale));
        WindowFixture f(true);
        punch(f.db(), 3, kDay, "08:00:00");
        punch(f.db(), 3, kDay, "17:00:00", 1, 1);
        int committed = 0;
        Corrections::signIn(f.db(), 3, {item(kDay, "08:00:00")}, committed);
        Corrections::SignOutOutcome outcome;
        Corrections::signOut(f.db(), 3, {item(kDay, "16:00:00")}, kDay, 1, outcome);
        QCOMPARE(outcome.assigned.size(), 1);
        f.db().exec("update Tbl_Emp_Attn_Log_General set OUTTIME=NULL");
        Corrections::fillMissingSignOuts(f.db(), kDay, kDay, {}, committed);
        QLocale::setDefault(QLocale::system());
        QCOMPARE(rows(f.db(), 3),
                 QStringList({"2026-03-07 2026-03-07 08:00:00 FPrint 17:00:00 FPrint 1"}));
        QFile log(f.env.homeDir() + "/SchedulerLOG.txt");
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(log.readAll()).contains("       " + shortDate + "      "));
    }

    void clearLogSparesTheSecondPunchTable()
    {
        WindowFixture f(true);
        punch(f.db(), 3, kDay, "08:00:00");
        punch(f.db(), 3, kDay.addDays(5), "08:00:00");
        f.db().exec("insert into tbl_attendancelog select Emp_ID, VerifyMode, InOutMode, LogDate,"
                    " LogTime, ExtractedFrom, isnew, emp_name from Tbl_DeviceAttenLog");
        QCOMPARE(Corrections::clearLog(f.db(), 3, kDay, kDay.addDays(1)), 1);
        QCOMPARE(count(f.db(), "Tbl_DeviceAttenLog"), 1);
        QCOMPARE(count(f.db(), "tbl_attendancelog"), 2);
    }

    // Sign In and Cancel while Missing Sign Out yields are refused; the main window is
    // busy until it ends.
    void commandsRefusedWhileFilling()
    {
        WindowFixture f(true);
        f.load();
        dayRow(f.db(), 3, kDay, "08:00:00");
        punch(f.db(), 3, kDay, "17:00:00", 1, 1);
        FrmLogHistory screen(f.window.get());
        screen.Form_Load();
        auto* tree = screen.findChild<QTreeWidget*>("TreeView1");
        tree->setCurrentItem(
            tree->findItems("Siobhan Mary O'Brien (3)", Qt::MatchExactly | Qt::MatchRecursive)
                .first());
        screen.findChild<QDateEdit*>("DTPicker1")->setDate(kDay);
        screen.TreeView1_Click();
        auto* list = screen.findChild<QTreeWidget*>("lsv");
        list->topLevelItem(0)->setCheckState(0, Qt::Checked);
        screen.findChild<QDateEdit*>("DTPicker1")->setDate(kDay);
        screen.findChild<QDateEdit*>("DTPicker2")->setDate(kDay);
        screen.show();
        bool seen = false;
        QTimer::singleShot(0, &screen, [&] {
            seen = true;
            QVERIFY(f.window->isBusy());
            screen.findChild<QPushButton*>("CmdSignIn")->click();
            screen.findChild<QPushButton*>("CmdCancel")->click();
            QTest::keyClick(&screen, Qt::Key_Escape);
            QVERIFY(!screen.close());
        });
        screen.ChkConsistent_Click();
        QVERIFY(seen);
        QVERIFY(screen.isVisible());
        QVERIFY(!f.window->isBusy());
        QCOMPARE(f.messages.texts(),
                 QStringList({"Checking / Updating Missing SignOut Completed."}));
        QCOMPARE(screen.windowTitle(), QString("Attendance Log History"));
        QCOMPARE(list->topLevelItem(0)->checkState(0), Qt::Checked);
        QCOMPARE(count(f.db(), "Tbl_Emp_Attn_Log_Temp"), 0);
    }
};

QTEST_MAIN(TestCorrections)
#include "tst_corrections.moc"
