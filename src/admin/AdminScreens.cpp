#include "AdminScreens.h"

#include "FrmDeviceMaster.h"
#include "FrmDownload.h"
#include "FrmImportUsers.h"
#include "FrmSuperLogData.h"
#include "FrmUpload.h"
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
    window.setScreenOpener(QStringLiteral("mnuDownloadUserInfo_Click"), &FrmDownload::open);
    window.setScreenOpener(QStringLiteral("mnuUpload_Click"), &FrmUpload::open);
    window.setScreenOpener(QStringLiteral("mnuUploadUserInfo_Click"), &FrmImportUsers::open);
}
