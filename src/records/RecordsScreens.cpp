#include "RecordsScreens.h"

#include "OpenShiftRoutines.h"

#include "terminals/frm2.h"

void registerRecordsScreens(frm2& window)
{
    Q_UNUSED(window);
    registerOpenShiftRoutines(window);
}
