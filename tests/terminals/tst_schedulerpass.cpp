#include "TestSupport.h"

#include "SimTerminal.h"
#include "SimThread.h"

#include "shell/Clock.h"
#include "shell/DateText.h"
#include "shell/Settings.h"
#include "shell/Shared.h"
#include "terminals/MinuteTrigger.h"
#include "terminals/SchedulerPass.h"
#include "terminals/TaskStore.h"
#include "terminals/TerminalSdk.h"

#include <QFile>
#include <QTcpServer>
#include <QtTest>

#include <map>
#include <memory>
#include <vector>

namespace {
// The main window as the pass sees it: one control element per registered terminal.
class FakeHost : public SchedulerHost
{
public:
    std::vector<std::unique_ptr<TerminalSdk>> elements;  // element i+1 at index i
    std::map<int, int> elementOfDevice;
    QList<QPair<int, int>> currentTerminals;
    int viewLogsCalls = 0;
    int extractCalls = 0;

    TerminalSdk& add(int deviceId)
    {
        elements.push_back(std::make_unique<TerminalSdk>());
        elementOfDevice[deviceId] = static_cast<int>(elements.size());
        return *elements.back();
    }

    TerminalSdk* controlForDevice(int deviceId, int& elementIndex) override
    {
        auto it = elementOfDevice.find(deviceId);
        if (it == elementOfDevice.end()) {
            elementIndex = 0;
            return nullptr;
        }
        elementIndex = it->second;
        return elements[static_cast<size_t>(it->second - 1)].get();
    }

    void setCurrentTerminal(int selectedItem, int machineId) override
    {
        currentTerminals.append({selectedItem, machineId});
    }

    QList<int> closedLinks;
    void closeLink(int e) override { closedLinks << e, elements[size_t(e - 1)]->SdkDisconnect(); }
    void viewLogs() override { ++viewLogsCalls, Clock::advance(40 * 60000); } // a long listing
    bool extractData() override
    {
        ++extractCalls;
        return extractSucceeds;
    }

    bool extractSucceeds = true;
};
}  // namespace

class TestSchedulerPass : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<TempDatabase> database;
    const QDateTime now{QDate(2026, 12, 7), QTime(10, 0, 12)};
    const QByteArray m_tz = qgetenv("TZ");

    Db& db() { return shared().Cnxn; }
    QString today() const { return TaskStore::dateText(now.date()); }

    void registerTerminal(int deviceId, quint16 port)
    {
        db().exec("insert into Tbl_DeviceMaster (DeviceID, DeviceDescription, ComNo, PortNo, "
                  "IPAddress, BaudRate, ConMode, Log_Mode) values (?,?,'1',?,'127.0.0.1','9600',1,3)",
                  {deviceId, QString("Terminal %1").arg(deviceId), QString::number(port)});
    }

    void addTask(int deviceId, int task, const QString& date, const QString& time,
                 const QString& eachDay = "0", int deviceIndex = 0)
    {
        TaskRecord t;
        t.DeviceID = deviceId;
        t.DeviceIndex = deviceIndex;
        t.Task = task;
        t.TaskDate = date;
        t.TaskTime = time;
        t.TaskEachDay = eachDay;
        TaskStore::insert(db(), t);
    }

    QStringList logLines() const
    {
        QFile f(env->homeDir() + "/SchedulerLOG.txt");
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QStringList lines = QString::fromUtf8(f.readAll()).split("\r\n");
        lines.removeAll(QString());
        return lines;
    }

    QStringList performed()
    {
        QStringList marks;
        QSqlQuery q = db().exec("select Performed from Tbl_Task order by TaskID");
        while (q.next())
            marks << q.value(0).toString();
        return marks;
    }

    // A port on which nothing listens.
    static quint16 deadPort()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        return probe.serverPort();
    }

