#pragma once
// One scheduler pass: carries out the tasks due at the current minute, and at the minutes
// before it that were held back, on the main window's control elements, marks each one
// that succeeded as performed and writes one line per task to the scheduler log.

#include <QDateTime>

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
// Runs the pass for the moment `now`, first catching up the `missed` minutes before it
// (held back while the window was busy): every task due at any of these minutes runs once,
// in time order, at the first minute it is due. Errors (database, terminal) are thrown to
// the caller's trap; rows after the failing one are not carried out.
void run(Db& db, SchedulerHost& host, const QDateTime& now, qint64 missed = 0);

// A moment's minute on the local wall clock, counted from the start of the Julian days.
qint64 wallMinute(const QDateTime& when);

// The log text after success or failure of a task code; empty for unknown codes.
QString successText(int task);
QString failureText(int task);
}  // namespace SchedulerPass
