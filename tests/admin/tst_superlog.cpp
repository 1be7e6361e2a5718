// The operation-log viewer offscreen, over the main window and a simulated terminal: the
// rows and their texts, an empty log, a link that is down or a read that fails, and Cancel
// while the log is being listed.

#include "SimTerminal.h"
#include "admin/FrmSuperLogData.h"
#include "admin/SuperLogModel.h"
#include "support/WindowFixture.h"

#include <QGroupBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {
SimOperation operation(int operatorId, int code, int param)
{
    // machine, operator, param4, user, param2, operation, param3, year .. minute
    return SimOperation{
        {1, operatorId, param + 4, param + 1, param + 2, code, param + 3, 2026, 3, 7, 9, 5}};
}

QStringList rowTexts(const SuperLogModel& model, int row)
{
    QStringList texts;
    for (int c = 0; c < model.columnCount(); ++c)
        texts << model.index(row, c).data().toString();
    return texts;
}

struct Fixture
{
    explicit Fixture(const QList<SimOperation>& operations, bool link = true)
    {
        SimState s;
        s.operations = operations;
        sim = &f.addTerminal(1, QStringLiteral("Front Gate"), s);
        f.load();
        connected = !link || f.connectRow(1);
        screen = std::make_unique<FrmSuperLogData>(*f.window);
    }
    QString caption() const { return screen->findChild<QGroupBox*>("Frame1")->title(); }
    QProgressBar* bar() const { return screen->findChild<QProgressBar*>("PrgBar"); }

    WindowFixture f;
    SimThread* sim = nullptr;
    bool connected = false;
    std::unique_ptr<FrmSuperLogData> screen;
};
} // namespace

class TestSuperLog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void listsTheLog()
    {
        Fixture x({operation(3, 16, 10), operation(2, 31, 20), operation(999, 0, 30),
                   operation(3, 1, 40)});
        QVERIFY(x.connected);
        x.f.db().exec(QStringLiteral("insert into Tbl_Emp_Info values (3, 'Sean', 'P', "
                                     "'O''Hara'), (2, 'Ann', NULL, 'Lee')"));
        x.screen->CmdViewLogs_Click();
        const SuperLogModel& rows = x.screen->rows();
        QCOMPARE(rows.rowCount(), 4);
        QCOMPARE(rowTexts(rows, 0), (QStringList{"1", "3", "Sean P O'Hara", "14", "11", "12",
                                                 "Register MF card", "13", "2026-3-7", "9:5"}));
        QCOMPARE(rowTexts(rows, 1).mid(0, 7), (QStringList{"2", "2", " ", "24", "21", "22", ""}));
        QCOMPARE(rowTexts(rows, 2).mid(1, 2), (QStringList{"999", ""}));
        QCOMPARE(rowTexts(rows, 3).value(6), QStringLiteral("Power-off"));
        QCOMPARE(x.caption(), QStringLiteral("4 Of 4"));
        QCOMPARE(x.bar()->maximum(), 4);
        QCOMPARE(x.bar()->value(), 4);
        QVERIFY(x.f.messages.shown.isEmpty());
        QVERIFY(x.f.errors.calls.isEmpty());
        QVERIFY(!x.f.window->isBusy());
    }

    // An empty log lists nothing and says nothing; a link that is down, or a read that
    // failed and left it down, says so.
    void emptyOrUnreadable_data()
    {
        QTest::addColumn<bool>("link");
        QTest::addColumn<bool>("garbled");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("empty log") << true << false << QStringList();
        QTest::newRow("link down") << false << false << QStringList{"Device is not Connected"};
        QTest::newRow("garbled read") << true << true << QStringList{"Device is not Connected"};
    }

    void emptyOrUnreadable()
    {
        QFETCH(bool, link);
        QFETCH(bool, garbled);
        QFETCH(QStringList, messages);
        Fixture x(garbled ? QList<SimOperation>{operation(3, 16, 0)} : QList<SimOperation>(), link);
        QVERIFY(x.connected);
        if (garbled)
            x.sim->run([](SimTerminal& t) { t.garbleNext(QStringLiteral("readSuperLog")); });
        x.screen->CmdViewLogs_Click();
        QCOMPARE(x.screen->rows().rowCount(), 0);
        QCOMPARE(x.bar()->maximum(), 0);
        QCOMPARE(x.caption(), QString());
        QCOMPARE(x.f.messages.texts(), messages);
        QVERIFY(x.f.errors.calls.isEmpty());
        // Maximum 0 shows as an empty bar, not as the busy animation.
        const QImage shown = x.bar()->grab().toImage();
        x.bar()->setRange(0, 1);
        QCOMPARE(x.bar()->grab().toImage(), shown);
    }

    // A name look-up that fails stops the listing; the rows read before it stay listed.
    void failedNameKeepsTheRowsBefore()
    {
        Fixture x({operation(1, 1, 0), operation(1, 2, 0), operation(1, 3, 0), operation(2, 4, 0)});
        x.f.db().execDirect(QStringLiteral("drop table Tbl_Emp_Info"));
        x.f.db().execDirect(QStringLiteral(
            "create view Tbl_Emp_Info as select 1 as Emp_ID, 'A' as Emp_FirstName, 'B' as "
            "Emp_MiddleName, 'C' as Emp_LastName union all select 2, abs(-9223372036854775807 "
            "- 1), '', ''"));
        x.screen->CmdViewLogs_Click();
        QCOMPARE(x.f.errors.calls.size(), 1);
        QCOMPARE(x.f.errors.calls[0].proc, QStringLiteral("CmdViewLogs_Click()"));
        QCOMPARE(x.screen->rows().rowCount(), 3);
        QCOMPARE(x.caption(), QStringLiteral("3 Of 4"));
    }

    // Cancel while the log is listed stops the listing first, then closes the screen; until
    // then View Logs and the main window's commands wait.
    void cancelWhileReading()
    {
        QList<SimOperation> log;
        for (int i = 0; i < 500; ++i)
            log << operation(i % 7, i % 31, i);
        Fixture x(log);
        x.screen->show();
        bool viewLogsOff = false;
        bool windowBusy = false;
        QTimer::singleShot(0, x.screen.get(), [&] {
            viewLogsOff = !x.screen->findChild<QPushButton*>("CmdViewLogs")->isEnabled();
            windowBusy = x.f.window->isBusy();
            x.screen->CmdCancel_Click();
            QVERIFY(x.screen->isVisible());
        });
        x.screen->CmdViewLogs_Click();
        QVERIFY(viewLogsOff);
        QVERIFY(windowBusy);
        QVERIFY(!x.screen->isVisible());
        QVERIFY(x.screen->rows().rowCount() < log.size());
        QVERIFY(!x.f.window->isBusy());
        QVERIFY(x.f.errors.calls.isEmpty());
    }
};

QTEST_MAIN(TestSuperLog)
#include "tst_superlog.moc"
