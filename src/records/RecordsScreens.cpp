#include "RecordsScreens.h"

#include "FrmLogHistory.h"
#include "OpenShiftRoutines.h"
#include "frmDataRepair.h"
#include "frmUSBDataImport.h"
#include "terminals/frm2.h"

void registerRecordsScreens(frm2& window)
{
    window.setScreenOpener(QStringLiteral("MnuLogHistory_Click"), [](frm2& w) {
        FrmLogHistory screen(&w, &w);
        screen.Form_Load();
        screen.exec();
    });
    window.setScreenOpener(QStringLiteral("mnuRepairData_Click"), [](frm2& w) {
        frmDataRepair screen(&w, &w);
        screen.exec();
    });
    window.setScreenOpener(QStringLiteral("MnuUSBLogImport_Click"), [](frm2& w) {
        frmUSBDataImport screen(&w, &w);
        screen.exec();
    });
    registerOpenShiftRoutines(window);
}
