// The main window offscreen: the terminal list, connect and disconnect, the log view, the
// extraction as the operator runs it, and the terminal commands, against simulated
// terminals and a temporary database.

#include "SimState.h"
#include "SimTerminal.h"
#include "SimThread.h"
#include "shell/Clock.h"
#include "shell/MsgBox.h"
#include "shell/Settings.h"
#include "shell/Shared.h"
#include "support/WindowFixture.h"
#include "terminals/DeviceLink.h"
#include "terminals/TaskStore.h"
#include "terminals/TerminalSdk.h"
#include "terminals/frm2.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QSqlQuery>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

#include <memory>

namespace {
const QString kProceed = QStringLiteral("Press F5 key to proceed.");

SimPunch punch(const QString& user, int verify, int inOut, const QDateTime& at)
{
    return SimPunch::at(user, at.date(), at.time(), verify, inOut);
}

SimState terminal(int machine, int punches = 0)
{
    SimState s;
    s.machine = machine;
    s.users = {simUser(QStringLiteral("1"), QStringLiteral("O'Brien")),
               simUser(QStringLiteral("7"), QStringLiteral("Ann"))};
    const QDateTime start(QDate(2026, 4, 1), QTime(7, 0, 0));
    for (int i = 0; i < punches; ++i)
        s.punches.append(punch(QString::number(i % 3 + 1), 1, i % 2, start.addSecs(i * 60)));
    return s;
}

QString cell(const QAbstractItemModel* model, int row, int column)
{
    return model->index(row, column).data().toString();
}
} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<WindowFixture> fx;

    Db& db() { return fx->db(); }
    SimThread& addTerminal(int id, const QString& description, const SimState& state)
    {
        return fx->addTerminal(id, description, state);
    }
    void registerTerminal(int id, const QString& description, int conMode, const QString& port,
                          const QString& com = QString(), const QString& baud = QString())
    {
        fx->registerTerminal(id, description, conMode, port, com, baud);
    }
    void load() { fx->load(); }
    void select(int index) { fx->select(index); }
    void connectRow(int index) { QVERIFY(fx->connectRow(index)); }
    const QAbstractItemModel* list() const { return fx->list(); }

