#include "OpenShiftRoutines.h"

#include "OpenShiftPairing.h"
#include "PunchFeed.h"
#include "shell/ErrorTrap.h"
#include "shell/MsgBox.h"
#include "shell/Startup.h"
#include "shell/WaitCursor.h"
#include "terminals/frm2.h"
#include "terminals/frmProgressBar.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>

namespace {
void yield(int, int)
{
    QCoreApplication::processEvents();
}

void runPairing(frm2& window, int EmpID)
{
    frm2::BusyGuard hold(window);
    WaitCursor hourglass;
    window.setPanelText(1, QStringLiteral(" Extracting Data..."));
    frmProgressBar& progress = window.ProgressWindow();
    QVector<OpenShiftPairing::HelperError> helperErrors;
    bool failed = false;
    TrappedError failure;
    try {
        Db db;
        db.open(GetConnectionString());
        QCoreApplication::processEvents();
        progress.ProTitle1->setText(
            QStringLiteral("Calculating log information from device for Emp ID ") +
            QString::number(EmpID));
        OpenShiftPairing pairing(db, window.SelectedItem, [&](int value, int maximum) {
            progress.PBar->setMaximum(maximum);
            progress.PBar->setValue(value);
            QCoreApplication::processEvents();
        });
        pairing.setPostingBegins([&] {
            progress.ProTitle1->setText(QStringLiteral("Saving log information to system ..."));
        });
        try {
            pairing.ExtDataToDBOpenShift(EmpID);
        } catch (...) {
            helperErrors = pairing.helperErrors();
            throw;
        }
        helperErrors = pairing.helperErrors();
    } catch (...) {
        failed = true;
        failure = currentError();
    }
    hourglass.release();
    // Reported once everything before them is committed: a modal dialog inside the
    // transaction would hold its locks while the operator reads.
    for (const OpenShiftPairing::HelperError& e : std::as_const(helperErrors))
        ShowErrorForm(window.objectName(), e.procName,
                      {QString::number(e.error.number()), e.error.text()});
    if (failed)
        ShowErrorForm(window.objectName(), QStringLiteral("ExtDataToDBOpenShift()"), failure);
}

void runFeed(frm2& window)
{
    frm2::BusyGuard hold(window);
    trapErrors(window.objectName(), QStringLiteral("CopyDeviceLogToTempBck()"), [] {
        Db db;
        db.open(GetConnectionString());
        PunchFeed(db, yield).CopyDeviceLogToTempBck();
    });
}

void runScan(frm2&)
{
    WaitCursor hourglass;
    try {
        Db db;
        db.open(GetConnectionString());
        PunchFeed(db).ScanNewDeviceLogs();
    } catch (...) {
        const TrappedError error = currentError();
        hourglass.release();
        MsgBox(error.description, 48);
        return;
    }
    hourglass.release();
    MsgBox(QStringLiteral("Extraction Completed"), 0);
}
} // namespace

void registerOpenShiftRoutines(frm2& window)
{
    window.setOpenShiftPairing(runPairing);
    window.setScreenOpener(QStringLiteral("CopyDeviceLogToTempBck"), runFeed);
    window.setScreenOpener(QStringLiteral("ScanNewDeviceLogs"), runScan);
}
