#include "AdminScreens.h"

#include "FrmDeviceMaster.h"
#include "FrmSuperLogData.h"
#include "FrmUser.h"
#include "SettingsCommand.h"

#include "terminals/frm2.h"

void registerAdminScreens(frm2& window)
{
    window.setScreenOpener(QStringLiteral("MnuDeviceMaster_Click"), [](frm2& w) {
        FrmDeviceMaster screen(w);
        screen.Form_Load();
        screen.exec();
    });
    window.setScreenOpener(QStringLiteral("mnuViewDeviceUsers_Click"), [](frm2& w) {
        FrmUser screen(w);
        screen.SelDevice = w.SelectedItem;
        screen.Form_Load();
        screen.exec();
    });
    window.setScreenOpener(QStringLiteral("ShowSuperLogData"), [](frm2& w) {
        FrmSuperLogData screen(w);
        screen.exec();
    });
    window.setScreenOpener(QStringLiteral("MnuSettings_Click"), runSettingsCommand);
}
