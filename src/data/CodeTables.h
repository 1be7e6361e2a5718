#pragma once
// Code-to-text tables. Each text is what the operator sees, so they are kept exactly.

#include <QString>
#include <QStringList>

namespace ConnectionModes {
constexpr int Serial = 0;   // "Serial Port": ComNo, BaudRate and DeviceID
constexpr int Network = 1;  // "Ethernet": IPAddress and PortNo
// "Ethernet", "Serial Port", or "" for any other mode.
QString name(int conMode);
}  // namespace ConnectionModes

namespace TaskTypes {
// 0 "Update System Date" ... 5 "Power Off Device"; "" for other codes.
QString name(int code);
QStringList all();
}  // namespace TaskTypes

namespace ProcessModes {
// Index 1 to 4, as the terminal register's log-mode list shows them.
QStringList all();
}  // namespace ProcessModes

namespace VerifyModeNames {
QString name(int verifyMode);  // 1 "FPrint", 2 "Password", anything else "Card"
}

namespace UsbVerifyModeNames {
QString name(int verifyMode);  // 1 "FPrint", 2 "Card", 15 "Face", 0 "Password", else "Unknown"
}

namespace InOutModeNames {
QString name(int inOutMode);  // 0 and -1 "On-Duty" ... 5 "OT Out", else ""
}

namespace RepairLogModeNames {
QString name(int inOutMode);  // looked up at mode + 1; -1 and 0 "Check In" ... 6 ""
}

namespace PrivilegeNames {
QString name(int privilege);  // 0 "0 - Normal" ... 3 "3 - Super Administrator", else ""
}

namespace DownloadPrivilegeNames {
QString name(int privilege);
}

namespace SuperLogOperationNames {
QString name(int operation);  // 1 "Power-off" ... 30 "Register user", else ""
}
