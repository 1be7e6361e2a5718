#include "RecordsScreens.h"

#include "FrmLogHistory.h"
#include "terminals/frm2.h"

void registerRecordsScreens(frm2& window)
{
    window.setScreenOpener(QStringLiteral("MnuLogHistory_Click"), [](frm2& w) {
        FrmLogHistory screen(&w, &w);
        screen.Form_Load();
        screen.exec();
    });
}
