#pragma once
// One scheduler pass: carries out the tasks due at the current minute, and at the minutes
// before it that were held back, on the main window's control elements, marks each one
// that succeeded as performed and writes one line per task to the scheduler log.

#include <QDateTime>
#include <QVector>

class Db;
class TerminalSdk;

// What the pass needs of the main window.
class SchedulerHost
{
public:
    virtual ~SchedulerHost() = default;
    // The control element of the terminal with this DeviceID and its index, or nullptr when
    // the terminal list holds no such terminal. Looked up by DeviceID, so that a task never
    // reaches another terminal through a stale element number.
    virtual TerminalSdk* controlForDevice(int deviceId, int& elementIndex) = 0;
    // Makes the terminal current (SelectedItem, MachineID); the pass does not restore it.
    virtual void setCurrentTerminal(int selectedItem, int machineId) = 0;
    // The View Logs and Extract Data commands on the current terminal. extractData is
    // false when the extraction ended on an error, so the task is not logged as done.
    virtual void viewLogs() = 0;
    virtual bool extractData() = 0;
};

namespace SchedulerPass {
// Runs the pass of the wall minutes `minutes` (wallMinute), as the minute trigger raised
// them: every task due at any of them runs once, in the order of the minutes, at the first
// minute it is due; task 0 sets the terminal's clock to `now`. Errors (database, terminal)
// are thrown to the caller's trap; rows after the failing one are not carried out.
void run(Db& db, SchedulerHost& host, const QDateTime& now, const QVector<qint64>& minutes);
// The pass of now's own minute and the `missed` minutes before it.
void run(Db& db, SchedulerHost& host, const QDateTime& now, qint64 missed = 0);

// A moment's minute on the local wall clock, counted from the start of the Julian days.
qint64 wallMinute(const QDateTime& when);

// The log text after success or failure of a task code; empty for unknown codes.
QString successText(int task);
QString failureText(int task);
}  // namespace SchedulerPass
