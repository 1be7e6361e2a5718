#include "AdminScreens.h"

#include "FrmDownload.h"
#include "FrmImportUsers.h"
#include "FrmUpload.h"
#include "terminals/frm2.h"

void registerAdminScreens(frm2& window)
{
    window.setScreenOpener(QStringLiteral("mnuDownloadUserInfo_Click"), &FrmDownload::open);
    window.setScreenOpener(QStringLiteral("mnuUpload_Click"), &FrmUpload::open);
    window.setScreenOpener(QStringLiteral("mnuUploadUserInfo_Click"), &FrmImportUsers::open);
}