private Q_SLOTS:
    void init() { fx = std::make_unique<WindowFixture>(); }
    void cleanup() { fx.reset(); }

    void listsTheRegisteredTerminals()
    {
        addTerminal(5, QStringLiteral("Front Gate"), terminal(5));
        registerTerminal(2, QStringLiteral("Serial One"), 0, QString(), QStringLiteral("3"),
                         QStringLiteral("9600"));
        registerTerminal(8, QStringLiteral("Odd"), 2, QStringLiteral("4370"));
        load();

        QCOMPARE(fx->window->windowTitle(), QStringLiteral("Quorvane"));
        QCOMPARE(fx->window->ListMode(), QStringLiteral("D"));
        QCOMPARE(fx->window->lvXTag(), QStringLiteral("MLIST"));
        QCOMPARE(fx->window->LblDescriptions->text(),
                 QStringLiteral("Available Machine(s) in Network"));
        QCOMPARE(fx->window->ListItemCount(), 3);
        QCOMPARE(fx->window->TermCtl1.size(), 4);
        QCOMPARE(list()->headerData(7, Qt::Horizontal).toString(), QStringLiteral("Status"));
        QCOMPARE(fx->window->ListItemText(1), QStringLiteral("2"));
        QCOMPARE(fx->window->ListItemText(1, 6), QStringLiteral("Serial Port"));
        QCOMPARE(fx->window->ListItemText(2, 6), QStringLiteral("Ethernet"));
        QCOMPARE(fx->window->ListItemText(3, 6), QString());
        QCOMPARE(fx->window->ListItemKey(2), QStringLiteral("D5"));
        QCOMPARE(fx->window->ListItemText(2, 7), QStringLiteral("Disconnected"));
        QCOMPARE(fx->window->ListItemSmallIcon(2), QStringLiteral("notconnected"));
        QCOMPARE(fx->window->SelectedItem, 1);
        QCOMPARE(fx->window->MachineID.toString(), QStringLiteral("2"));
        QCOMPARE(fx->window->PanelText(2), QStringLiteral(" Device : Serial One"));

        select(2);
        QCOMPARE(fx->window->SelectedItem, 2);
        QCOMPARE(fx->window->MachineID.toString(), QStringLiteral("5"));
        QCOMPARE(fx->window->PanelText(3), QStringLiteral(" Disconnected"));

        fx->window->Toolbar1_ButtonMenuClick(QStringLiteral("L"));
        QCOMPARE(fx->window->ListItemText(2), QStringLiteral("Front Gate (5)"));
        fx->window->Toolbar1_ButtonMenuClick(QStringLiteral("R"));
        QCOMPARE(fx->window->ListItemText(2), QStringLiteral("5"));

        // A reload probes every link and keeps the current terminal's row highlighted.
        connectRow(2);
        fx->window->MnuDeviceList_Click();
        QCOMPARE(fx->window->ListItemText(2, 7), QStringLiteral("Connected"));
        QVERIFY(fx->window->ListItemChecked(2));
        QCOMPARE(fx->window->lvX->currentIndex().row(), 1);
        QVERIFY(fx->errors.calls.isEmpty());
    }

    void currentTerminalFollowsRegisterChanges()
    {
        registerTerminal(2, QStringLiteral("Gate"), 1, QStringLiteral("1"));
        registerTerminal(5, QStringLiteral("Dock"), 1, QStringLiteral("2"));
        load();

        // A terminal listed above the current one: the current terminal keeps its terminal.
        select(2);
        registerTerminal(1, QStringLiteral("Annex"), 1, QStringLiteral("3"));
        fx->window->ReloadMachineList();
        QCOMPARE(fx->window->SelectedItem, 3);
        QCOMPARE(fx->window->MachineID.toString(), QStringLiteral("5"));
        QCOMPARE(fx->window->lvX->currentIndex().row(), 2);

        // The current terminal removed: the highlighted first row becomes current.
        db().exec(QStringLiteral("delete from Tbl_DeviceMaster where DeviceID=5"));
        fx->window->ReloadMachineList();
        QCOMPARE(fx->window->SelectedItem, 1);
        QCOMPARE(fx->window->MachineID.toString(), QStringLiteral("1"));
        QCOMPARE(fx->window->PanelText(2), QStringLiteral(" Device : Annex"));
        QVERIFY(fx->errors.calls.isEmpty());
    }

    void emptyTerminalTable()
    {
        load();
        QCOMPARE(fx->window->ListItemCount(), 0);
        QCOMPARE(list()->columnCount(), 8);
        QCOMPARE(fx->window->PanelText(2), QString());
        fx->window->lvX_Click();
        QCOMPARE(fx->window->SelectedItem, 0);
        fx->window->MnuConnectAction_Click();
        fx->window->MnuExtractData_Click();
        QCOMPARE(fx->messages.texts(), QStringList{QStringLiteral("Device is not connected.")});
        QVERIFY(fx->errors.calls.isEmpty());
    }

    void connectAndDisconnect()
    {
        SimThread& sim = addTerminal(5, QStringLiteral("Front Gate"), terminal(5));
        load();
        connectRow(1);
        QCOMPARE(fx->window->PanelText(1), QStringLiteral("Connected With Front Gate"));
        QCOMPARE(fx->window->PanelText(3), QStringLiteral("Connected"));
        QCOMPARE(fx->window->ListItemSmallIcon(1), QStringLiteral("connected"));
        QCOMPARE(db().scalar(QStringLiteral("select UserName from Tbl_UserLogInfo "
                                            "where DeviceUserID=1 and DeviceID=5"))
                     .toString(),
                 QStringLiteral("O'Brien"));

        // Connect again: the link is dropped and made anew; no user is stored twice.
        sim.run([](SimTerminal& t) {
            t.state().users.append(simUser(QStringLiteral("9"), QStringLiteral("New")));
        });
        connectRow(1);
        QCOMPARE(db().scalar(QStringLiteral("select count(*) from Tbl_UserLogInfo")).toInt(), 3);

        fx->window->MnuDisConnect_Click();
        QCOMPARE(fx->window->ListItemText(1, 7), QStringLiteral("Disconnected"));
        QCOMPARE(fx->window->PanelText(1), QStringLiteral("Disconnected"));
        QCOMPARE(fx->window->PanelText(3), QStringLiteral(" Disconnected"));
        QCOMPARE(fx->window->ListItemSmallIcon(1), QStringLiteral("notconnected"));
        QVERIFY(!IsDeviceConnected(*fx->window->TermCtl1[1]));
        fx->window->MnuDisConnect_Click();
        QCOMPARE(fx->window->PanelText(1), QStringLiteral("Disconnected"));
        QVERIFY(fx->messages.shown.isEmpty());
        QVERIFY(fx->errors.calls.isEmpty());
    }

    void connectWithBadSettings()
    {
        SimThread& sim = addTerminal(5, QStringLiteral("Front Gate"), terminal(5));
        load();
        connectRow(1);

        // An empty port: the link is dropped (the list did so already, the port having
        // changed) and nothing else happens.
        db().exec(QStringLiteral("update Tbl_DeviceMaster set PortNo=' '"));
        fx->window->MnuDeviceList_Click();
        fx->window->MnuConnectAction_Click();
        QVERIFY(!IsDeviceConnected(*fx->window->TermCtl1[1]));
        QCOMPARE(fx->window->ListItemText(1, 7), QStringLiteral("Disconnected"));
        QVERIFY(fx->messages.shown.isEmpty());
        QVERIFY(fx->errors.calls.isEmpty());

        // A port that is no number reaches the error dialog; the row keeps its texts.
        db().exec(QStringLiteral("update Tbl_DeviceMaster set PortNo='43x'"));
        fx->window->MnuDeviceList_Click();
        fx->window->MnuConnectAction_Click();
        QCOMPARE(fx->errors.calls.size(), 1);
        QCOMPARE(fx->errors.calls[0].form, QStringLiteral("frm2"));
        QCOMPARE(fx->errors.calls[0].proc, QStringLiteral("MnuConnectAction_Click()"));
        QCOMPARE(fx->window->ListItemText(1, 7), QStringLiteral("Disconnected"));

        // A terminal that refuses: the row says so, without a message box.
        db().exec(QStringLiteral("update Tbl_DeviceMaster set PortNo=?"), {sim.port()});
        fx->window->MnuDeviceList_Click();
        sim.setRefuseConnections(true);
        fx->window->MnuConnectAction_Click();
        QCOMPARE(fx->window->ListItemText(1, 7), QStringLiteral("Not Connected"));
        QCOMPARE(fx->window->PanelText(1), QStringLiteral("Cannot Connect With Front Gate"));
        QCOMPARE(fx->window->ListItemSmallIcon(1), QStringLiteral("cantconnect"));
        QVERIFY(fx->messages.shown.isEmpty());
    }

    void logViewListsThePunches()
    {
        SimState state = terminal(5);
        state.punches = {punch(QStringLiteral("007"), 0, 7, {QDate(2026, 3, 7), QTime(8, 5, 9)}),
                         punch(QStringLiteral("1"), 2, 1, {QDate(2026, 3, 7), QTime(17, 0, 0)}),
                         punch(QStringLiteral("44"), 1, -1, {QDate(2026, 3, 8), QTime(9, 0, 0)})};
        // The verify mode "x", the year "x", the day empty: no numbers.
        for (const auto& [field, text] : {std::pair{1, "x"}, std::pair{3, "x"}, std::pair{5, ""}})
            state.punches << SimPunch{"9", 1, 1, 2026, 3, 2, 9, 0, 0, 0, field, text};
        state.punches << SimPunch{"9", 1, 1, 2026, 3, 2, 9, 0, 0, 0, 2, "x"}; // in/out mode "x"
        SimThread& sim = addTerminal(5, QStringLiteral("Front Gate"), state);
        load();
        connectRow(1);
        fx->window->MnuViewLogs_Click();

        QCOMPARE(fx->window->ListMode(), QStringLiteral("L"));
        QCOMPARE(fx->window->LblDescriptions->text(), QStringLiteral("Employee Log List"));
        QCOMPARE(fx->window->lvXTag(), QString());
        QCOMPARE(list()->rowCount(), 7);
        QCOMPARE(list()->headerData(4, Qt::Horizontal).toString(), QStringLiteral("DateTime"));
        QCOMPARE(cell(list(), 0, 0), QStringLiteral("7"));
        QCOMPARE(cell(list(), 0, 1), QStringLiteral("Ann"));
        QCOMPARE(cell(list(), 0, 2), QStringLiteral("Card"));
        QCOMPARE(cell(list(), 0, 3), QString());
        QCOMPARE(cell(list(), 0, 4), QStringLiteral("2026-3-7 8:5:9"));
        QCOMPARE(cell(list(), 1, 1), QStringLiteral("O'Brien"));
        QCOMPARE(cell(list(), 1, 2), QStringLiteral("Password"));
        QCOMPARE(cell(list(), 1, 3), QStringLiteral("Off-Duty"));
        QCOMPARE(cell(list(), 2, 1), QString());
        QCOMPARE(cell(list(), 2, 3), QStringLiteral("On-Duty"));
        QCOMPARE(cell(list(), 3, 2) + cell(list(), 3, 4), QStringLiteral("2026-3-2 9:0:0"));
        QCOMPARE(cell(list(), 4, 2) + cell(list(), 4, 4), QStringLiteral("FPrint-3-2 9:0:0"));
        QCOMPARE(cell(list(), 5, 3) + cell(list(), 5, 4), QStringLiteral("Off-Duty2026-3- 9:0:0"));
        QCOMPARE(cell(list(), 6, 2) + cell(list(), 6, 3), QStringLiteral("FPrint"));
        QVERIFY(!fx->window->findChild<QWidget*>(QStringLiteral("frmProgressBar")));
        QCOMPARE(sim.state().punches.size(), 7);

        // The commands with the list-mode guard answer and do nothing.
        fx->window->MnuViewLogs_Click();
        fx->window->MnuRestartDevice_Click();
        fx->window->MnuDisConnect_Click();
        QCOMPARE(fx->messages.texts(), QStringList({kProceed, kProceed, kProceed}));
        QCOMPARE(sim.state().restarts, 0);
        QVERIFY(IsDeviceConnected(*fx->window->TermCtl1[1]));

        // Closing from the log view leaves the link alone.
        fx->window->Form_Unload();
        QVERIFY(IsDeviceConnected(*fx->window->TermCtl1[1]));
        QVERIFY(fx->errors.calls.isEmpty());
    }

    void emptyLogView()
    {
        addTerminal(5, QStringLiteral("Front Gate"), terminal(5));
        load();
        fx->window->MnuViewLogs_Click();
        QCOMPARE(fx->messages.texts(), QStringList{QStringLiteral("Device is Not Connected")});
        QCOMPARE(fx->window->ListMode(), QStringLiteral("D"));

        connectRow(1);
        fx->window->MnuViewLogs_Click();
        QCOMPARE(fx->window->ListMode(), QStringLiteral("L"));
        QCOMPARE(list()->columnCount(), 1);
        QCOMPARE(list()->rowCount(), 1);
        QCOMPARE(
            cell(list(), 0, 0),
            QStringLiteral("Device attendance log database is empty. Press F5 key to proceed."));

        fx->window->MnuDeviceList_Click();
        QCOMPARE(fx->window->ListMode(), QStringLiteral("D"));
        QCOMPARE(fx->window->ListItemCount(), 1);
    }

    void commandsWaitForTheListing()
    {
        addTerminal(5, QStringLiteral("Front Gate"), terminal(5, 3000));
        load();
        connectRow(1);
        fx->messages.clear();
        bool fired = false;
        // Runs at the listing's first yield to the event loop.
        QTimer::singleShot(0, fx->window.get(), [&] {
            fired = true;
            QVERIFY(fx->window->isBusy());
            fx->window->MnuDeviceList_Click();
            fx->window->Toolbar1_ButtonClick(QStringLiteral("DISCONNECT"));
            fx->window->MnuViewLogs_Click();
        });
        fx->window->MnuViewLogs_Click();

        QVERIFY(fired);
        QVERIFY(!fx->window->isBusy());
        QCOMPARE(fx->window->ListMode(), QStringLiteral("L"));
        QCOMPARE(list()->rowCount(), 3000);
        QVERIFY(fx->messages.shown.isEmpty());
        QVERIFY(IsDeviceConnected(*fx->window->TermCtl1[1]));
    }

    void extractionFromTheLogView()
    {
        SimThread& sim = addTerminal(5, QStringLiteral("Front Gate"), terminal(5, 20));
        load();
        connectRow(1);
        fx->window->MnuViewLogs_Click();
        fx->messages.clear();

        fx->window->Toolbar1_ButtonClick(QStringLiteral("EXTRACT"));
        QCOMPARE(fx->messages.shown.size(), 1);
        QCOMPARE(fx->messages.shown[0].first, QStringLiteral("Primary Level Extraction Completed. "));
        QCOMPARE(fx->messages.shown[0].second, 64);
        QCOMPARE(fx->window->ListMode(), QStringLiteral("D"));
        QCOMPARE(fx->window->ListItemCount(), 1);
        QCOMPARE(db().scalar(QStringLiteral("select count(*) from Tbl_DeviceAttenLog")).toInt(),
                 20);
        QCOMPARE(db().scalar(QStringLiteral("select count(*) from tbl_attendancelog")).toInt(), 20);
        QCOMPARE(sim.state().punches.size(), 0);
        QVERIFY(!QApplication::overrideCursor());

        fx->window->MnuExtractData_Click();
        QCOMPARE(fx->messages.shown.last().first, QStringLiteral("No data to extract"));
        QCOMPARE(fx->messages.shown.last().second, 48);
        QVERIFY(fx->errors.calls.isEmpty());
    }

    void extractionFailuresAreReported()
    {
        SimThread& sim = addTerminal(5, QStringLiteral("Front Gate"), terminal(5, 1000));
        load();
        fx->window->MnuExtractData_Click();
        QCOMPARE(fx->messages.shown.size(), 1);
        QCOMPARE(fx->messages.shown[0].first, QStringLiteral("Device is not connected."));
        QCOMPARE(fx->messages.shown[0].second, 16);

        // The database turns read-only half-way through the punches.
        connectRow(1);
        refuseInsertsFrom(db(), QStringLiteral("tbl_attendancelog"), 400);
        fx->window->MnuExtractData_Click();
        QCOMPARE(fx->errors.calls.size(), 1);
        QCOMPARE(fx->errors.calls[0].form, QStringLiteral("frm2"));
        QCOMPARE(fx->errors.calls[0].proc, QStringLiteral("MnuExtractData_Click()"));
        QVERIFY(fx->errors.calls[0].error.description.contains(QLatin1String("readonly")));
        QCOMPARE(sim.state().punches.size(), 1000);
        QCOMPARE(db().scalar(QStringLiteral("select count(*) from Tbl_DeviceAttenLog")).toInt(),
                 400);
        QVERIFY(!QApplication::overrideCursor());

        // The link breaks during the read.
        allowInsertsAgain(db());
        sim.run([](SimTerminal& t) { t.setDropAfterRecords(500); });
        fx->window->MnuExtractData_Click();
        QCOMPARE(fx->errors.calls.size(), 2);
        QCOMPARE(fx->errors.calls[1].proc, QStringLiteral("MnuExtractData_Click()"));
        QCOMPARE(sim.state().punches.size(), 1000);
        QCOMPARE(fx->messages.shown.size(), 1);
    }

    void clearDeviceLog()
    {
        SimThread& sim = addTerminal(5, QStringLiteral("Front Gate"), terminal(5, 10));
        load();
        fx->window->mnudeleteattendancedata_Click();
        QCOMPARE(fx->messages.texts(), QStringList{QStringLiteral("Device is not Connected")});

        connectRow(1);
        fx->messages.clear();
        fx->messages.answers = {vbNo};
        fx->window->mnudeleteattendancedata_Click();
        QCOMPARE(fx->messages.shown.size(), 1);
        QCOMPARE(fx->messages.shown[0].second, 36);
        QVERIFY(fx->messages.shown[0].first.startsWith(QStringLiteral(
            "Proceeding with 'Yes' will clear all the attendance log information \r\n")));
        QCOMPARE(sim.state().punches.size(), 10);

        fx->window->mnudeleteattendancedata_Click();
        QCOMPARE(sim.state().punches.size(), 0);
        QVERIFY(!QApplication::overrideCursor());
    }

    void restartDevice()
    {
        SimThread& sim = addTerminal(5, QStringLiteral("Front Gate"), terminal(5));
        load();
        fx->window->MnuRestartDevice_Click();
        QCOMPARE(fx->messages.texts(), QStringList{QStringLiteral("Device is not Connnected")});
        QCOMPARE(sim.state().restarts, 0);

        connectRow(1);
        fx->window->MnuRestartDevice_Click();
        QCOMPARE(sim.state().restarts, 1);
        QCOMPARE(fx->window->PanelText(1), QStringLiteral("Disconnected"));
        QCOMPARE(fx->window->ListItemText(1, 7) + fx->window->PanelText(3),
                 QStringLiteral("Disconnected Disconnected"));
    }

    void deleteTemplatesOfLinkedTerminals()
    {
        SimState withTemplates = terminal(5);
        withTemplates.users[0].templates[0] = QStringLiteral("T5");
        SimThread& linked = addTerminal(5, QStringLiteral("Front Gate"), withTemplates);
        withTemplates.machine = 6;
        SimThread& unlinked = addTerminal(6, QStringLiteral("Back Office"), withTemplates);
        for (int device : {5, 6})
            db().exec(QStringLiteral("insert into Tbl_UserTemplate values "
                                     "(1, 'O''Brien', 0, 'T', ?, 0, '', 0, 1, 1)"),
                      {device});
        load();
        connectRow(1);

        fx->window->MnuDeleteTemplate_Click();
        QCOMPARE(linked.state().users[0].templates[0], QString());
        QCOMPARE(unlinked.state().users[0].templates[0], QStringLiteral("T5"));
        QCOMPARE(db().scalar(QStringLiteral("select count(*) from Tbl_UserTemplate")).toInt(), 2);
        fx->window->MnuDeleteTemplate_Click();
        QVERIFY(fx->errors.calls.isEmpty());
        QVERIFY(fx->messages.shown.isEmpty());
    }

    // The scheduler's Extract Data task, raised by the timer as the minute turns.
    void scheduledExtractionStoresBeforeClearing()
    {
        SimThread& sim = addTerminal(5, QStringLiteral("Front Gate"), terminal(5, 1000));
        Clock::setNow(QDateTime(QDate(2026, 12, 7), QTime(9, 59, 50)));
        load();
        const QString today = TaskStore::dateText(QDate(2026, 12, 7));
        db().exec(QStringLiteral("insert into Tbl_Task (DeviceIndex, Task, TaskDate, TaskTime, "
                                 "TaskEachDay, DeviceID) values (9, 4, ?, '10:00', '0', 5)"),
                  {today});
        fx->window->Timer2_Timer();  // still the minute of loading
        QCOMPARE(db().scalar(QStringLiteral("select count(*) from tbl_attendancelog")).toInt(), 0);

        Clock::setNow(QDateTime(QDate(2026, 12, 7), QTime(10, 0, 1)));
        fx->window->Timer2_Timer();
        QCOMPARE(db().scalar(QStringLiteral("select count(*) from tbl_attendancelog")).toInt(),
                 1000);
        QCOMPARE(db().scalar(QStringLiteral("select count(*) from Tbl_DeviceAttenLog")).toInt(),
                 1000);
        QVERIFY(sim.state().punches.isEmpty());
        QCOMPARE(db().scalar(QStringLiteral("select Performed from Tbl_Task")).toString(),
                 QStringLiteral("Y"));
        QVERIFY(fx->messages.texts().contains(QStringLiteral("Primary Level Extraction Completed. ")));
        QCOMPARE(fx->window->MachineID.toString(), QStringLiteral("5"));
        QCOMPARE(fx->window->ListMode(), QStringLiteral("D"));
        QVERIFY(fx->errors.calls.isEmpty());

        // More ticks in the same minute raise no second pass.
        Clock::setNow(QDateTime(QDate(2026, 12, 7), QTime(10, 0, 30)));
        fx->window->Timer2_Timer();
        QFile log(fx->env.homeDir() + QStringLiteral("/SchedulerLOG.txt"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(log.readAll()),
                 QStringLiteral("Data Extracted at (5)") + today + QStringLiteral(",10:00\r\n"));
    }

    void scheduledExtractionOverADroppedLinkKeepsTheLog()
    {
        SimThread& sim = addTerminal(5, QStringLiteral("Front Gate"), terminal(5, 1000));
        sim.run([](SimTerminal& t) { t.setDropAfterRecords(500); });
        Clock::setNow(QDateTime(QDate(2026, 12, 7), QTime(9, 59, 50)));
        load();
        db().exec(QStringLiteral("insert into Tbl_Task (DeviceIndex, Task, TaskDate, TaskTime, "
                                 "TaskEachDay, DeviceID) values (1, 4, 'any day', '10:00', '1', 5)"));
        Clock::setNow(QDateTime(QDate(2026, 12, 7), QTime(10, 0, 1)));
        fx->window->Timer2_Timer();
        QCOMPARE(sim.state().punches.size(), 1000);
        QVERIFY(db().scalar(QStringLiteral("select Performed from Tbl_Task")).isNull());
        // The listing before the extraction lost the link; the extraction finds it down.
        QVERIFY(fx->messages.texts().contains(QStringLiteral("Device is not connected.")));
        QVERIFY(!fx->messages.texts().contains(QStringLiteral("Primary Level Extraction Completed. ")));
        QFile log(fx->env.homeDir() + QStringLiteral("/SchedulerLOG.txt"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(log.readAll()),
                 QStringLiteral("Data Extract Failed (5)any day,10:00\r\n"));
    }

    // A job that yields holds the minute back; the first pass after it catches it up.
    void busyJobHoldsTheSchedulerPassBack()
    {
        SimThread& sim = addTerminal(5, QStringLiteral("Front Gate"), terminal(5, 10));
        Clock::setNow(QDateTime(QDate(2026, 12, 7), QTime(9, 59, 50)));
        load();
        db().exec(QStringLiteral("insert into Tbl_Task (DeviceIndex, Task, TaskDate, TaskTime, "
                                 "TaskEachDay, DeviceID) values (1, 4, 'any day', '10:00', '1', 5)"));
        Clock::setNow(QDateTime(QDate(2026, 12, 7), QTime(10, 0, 1)));
        {
            frm2::BusyGuard job(*fx->window);
            frm2::BusyGuard nested(*fx->window);
            fx->window->Timer2_Timer();
            QVERIFY(fx->window->isBusy());
        }
        QCOMPARE(sim.state().punches.size(), 10);
        QVERIFY(!fx->window->isBusy());
        Clock::setNow(QDateTime(QDate(2026, 12, 7), QTime(10, 1, 2)));
        fx->window->Timer2_Timer();
        QVERIFY(sim.state().punches.isEmpty());
        QCOMPARE(db().scalar(QStringLiteral("select count(*) from tbl_attendancelog")).toInt(), 10);
    }

    void passLeavesTheOperatorsTerminalCurrent_data()
    {
        QTest::addColumn<int>("boxSecs"); // the wait for a click on Yard's Extract box
        QTest::addColumn<QString>("after");
        QTest::newRow("an hour late") // the Disconnect waits 60:00 to the ms: still run
            << 3719 << "Device Disconnected at (4)any day,10:02Disconnectednotconnected";
        QTest::newRow("2 h") << 7200
                             << "Device Disconnect Failed at (4)any day,10:02Connectedconnected";
    }

    // After a pass the operator's row is current again: clearing the log clears the
    // terminal the operator chose, not the last task's.
    void passLeavesTheOperatorsTerminalCurrent()
    {
        QFETCH(int, boxSecs);
        QFETCH(QString, after);
        SimThread& front = addTerminal(5, QStringLiteral("Front Gate"), terminal(5, 3));
        addTerminal(4, QStringLiteral("Yard"), terminal(4, 4)); // listed first
        Clock::setNow(QDateTime(QDate(2026, 12, 7), QTime(8, 59, 50)));
        load();
        connectRow(2);
        db().exec(QStringLiteral("insert into Tbl_Task (DeviceIndex, Task, TaskDate, TaskTime, "
                                 "TaskEachDay, DeviceID) values (1, 4, 'any day', '10:00', '1', 4),"
                                 " (1, 2, 'any day', '10:02', '1', 4)"));
        MsgBox::setHandler([boxSecs](auto&&...) { return Clock::advance(boxSecs * 1000), vbYes; });
        Clock::advance(3611000); // an hour lived through up to 10:00:01
        fx->window->Timer2_Timer();
        fx->window->Timer2_Timer();
        QFile log(fx->env.homeDir() + QStringLiteral("/SchedulerLOG.txt"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll().split('\r').value(1).trimmed() + fx->window->ListItemText(1, 7) +
                     fx->window->ListItemSmallIcon(1),
                 after);
        QCOMPARE(IsDeviceConnected(*fx->window->TermCtl1[1]), after.contains("Failed"));
        QCOMPARE(fx->window->SelectedItem, 2);
        QCOMPARE(fx->window->MachineID.toString(), QStringLiteral("5"));
        QCOMPARE(fx->window->lvX->currentIndex().row(), 1);
        QCOMPARE(fx->window->PanelText(2) + fx->window->PanelText(3),
                 QStringLiteral(" Device : Front Gate Connected"));
        fx->window->mnudeleteattendancedata_Click();
        QVERIFY(front.state().punches.isEmpty());
    }

    void schedulerMenuOpensTheTaskEditor()
    {
        load();
        bool shown = false;
        answerNextModal([&shown](QWidget* dialog) {
            shown = dialog->objectName() == QStringLiteral("FrmScheduler");
            static_cast<QDialog*>(dialog)->reject();
        });
        fx->window->MnuScheduler_Click();
        QVERIFY(shown);
        // An empty task table shows the navigation's message as the editor loads.
        QCOMPARE(fx->messages.texts(), QStringList{QStringLiteral("No Record To Display")});
    }

    void connectsASerialTerminal()
    {
        fx->sims.push_back(std::make_unique<SimThread>(terminal(3, 4)));
        const QString pty = fx->sims.back()->openPty();
        QVERIFY(!pty.isEmpty());
        Settings::setSerialDevice(1, pty);
        registerTerminal(3, QStringLiteral("Back Office"), 0, QString(), QStringLiteral("1"),
                         QStringLiteral("9600"));
        load();
        select(1);
        fx->window->MnuConnectAction_Click();
        QCOMPARE(fx->window->PanelText(1), QStringLiteral("Connected With Back Office"));
        QCOMPARE(fx->window->ListItemText(1, 7), QStringLiteral("Connected"));
        fx->window->MnuExtractData_Click();
        QCOMPARE(db().scalar(QStringLiteral("select count(*) from tbl_attendancelog")).toInt(), 4);
        QVERIFY(fx->errors.calls.isEmpty());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
