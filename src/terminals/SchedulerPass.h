#pragma once
// One scheduler pass: carries out the tasks due at the current minute, and at the minutes
// before it that were held back, on the main window's control elements, marks each one
// that succeeded as performed and writes one line per task to the scheduler log. A task
// held back for more than an hour is not run any more: it gets its failure line.

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
    // Closes the link of element `elementIndex` as the Disconnect command does, so that its
    // row no longer claims a link that a scheduled task ended.
    virtual void closeLink(int elementIndex) = 0;
    // The View Logs and Extract Data commands on the current terminal. extractData is
    // false when the extraction ended on an error, so the task is not logged as done.
    virtual void viewLogs() = 0;
    virtual bool extractData() = 0;
};

namespace SchedulerPass {
// How late a task may still run, in time lived through (Clock::steadyMsecs).
constexpr qint64 LatestRunMs = 60 * 60 * 1000;

// A wall minute (wallMinute) whose tasks are owed, and the moment on the steady clock
// (Clock::steadyMsecs) at which it came.
struct OwedMinute
{
    qint64 minute;
    qint64 dueAt;
};

// Runs the pass of the owed minutes, as the minute trigger raised them: every task due at
// any of them runs once, in the order of the minutes, at the first minute it is due, unless
// its latest minute came more than LatestRunMs ago when its turn comes. Task 0 sets the
// terminal's clock to the moment it sends it. Errors (database, terminal) are thrown to the
// caller's trap; rows after the failing one are not carried out.
void run(Db& db, SchedulerHost& host, const QVector<OwedMinute>& minutes);
// The pass of now's own minute and the `missed` minutes before it, all due this moment.
void run(Db& db, SchedulerHost& host, const QDateTime& now, qint64 missed = 0);

// A moment's minute on the local wall clock, counted from the start of the Julian days.
qint64 wallMinute(const QDateTime& when);

// The log text after success or failure of a task code; empty for unknown codes.
QString successText(int task);
QString failureText(int task);
}  // namespace SchedulerPass