private Q_SLOTS:
    void init()
    {
        qputenv("TZ", "Europe/Berlin"), tzset(); // daylight saving as central Europe keeps it
        env = std::make_unique<TestEnvironment>();
        database = std::make_unique<TempDatabase>();
        resetShared();
        database->openShared();
        Clock::setNow(now);
        Settings::setValue(Settings::SdkConnectTimeoutMs, 1000);
        Settings::setValue(Settings::SdkOperationTimeoutMs, 2000);
    }

    void cleanup()
    {
        m_tz.isNull() ? qunsetenv("TZ") : qputenv("TZ", m_tz), tzset();
        resetShared();
        database.reset();
        env.reset();
    }

    void nothingDueDoesNothing()
    {
        FakeHost host;
        addTask(3, 1, today(), "10:01");
        addTask(3, 1, TaskStore::dateText(now.date().addDays(1)), "10:00");
        SchedulerPass::run(db(), host, now);
        QVERIFY(logLines().isEmpty());
        QVERIFY(host.currentTerminals.isEmpty());
        QCOMPARE(performed(), QStringList({"", ""}));
    }

    void eachTaskByItsOwnDayFlag()
    {
        // Terminals without an element: each due task logs its failure line, which shows
        // which tasks the pass chose.
        FakeHost host;
        const QString otherDay = TaskStore::dateText(now.date().addDays(-3));
        addTask(41, 1, otherDay, "10:00", "0");
        addTask(42, 1, otherDay, "10:00", "1");
        addTask(43, 3, today(), "10:00", "0");
        const QString oldForm = shortDateText(now.date());  // saved by earlier versions
        addTask(44, 5, oldForm, "10:00", "0");
        SchedulerPass::run(db(), host, now);
        // A one-date task of another day first: the each-day task and today's tasks run.
        QCOMPARE(logLines(), QStringList({"Device Connect Failed (42)" + otherDay + ",10:00",
                                          "Device Restart Failed (43)" + today() + ",10:00",
                                          "Power Off Device Failed (44)" + oldForm + ",10:00"}));

        db().exec("delete from Tbl_Task");
        QFile::remove(env->homeDir() + "/SchedulerLOG.txt");
        addTask(52, 1, otherDay, "10:00", "1");
        addTask(51, 1, otherDay, "10:00", "0");
        SchedulerPass::run(db(), host, now);
        // An each-day task first: a one-date task of another day still does not run.
        QCOMPARE(logLines(), QStringList({"Device Connect Failed (52)" + otherDay + ",10:00"}));
    }

    void tasksOfOneTerminalRunInTableOrder()
    {
        SimState state;
        state.machine = 3;
        state.clockOffsetSeconds = -86400;
        SimThread sim(state);
        registerTerminal(3, sim.port());
        FakeHost host;
        TerminalSdk& element = host.add(3);
        addTask(3, 4, today(), "10:00", "0", 7);  // a stale element number
        addTask(3, 0, today(), "10:00");
        SchedulerPass::run(db(), host, now);
        QCOMPARE(logLines(),
                 QStringList({"Data Extracted at (3)" + today() + ",10:00",
                              "Configured Device Date time With System at (3)" + today() + ",10:00"}));
        QCOMPARE(performed(), QStringList({"Y", "Y"}));
        // The element was found by DeviceID, and stays the current terminal.
        QCOMPARE(host.currentTerminals, (QList<QPair<int, int>>{{1, 3}, {1, 3}}));
        long status = 0;
        QVERIFY(element.SdkCheckConnection(status));
        const SimState after = sim.state();
        QCOMPARE(after.params.value(34), 2);
        // The clock now reads the pass's moment, not a day behind.
        const QDateTime terminalNow =
            QDateTime::currentDateTime().addSecs(after.clockOffsetSeconds);
        QVERIFY(qAbs(terminalNow.secsTo(now.addSecs(40 * 60))) < 120);  // after the extraction
    }

    void unreachableTerminalLogsItsFailure()
    {
        registerTerminal(3, deadPort());
        FakeHost host;
        host.add(3);
        addTask(3, 0, today(), "10:00");
        addTask(3, 7, today(), "10:00");  // an unknown code is skipped silently
        addTask(3, 2, today(), "10:00");
        SchedulerPass::run(db(), host, now);
        QCOMPARE(logLines(),
                 QStringList({"Configured Device Date time With System Failed(3)" + today() + ",10:00",
                              "Device Disconnect Failed at (3)" + today() + ",10:00"}));
        QCOMPARE(performed(), QStringList({"", "", ""}));
    }

    void extractionByScheduleIsLoggedByItsOutcome()
    {
        SimState state;
        state.machine = 4;
        SimThread sim(state);
        registerTerminal(4, sim.port());
        FakeHost host;
        host.add(4);
        addTask(4, 4, today(), "10:00");
        host.extractSucceeds = false;
        SchedulerPass::run(db(), host, now);
        QCOMPARE(host.viewLogsCalls, 1);
        QCOMPARE(host.extractCalls, 1);
        QCOMPARE(logLines(), QStringList{"Data Extract Failed (4)" + today() + ",10:00"});
        QCOMPARE(performed(), QStringList{""});
        host.extractSucceeds = true;
        SchedulerPass::run(db(), host, now);
        QCOMPARE(logLines().last(), "Data Extracted at (4)" + today() + ",10:00");
        QCOMPARE(performed(), QStringList{"Y"});
    }

    void restartAndPowerOffReachTheTerminal()
    {
        SimState state;
        state.machine = 6;
        SimThread sim(state);
        registerTerminal(6, sim.port());
        FakeHost host;
        host.add(6);
        addTask(6, 1, today(), "10:00");
        addTask(6, 2, today(), "10:00");
        addTask(6, 3, today(), "10:00");
        SchedulerPass::run(db(), host, now);
        QTRY_COMPARE(sim.state().restarts, 1);
        db().exec("delete from Tbl_Task");
        addTask(6, 5, today(), "10:00");
        SchedulerPass::run(db(), host, now);
        QTRY_COMPARE(sim.state().powerOffs, 1);
        QCOMPARE(host.closedLinks, QList<int>({1, 1, 1}));
        QCOMPARE(logLines().join('|').remove("(6)" + today() + ",10:00"),
                 "Device Connected at |Device Disconnected at |Device Restarted at |"
                 "Power Off Device at ");
        // A terminal that cannot keep a change refuses them: failures, nothing marked.
        sim.run([](SimTerminal& t) { t.setStateFile("/nonexistent/quorvane/terminal.json"); });
        db().exec("delete from Tbl_Task");
        for (int task : {0, 3, 5})
            addTask(6, task, today(), "10:00");
        SchedulerPass::run(db(), host, now);
        QCOMPARE(logLines().mid(4).join('|').remove("(6)" + today() + ",10:00"),
                 "Configured Device Date time With System Failed|Device Restart Failed |"
                 "Power Off Device Failed ");
        QCOMPARE(performed(), QStringList({"", "", ""}));
    }

    // A day and a night held back, across midnight: each task due in it runs once, in the
    // order its minutes came, the current minute's last.
    void missedMinutesAreCaughtUpOnceInTimeOrder()
    {
        FakeHost host;
        const QString yesterday = TaskStore::dateText(now.date().addDays(-1));
        addTask(41, 1, today(), "09:00");
        addTask(42, 1, yesterday, "23:59");
        addTask(43, 1, "any day", "10:00", "1");  // due at a missed minute and now
        addTask(44, 1, TaskStore::dateText(now.date().addDays(-2)), "12:00");
        SchedulerPass::run(db(), host, now, 24 * 60 + 2);  // since yesterday 09:58
        QCOMPARE(logLines(), QStringList({"Device Connect Failed (43)any day,10:00",
                                          "Device Connect Failed (42)" + yesterday + ",23:59",
                                          "Device Connect Failed (41)" + today() + ",09:00"}));
    }

    void triggerRaisesOnePassPerMinute()
    {
        const QDateTime loaded(QDate(2026, 12, 7), QTime(9, 59, 40));
        MinuteTrigger trigger(loaded);
        int raised = 0;
        for (int s = 41; s < 60; ++s)
            raised += trigger.tick(QDateTime(loaded.date(), QTime(9, 59, s)));
        QCOMPARE(raised, 0);  // the minute of loading has been seen
        for (int s = 0; s < 60; ++s)
            raised += trigger.tick(QDateTime(loaded.date(), QTime(10, 0, s)));
        QCOMPARE(raised, 1);
        // A tick that comes late still raises the minute once.
        QVERIFY(trigger.tick(QDateTime(loaded.date(), QTime(10, 1, 59))));
        QVERIFY(!trigger.tick(QDateTime(loaded.date(), QTime(10, 1, 59, 900))));
        // None while a pass runs; the minute that passed meanwhile is not made up twice.
        trigger.setRunning(true);
        QVERIFY(!trigger.tick(QDateTime(loaded.date(), QTime(10, 2, 0))));
        trigger.setRunning(false);
        QVERIFY(trigger.tick(QDateTime(loaded.date(), QTime(10, 2, 1))));
        QVERIFY(!trigger.tick(QDateTime(loaded.date(), QTime(10, 2, 30))));
        // The same wall-clock minute on the next day is a new minute.
        QVERIFY(trigger.tick(QDateTime(loaded.date().addDays(1), QTime(10, 2, 0))));
    }

    // Loaded at / ticks, in seconds of real time (j: set) after the last, h: held / tasks run.
    void triggerOwesOnlyTheMinutesTicksLivedThrough_data()
    {
        QTest::addColumn<QString>("trial");
        QTest::newRow("held") << "12-07 09:59:50/11h 50 5 60/12-07,10:00|12-07,10:01";
        QTest::newRow("set back") << "12-07 10:04:50/11h -3900j/12-07,10:05|12-07,09:00";
        QTest::newRow("into start") << "12-07 10:00:10/60 -70j/12-07,10:01";
        QTest::newRow("slack") << "12-07 10:00:10/60q 120j 60q 120.1j/12-07,10:01"; // q: no tick
        QTest::newRow("again") << "12-07 11:59:10/60 3719 1q -3720j/12-07,12:00|12-07,12:00";
        QTest::newRow("days jump") << "12-07 09:59:50/11h 259200jh 30/12-07,10:00|12-10,10:00";
        QTest::newRow("spring") << "03-29 01:59:00/30 60 30/03-29,02:30";
        QTest::newRow("autumn") << "10-25 01:59:50/20" + QString(" 60").repeated(92) +
                                       "/10-25,02:30";
    }

    void triggerOwesOnlyTheMinutesTicksLivedThrough()
    {
        QFETCH(QString, trial);
        for (const QString& task : QString("12-07,09:00|12-07,10:00|12-07,10:01|12-07,10:05|"
                                           "12-07,12:00|12-10,10:00|03-29,02:30|10-25,02:30")
                                       .split('|'))
            addTask(41, 1, "2026-" + task.left(5), task.mid(6));
        Clock::setNow(QDateTime::fromString("2026-" + trial.left(14), "yyyy-MM-dd HH:mm:ss"));
        MinuteTrigger trigger(Clock::now());
        FakeHost host;
        for (QString tick : trial.section('/', 1, 1).split(' ')) {
            const bool held = tick.endsWith('h'), set = tick.contains('j'),
                       quiet = tick.endsWith('q');
            const qint64 ms = tick.remove('h').remove('j').remove('q').toDouble() * 1000;
            set ? Clock::setNow(Clock::now().addMSecs(ms)) : Clock::advance(ms);
            if (!quiet && trigger.tick(Clock::now(), held))
                SchedulerPass::run(db(), host, trigger.takeDueMinutes());
        }
        QCOMPARE(logLines().join('|').remove("Device Connect Failed (41)2026-"),
                 trial.section('/', 2));
    }
};

QTEST_MAIN(TestSchedulerPass)
#include "tst_schedulerpass.moc"
