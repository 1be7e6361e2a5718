#include "frm2.h"

#include "shell/MsgBox.h"

frm2::frm2(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frm2"));
    resize(900, 600);
}

void frm2::Form_Load() { setWindowTitle(AppTitle()); }
