// The punch feed, the USB punch store and the main window's routines around the open-shift
// pairing, down to night shifts extracted from a simulated terminal and posted.

#include "records/PairingValues.h"
#include "records/PunchFeed.h"
#include "records/RecordsScreens.h"
#include "records/UsbImportRoutines.h"
#include "support/WindowFixture.h"
#include "terminals/frmProgressBar.h"

#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QSqlQuery>
#include <QtTest>

namespace {
QStringList rows(Db& db, const QString& sql)
{
    QStringList out;
    QSqlQuery q = db.exec(sql);
    while (q.next()) {
        QStringList fields;
        for (int i = 0; i < 7 && q.value(i).isValid(); ++i)
            fields.append(q.value(i).toString());
        out.append(fields.join(QLatin1Char('|')));
    }
    return out;
}

void storePunch(Db& db, int emp, const QString& date, const QString& time, int inOut)
{
    db.execute(
        QStringLiteral("INSERT INTO Tbl_DeviceAttenLog (Emp_ID, VerifyMode, InOutMode, "
                       "LogDate, LogTime, ExtractedFrom, isnew) VALUES (?, 1, ?, ?, ?, 1, 1)"),
        {emp, inOut, date, time});
}
} // namespace

class TestPunchFeed : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void timeTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("time"); // empty: not a time
        QTest::addColumn<QString>("amPm");
        QTest::newRow("midnight") << "12:00:00 AM"
                                  << "00:00:00"
                                  << "12:00:00 AM";
        QTest::newRow("noon") << "12:00:00 PM"
                              << "12:00:00"
                              << "12:00:00 PM";
        QTest::newRow("afternoon, lower case") << "01:05:09 pm"
                                               << "13:05:09"
                                               << "01:05:09 PM";
        QTest::newRow("24-hour") << "23:59:59"
                                 << "23:59:59"
                                 << "11:59:59 PM";
        QTest::newRow("no seconds") << "06:30"
                                    << "06:30:00"
                                    << "06:30:00 AM";
        QTest::newRow("13 PM") << "13:00:00 PM"
                               << ""
                               << "";
        QTest::newRow("hour 24") << "24:00:00"
                                 << ""
                                 << "";
        QTest::newRow("one-digit minute") << "08:5:00"
                                          << ""
                                          << "";
        QTest::newRow("trailing text") << "08:05:00 XM"
                                       << ""
                                       << "";
    }

    void timeTexts()
    {
        QFETCH(QString, text);
        QFETCH(QString, time);
        QFETCH(QString, amPm);
        // AM/PM stays English whatever the operator's language.
        QLocale::setDefault(QLocale(QLocale::Korean));
        const QTime read = PairingValues::timeFromText(text);
        QCOMPARE(read.isValid() ? PairingValues::timeText(read) : QString(), time);
        QCOMPARE(read.isValid() ? PairingValues::amPmText(read) : QString(), amPm);
    }

    // Copies each punch once, in date and time order, numbered on after the copies already
    // there, from 10 November 2008 on.
    void feedCopiesEachPunchOnce()
    {
        TestEnvironment environment;
        TempDatabase database;
        Db& db = database.db();
        db.execute(QStringLiteral("INSERT INTO Tbl_Emp_Attn_Log_Temp_Bck VALUES (7, 3, 1, 0, "
                                  "'2026-12-01', '08:00:00 AM', 0)"));
        db.execute(QStringLiteral("INSERT INTO Tbl_Emp_Attn_Log_Temp_Bck VALUES (6, 4, 1, 0, "
                                  "'2026-12-01', '22:15:30', 0)"));
        storePunch(db, 3, QStringLiteral("2026-12-01"), QStringLiteral("08:00:00"), 0);
        storePunch(db, 5, QStringLiteral("2026-12-02"), QStringLiteral("00:00:00"), 1);
        storePunch(db, 5, QStringLiteral("2026-12-02"), QStringLiteral("00:00:00"), 0);
        storePunch(db, 4, QStringLiteral("2026-12-01"), QStringLiteral("22:15:30"), 0);
        storePunch(db, 4, QStringLiteral("2026-12-01"), QStringLiteral("13:00:00"), 1);
        storePunch(db, 4, QStringLiteral("2008-11-09"), QStringLiteral("13:00:00"), 1);
        // The same punch stored twice.
        db.execute(QStringLiteral("INSERT INTO Tbl_DeviceAttenLog (Emp_ID, VerifyMode, InOutMode, "
                                  "LogDate, LogTime, ExtractedFrom, isnew) VALUES "
                                  "(5, 1, 1, '2026-12-02', '00:00:00', 2, 1)"));

        QVector<QPair<int, int>> progress;
        PunchFeed feed(db, [&](int value, int maximum) { progress.append({value, maximum}); });
        QCOMPARE(feed.CopyDeviceLogToTempBck(), 3);
        const QStringList copied{
            "6|4|1|0|2026-12-01|22:15:30|0", "7|3|1|0|2026-12-01|08:00:00 AM|0",
            "8|4|1|1|2026-12-01|01:00:00 PM|1", "9|5|1|0|2026-12-02|12:00:00 AM|1",
            "10|5|1|1|2026-12-02|12:00:00 AM|1"};
        const QString all = QStringLiteral("SELECT * FROM Tbl_Emp_Attn_Log_Temp_Bck ORDER BY Indx");
        QCOMPARE(rows(db, all), copied);
        QCOMPARE(progress.constLast(), qMakePair(3, 3));

        QCOMPARE(feed.CopyDeviceLogToTempBck(), 0);
        QCOMPARE(rows(db, all), copied);
        QCOMPARE(feed.ScanNewDeviceLogs(), 7);

        // Other spellings are copied once; an in at the second of a copied out is a punch too.
        db.execDirect(QStringLiteral("PRAGMA ignore_check_constraints = ON"));
        for (const char* time :
             {"17:00:00", "8:05:00", "09:10", "\t10:00", "11:00\r", "\n\v\f12:00", "1:00PM\xA0"})
            storePunch(db, 6, QStringLiteral("2026-12-03"), QLatin1String(time), 0);
        storePunch(db, 4, QStringLiteral("2026-12-01"), QStringLiteral("13:00:00"), 0);
        storePunch(db, 4, QStringLiteral("2008-11-10"), QStringLiteral("13:00:00"), 1);
        QCOMPARE(feed.CopyDeviceLogToTempBck(), 9);
        QCOMPARE(feed.CopyDeviceLogToTempBck(), 0);
        QCOMPARE(rows(db, "SELECT LogTime FROM Tbl_Emp_Attn_Log_Temp_Bck WHERE Indx = 13"),
                 {"08:05:00 AM"});
        storePunch(db, 6, "2026-12-04", QStringLiteral("\uFF10\uFF18:\uFF10\uFF15"), 0);
        QVERIFY_THROWS_EXCEPTION(DbError, feed.CopyDeviceLogToTempBck());
    }

    // A copy the database refuses is undone alone: the ones stored before it stay, and the
    // next feed copies the rest once.
    void feedFailureKeepsThoseBefore()
    {
        TempDatabase database;
        Db& db = database.db();
        storePunch(db, 4, QStringLiteral("2026-12-01"), QStringLiteral("08:00:00"), 0);
        storePunch(db, 5, QStringLiteral("2026-12-01"), QStringLiteral("09:00:00"), 0);
        storePunch(db, 4, QStringLiteral("2026-12-01"), QStringLiteral("17:00:00"), 1);
        db.execDirect(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON "
                                     "Tbl_Emp_Attn_Log_Temp_Bck WHEN NEW.EmpID = 5 BEGIN "
                                     "SELECT RAISE(ABORT, 'refused'); END"));
        QVERIFY_THROWS_EXCEPTION(DbError, PunchFeed(db).CopyDeviceLogToTempBck());
        const QString all =
            QStringLiteral("SELECT EmpID, Indx FROM Tbl_Emp_Attn_Log_Temp_Bck ORDER BY Indx");
        QCOMPARE(rows(db, all), QStringList({"4|0", "4|2"}));
        db.execDirect(QStringLiteral("DROP TRIGGER refuse"));
        QCOMPARE(PunchFeed(db).CopyDeviceLogToTempBck(), 1);
        QCOMPARE(rows(db, all), QStringList({"4|0", "4|2", "5|3"}));
    }

    void saveUsbLogRecord_data()
    {
        QTest::addColumn<int>("emp");
        QTest::addColumn<QString>("punch");
        QTest::addColumn<bool>("stored");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("table");

        const QString before = QStringLiteral("4|12|2026-12-07|08:00:00|0|3");
        QTest::newRow("new punch") << 12 << "2026-12-07 17:30:00" << true << ""
                                   << QStringList{before, "5|12|2026-12-07|17:30:00|1|1"};
        QTest::newRow("same punch again") << 12 << "2026/12/07 08:00:00" << true << ""
                                          << QStringList{"5|12|2026-12-07|08:00:00|1|1"};
        QTest::newRow("employee refused")
            << 99 << "2026-12-07 08:00:00" << false
            << "Employee information of '99' is not entered. Unrecognized employee id"
            << QStringList{before};
        QTest::newRow("no date") << 12 << "07/12/2026 8 Uhr" << false
                                 << "Type mismatch: \"07/12/2026 8 Uhr\" is no date and time."
                                 << QStringList{before};
    }

    void saveUsbLogRecord()
    {
        QFETCH(int, emp);
        QFETCH(QString, punch);
        QFETCH(bool, stored);
        QFETCH(QString, message);
        QFETCH(QStringList, table);
        TempDatabase database;
        Db& db = database.db();
        MsgBoxRecorder messages;
        db.execDirect(QStringLiteral("CREATE TRIGGER unknown BEFORE INSERT ON Tbl_DeviceAttenLog "
                                     "WHEN NEW.Emp_ID = 99 BEGIN SELECT RAISE(ABORT, 'no such "
                                     "employee'); END"));
        QVERIFY(UsbImportRoutines::SaveUsbLogRecord(db, 12, QStringLiteral("2026-12-07 08:00:00"),
                                                    3, 0));
        QCOMPARE(rows(db, QStringLiteral("SELECT indx FROM Tbl_DeviceAttenLog")), QStringList{"1"});
        db.execute(QStringLiteral("UPDATE Tbl_DeviceAttenLog SET indx = 4"));

        QCOMPARE(UsbImportRoutines::SaveUsbLogRecord(db, emp, punch, 1, 1), stored);
        QCOMPARE(messages.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        if (!message.isEmpty())
            QCOMPARE(messages.shown[0].second, 48);
        QCOMPARE(rows(db, QStringLiteral("SELECT indx, Emp_ID, LogDate, LogTime, InOutMode, "
                                         "VerifyMode FROM Tbl_DeviceAttenLog ORDER BY indx")),
                 table);
    }

    // As a new user would meet it: punches extracted from a terminal, fed, and paired for
    // the night-shift worker 16, through the main window.
    void mainWindowPostsNightShifts()
    {
        WindowFixture f(true);
        SimState state;
        state.machine = 9;
        const QDate monday(2026, 12, 7);
        for (int d = 0; d < 3; ++d) {
            state.punches.append(
                SimPunch::at(QStringLiteral("16"), monday.addDays(d), QTime(22, 0), 1, 0));
            state.punches.append(
                SimPunch::at(QStringLiteral("16"), monday.addDays(d + 1), QTime(6, 0), 1, 1));
        }
        state.punches.append(
            SimPunch::at(QStringLiteral("16"), monday.addDays(3), QTime(6, 0, 20), 1, 1));
        f.addTerminal(9, QStringLiteral("Night Gate"), state);
        f.load();
        registerRecordsScreens(*f.window);
        int row = 1;
        while (f.window->ListItemText(row) != QLatin1String("9"))
            ++row;
        QVERIFY(f.connectRow(row));
        f.window->MnuExtractData_Click();
        QCOMPARE(f.messages.texts(), QStringList{"Primary Level Extraction Completed. "});

        f.window->CopyDeviceLogToTempBck();
        f.window->ExtDataToDBOpenShift(16);
        QVERIFY(f.errors.calls.isEmpty());
        QCOMPARE(rows(f.db(), QStringLiteral("SELECT TDATE, TDATE_OUT, INTIME, OUTTIME, "
                                             "WORKHOUR_ID, SignOutBranch FROM "
                                             "Tbl_Emp_Attn_Log_General WHERE EMP_ID = 16 "
                                             "ORDER BY TDATE")),
                 QStringList({"2026-12-07|2026-12-08|22:00:00|06:00:00|3|",
                              "2026-12-08|2026-12-09|22:00:00|06:00:00|3|",
                              "2026-12-09|2026-12-10|22:00:00|06:00:00|3|"}));
        QCOMPARE(f.window->PanelText(1), QStringLiteral(" Extracting Data..."));
        frmProgressBar& progress = f.window->ProgressWindow();
        QCOMPARE(progress.ProTitle1->text(),
                 QStringLiteral("Saving log information to system ..."));
        QCOMPARE(progress.PBar->value(), 6);
        QCOMPARE(progress.PBar->maximum(), 7);
        QVERIFY(!progress.isVisible());
        QVERIFY(!f.window->isBusy());

        // A second call changes nothing; another job holding the window refuses it.
        f.window->ExtDataToDBOpenShift(16);
        {
            frm2::BusyGuard hold(*f.window);
            f.window->ExtDataToDBOpenShift(16);
            f.window->CopyDeviceLogToTempBck();
        }
        QCOMPARE(
            rows(f.db(),
                 QStringLiteral("SELECT COUNT(*) FROM Tbl_Emp_Attn_Log_General WHERE EMP_ID = 16")),
            QStringList{"3"});

        f.messages.clear();
        f.window->ScanNewDeviceLogs();
        f.window->NotifyNormalModeUnsupported();
        QCOMPARE(f.messages.texts(),
                 QStringList(
                     {"Extraction Completed",
                      "Sorry System Currently not Configured to Handle Normal Attendance Mode"}));
        QCOMPARE(f.messages.shown[1].second, 64);
        QCOMPARE(f.messages.titles, QStringList({QString(), QStringLiteral("Notification")}));
    }

    // A punch the database refuses reaches the error dialog under the routine's name, after
    // the punches before it are committed; a refused leave grant under the helper's name,
    // and the pass goes on.
    void mainWindowReportsFailures_data()
    {
        QTest::addColumn<QString>("day");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("procName");
        QTest::addColumn<QStringList>("posted");
        QTest::addColumn<QStringList>("taken");

        QTest::newRow("punch refused")
            << "2026-12-07"
            << "CREATE TRIGGER refuse BEFORE UPDATE OF OutTIme ON Tbl_Emp_Attn_Log_Temp "
               "BEGIN SELECT RAISE(ABORT, 'refused'); END"
            << "ExtDataToDBOpenShift()" << QStringList() << QStringList({"0", "1"});
        QTest::newRow("leave refused")
            << "2026-12-25"
            << "CREATE TRIGGER refuse BEFORE INSERT ON Tbl_Org_Leave_Log "
               "BEGIN SELECT RAISE(ABORT, 'refused'); END"
            << "Add_SubstituteLeave()" << QStringList{"08:00:00|17:00:00|1"}
            << QStringList({"0", "0"});
    }

    void mainWindowReportsFailures()
    {
        QFETCH(QString, day);
        QFETCH(QString, fault);
        QFETCH(QString, procName);
        QFETCH(QStringList, posted);
        QFETCH(QStringList, taken);
        WindowFixture f(true);
        f.load();
        registerRecordsScreens(*f.window);
        for (const QString& time : {QStringLiteral("08:00:00 AM"), QStringLiteral("05:00:00 PM")})
            f.db().execute(QStringLiteral("INSERT INTO Tbl_Emp_Attn_Log_Temp_Bck VALUES "
                                          "((SELECT COUNT(*) FROM Tbl_Emp_Attn_Log_Temp_Bck), "
                                          "16, 1, ?, ?, ?, 1)"),
                           {time.startsWith(QLatin1String("08")) ? 0 : 1, day, time});
        f.db().execDirect(fault);
        f.window->ExtDataToDBOpenShift(16);
        QCOMPARE(f.errors.calls.size(), 1);
        QCOMPARE(f.errors.calls[0].proc, procName);
        QVERIFY(f.errors.calls[0].error.description.contains(QLatin1String("refused")));
        QCOMPARE(rows(f.db(), QStringLiteral("SELECT INTIME, OUTTIME, ATT_STATUS FROM "
                                             "Tbl_Emp_Attn_Log_General")),
                 posted);
        QCOMPARE(rows(f.db(),
                      QStringLiteral("SELECT IsNew FROM Tbl_Emp_Attn_Log_Temp_Bck ORDER BY Indx")),
                 taken);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QVERIFY(!f.window->isBusy());
    }
};

QTEST_MAIN(TestPunchFeed)
#include "tst_punchfeed.moc"
