#include "data/CodeTables.h"
#include "data/Records.h"

#include <QtTest>

class TestCodeTables : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void names_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("verify 1") << "verify" << 1 << "FPrint";
        QTest::newRow("verify 2") << "verify" << 2 << "Password";
        QTest::newRow("verify 0") << "verify" << 0 << "Card";
        QTest::newRow("verify 15") << "verify" << 15 << "Card";
        QTest::newRow("usb 0") << "usb" << 0 << "Password";
        QTest::newRow("usb 2") << "usb" << 2 << "Card";
        QTest::newRow("usb 15") << "usb" << 15 << "Face";
        QTest::newRow("usb 3") << "usb" << 3 << "Unknown";
        QTest::newRow("inout -1") << "inout" << -1 << "On-Duty";
        QTest::newRow("inout 0") << "inout" << 0 << "On-Duty";
        QTest::newRow("inout 5") << "inout" << 5 << "OT Out";
        QTest::newRow("inout 7") << "inout" << 7 << "";
        QTest::newRow("inout -2") << "inout" << -2 << "";
        QTest::newRow("repair -1") << "repair" << -1 << "Check In";
        QTest::newRow("repair 1") << "repair" << 1 << "Check Out";
        QTest::newRow("repair 6") << "repair" << 6 << "";
        QTest::newRow("repair 7") << "repair" << 7 << "";
        QTest::newRow("repair -2") << "repair" << -2 << "";
        QTest::newRow("privilege 3") << "privilege" << 3 << "3 - Super Administrator";
        QTest::newRow("privilege 4") << "privilege" << 4 << "";
        QTest::newRow("privilege -1") << "privilege" << -1 << "";
        QTest::newRow("download 1") << "download" << 1 << "Supervisor";
        QTest::newRow("download 3") << "download" << 3 << "";
        QTest::newRow("superlog 0") << "superlog" << 0 << "";
        QTest::newRow("superlog 15") << "superlog" << 15 << "Register MF card";
        QTest::newRow("superlog 16") << "superlog" << 16 << "Register MF card";
        QTest::newRow("superlog 30") << "superlog" << 30 << "Register user";
        QTest::newRow("superlog 31") << "superlog" << 31 << "";
        QTest::newRow("task 0") << "task" << 0 << "Update System Date";
        QTest::newRow("task 5") << "task" << 5 << "Power Off Device";
        QTest::newRow("task 6") << "task" << 6 << "";
        QTest::newRow("conmode 0") << "conmode" << 0 << "Serial Port";
        QTest::newRow("conmode 1") << "conmode" << 1 << "Ethernet";
        QTest::newRow("conmode 2") << "conmode" << 2 << "";
    }

    void names()
    {
        QFETCH(QString, table);
        QFETCH(int, code);
        QFETCH(QString, text);
        QString got;
        if (table == "verify")
            got = VerifyModeNames::name(code);
        else if (table == "usb")
            got = UsbVerifyModeNames::name(code);
        else if (table == "inout")
            got = InOutModeNames::name(code);
        else if (table == "repair")
            got = RepairLogModeNames::name(code);
        else if (table == "privilege")
            got = PrivilegeNames::name(code);
        else if (table == "download")
            got = DownloadPrivilegeNames::name(code);
        else if (table == "superlog")
            got = SuperLogOperationNames::name(code);
        else if (table == "task")
            got = TaskTypes::name(code);
        else if (table == "conmode")
            got = ConnectionModes::name(code);
        QCOMPARE(got, text);
    }

    void processModesInOrder()
    {
        const QStringList modes = ProcessModes::all();
        QCOMPARE(modes.size(), 4);
        QCOMPARE(modes.first(), QString("Convert all data to Sign In."));
        QCOMPARE(modes.last(), QString("All In as Sign In and All Out as Sign Out."));
        QCOMPARE(TaskTypes::all().size(), 6);
    }

    void punchTextsAreTwoDigit()
    {
        PunchRecord p;
        p.LogDate = QDate(2026, 3, 7);
        p.LogTime = QTime(8, 5, 3);
        QCOMPARE(p.logDateText(), QString("2026-03-07"));
        QCOMPARE(p.logTimeText(), QString("08:05:03"));
        p.LogTime = QTime(14, 0, 0);
        QCOMPARE(p.logTimeText(), QString("14:00:00"));
    }
};

QTEST_GUILESS_MAIN(TestCodeTables)
#include "tst_codetables.moc"
