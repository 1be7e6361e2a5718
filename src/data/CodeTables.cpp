#include "CodeTables.h"

#include <array>

namespace {
template <std::size_t N>
QString lookup(const std::array<const char*, N>& table, int code)
{
    if (code < 0 || code >= static_cast<int>(N))
        return {};
    return QString::fromUtf8(table[static_cast<std::size_t>(code)]);
}
}  // namespace

QString ConnectionModes::name(int conMode)
{
    switch (conMode) {
    case Network:
        return QStringLiteral("Ethernet");
    case Serial:
        return QStringLiteral("Serial Port");
    default:
        return {};
    }
}

static constexpr std::array<const char*, 6> kTaskTypes = {
    "Update System Date", "Connect", "Disconnect", "Restart Device", "Extract Data",
    "Power Off Device"};

QString TaskTypes::name(int code) { return lookup(kTaskTypes, code); }

QStringList TaskTypes::all()
{
    QStringList list;
    for (const char* text : kTaskTypes)
        list << QString::fromUtf8(text);
    return list;
}

QStringList ProcessModes::all()
{
    return {QStringLiteral("Convert all data to Sign In."),
            QStringLiteral("Convert all data to Sign Out."), QStringLiteral("Process it as it is."),
            QStringLiteral("All In as Sign In and All Out as Sign Out.")};
}

QString VerifyModeNames::name(int verifyMode)
{
    switch (verifyMode) {
    case 1:
        return QStringLiteral("FPrint");
    case 2:
        return QStringLiteral("Password");
    default:
        return QStringLiteral("Card");
    }
}

QString UsbVerifyModeNames::name(int verifyMode)
{
    switch (verifyMode) {
    case 1:
        return QStringLiteral("FPrint");
    case 2:
        return QStringLiteral("Card");
    case 15:
        return QStringLiteral("Face");
    case 0:
        return QStringLiteral("Password");
    default:
        return QStringLiteral("Unknown");
    }
}

static constexpr std::array<const char*, 6> kInOut = {"On-Duty",  "Off-Duty", "Break Out",
                                                      "Break In", "OT In",    "OT Out"};

QString InOutModeNames::name(int inOutMode)
{
    return inOutMode == -1 ? QStringLiteral("On-Duty") : lookup(kInOut, inOutMode);
}

// Looked up at mode + 1; a mode past the table reads as empty rather than failing.
static constexpr std::array<const char*, 8> kRepair = {
    "Check In", "Check In", "Check Out", "Break Out", "Break In", "OT In", "OT Out", ""};

QString RepairLogModeNames::name(int inOutMode) { return lookup(kRepair, inOutMode + 1); }

static constexpr std::array<const char*, 4> kPrivilege = {
    "0 - Normal", "1 - Registrant", "2 - Administrator", "3 - Super Administrator"};

QString PrivilegeNames::name(int privilege) { return lookup(kPrivilege, privilege); }

static constexpr std::array<const char*, 3> kDownloadPrivilege = {"Normal", "Supervisor",
                                                                  "Administrator"};

QString DownloadPrivilegeNames::name(int privilege)
{
    return lookup(kDownloadPrivilege, privilege);
}

static constexpr std::array<const char*, 31> kSuperLog = {
    "",
    "Power-off",
    "Warning for verification failure",
    "Disassembly warning",
    "Go to menu",
    "Change settings",
    "Fingerprint Backup Registration",
    "Add password",
    "Register HID card",
    "Delete user",
    "Delete fingerprint",
    "Delete password",
    "Delete radio frequency card",
    "Clear data",
    "Create MF card",
    "Register MF card",
    "Register MF card",
    "Delete registration of MF card",
    "Clear content of MF card",
    "Move registered data into card",
    "Copy data in the card to offline fingerprint machine",
    "Set time of offline fingerprint machine",
    "Restore to factory default",
    "Delete attendance (in-out) record",
    "Clear administrator authority",
    "Modify setting of access control group",
    "Modify setting of user access control",
    "Modify duration of access control",
    "Modify setting of unlock combination",
    "Unlock",
    "Register user"};

QString SuperLogOperationNames::name(int operation) { return lookup(kSuperLog, operation); }
