#include "AdminScreens.h"

#include "terminals/frm2.h"

void registerAdminScreens(frm2& window)
{
    Q_UNUSED(window);
}
