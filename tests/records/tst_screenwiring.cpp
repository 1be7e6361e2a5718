// The attendance-record screens open without a guard, even while the log is listed, and
// through the opener registered under their menu procedure's name.

#include "support/WindowFixture.h"

#include <QAction>
#include <QLabel>
#include <QtTest>

class TestRecordsWiring : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void openWithoutGuard_data()
    {
        QTest::addColumn<QString>("procedure");
        QTest::addColumn<QString>("menuItem");
        QTest::newRow("log history") << "MnuLogHistory_Click"
                                     << "MnuLogHistory";
        QTest::newRow("repair") << "mnuRepairData_Click"
                                << "mnuRepairData";
        QTest::newRow("usb import") << "MnuUSBLogImport_Click"
                                    << "MnuUSBLogImport";
    }

    void openWithoutGuard()
    {
        QFETCH(QString, procedure);
        QFETCH(QString, menuItem);
        WindowFixture f;
        f.load();
        QString openedBy;
        f.window->setScreenOpener(procedure,
                                  [&openedBy, procedure](frm2&) { openedBy = procedure; });
        f.window->LblDescriptions->setProperty("Tag", QStringLiteral("L"));
        auto* item = f.window->findChild<QAction*>(menuItem);
        QVERIFY(item);
        item->trigger();
        QCOMPARE(openedBy, procedure);
        QVERIFY(f.messages.shown.isEmpty());
    }
};

QTEST_MAIN(TestRecordsWiring)
#include "tst_screenwiring.moc"
