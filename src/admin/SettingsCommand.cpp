#include "SettingsCommand.h"

#include "FrmUtilities.h"
#include "shell/DbError.h"
#include "shell/ErrorTrap.h"
#include "shell/MsgBox.h"
#include "shell/Shared.h"
#include "terminals/DeviceLink.h"
#include "terminals/TerminalSdk.h"
#include "terminals/frm2.h"

#include <QAbstractItemModel>
#include <QLabel>
#include <QTreeView>

namespace {
const QString kLineEnd = QStringLiteral("\r\n");

// The register row's connection as the screen lists it, one " Name : value" per line.
QString connectionText(const Recordset& rs, const QString& firmware)
{
    QString text = QStringLiteral(" Device ID : ") +
                   rs.value(QStringLiteral("DeviceID")).toString() + kLineEnd +
                   QStringLiteral(" Descrption : ") +
                   rs.value(QStringLiteral("DeviceDescription")).toString();
    if (rs.value(QStringLiteral("ConMode")).toInt() == 1)
        text += kLineEnd + QStringLiteral(" Connection Mode : Ethernet") + kLineEnd +
                QStringLiteral(" IP Address : ") +
                rs.value(QStringLiteral("IPAddress")).toString() + kLineEnd +
                QStringLiteral(" Port No : ") + rs.value(QStringLiteral("PortNo")).toString();
    else
        text += kLineEnd + QStringLiteral(" Connection Mode : Serial Port") + kLineEnd +
                QStringLiteral(" Com No : ") + rs.value(QStringLiteral("ComNo")).toString() +
                kLineEnd + QStringLiteral(" Baud Rate : ") +
                rs.value(QStringLiteral("BaudRate")).toString();
    return text + kLineEnd + QStringLiteral(" Firmware Version : ") + firmware;
}
} // namespace

void runSettingsCommand(frm2& window)
{
    trapErrors(window.objectName(), QStringLiteral("MnuSettings_Click"), [&] {
        if (window.lvX->model()->rowCount() == 0) {
            MsgBox(QStringLiteral("Cannot Find Any Devices , Please add Device from device master"),
                   16);
            return;
        }
        TerminalSdk* device = window.TermCtl1.value(window.SelectedItem);
        if (!device)
            throw DbError(340, QStringLiteral("Control array element '%1' doesn't exist")
                                   .arg(window.SelectedItem));
        // The screen keeps the terminal that is current now; it loads just before the first
        // write to it, as it always has. No clock is set here: nothing would fill it.
        FrmUtilities form(window);
        if (IsDeviceConnected(*device)) {
            const long machine = LinkSettingNumber(window.MachineID.toString(), "Machine No");
            SharedState& s = shared();
            s.Rs.close();
            s.Rs = s.Cnxn.select(QStringLiteral("Select * from Tbl_DeviceMaster Where DeviceID=?"),
                                 {qlonglong(machine)});
            if (s.Rs.EOF_())
                throw DbError(3021, QStringLiteral("Either BOF or EOF is True, or the current "
                                                   "record has been deleted."));
            form.Form_Load();
            form.LblStatus->setText(QStringLiteral("Device : ") +
                                    s.Rs.value(QStringLiteral("DeviceDescription")).toString());
            QString firmware;
            device->SdkReadFirmwareVersion(machine, firmware);
            form.setTxtComSettings(connectionText(s.Rs, firmware));
        } else {
            form.Form_Load();
            QPalette red = form.LblStatus->palette();
            red.setColor(QPalette::WindowText, QColor(255, 0, 0));
            form.LblStatus->setPalette(red);
            form.LblStatus->setText(QStringLiteral("Not Connnected To Device"));
            MsgBox(QStringLiteral("Device is not connected"), 16);
        }
        form.exec();
    });
}
