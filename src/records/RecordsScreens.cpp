#include "RecordsScreens.h"

#include "frmDataRepair.h"
#include "frmUSBDataImport.h"
#include "terminals/frm2.h"

void registerRecordsScreens(frm2& window)
{
    Q_UNUSED(window);
    window.setScreenOpener(QStringLiteral("mnuRepairData_Click"), [](frm2& w) {
        frmDataRepair screen(&w, &w);
        screen.exec();
    });
    window.setScreenOpener(QStringLiteral("MnuUSBLogImport_Click"), [](frm2& w) {
        frmUSBDataImport screen(&w, &w);
        screen.exec();
    });
}
