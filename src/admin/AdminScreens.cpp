#include "AdminScreens.h"

#include "SettingsCommand.h"
#include "terminals/frm2.h"

void registerAdminScreens(frm2& window)
{
    window.setScreenOpener(QStringLiteral("MnuSettings_Click"), runSettingsCommand);
}
