#include "UsbImportRoutines.h"

#include "OpenShiftPairing.h"
#include "PairingValues.h"
#include "PunchFeed.h"
#include "shell/ErrorTrap.h"
#include "shell/MsgBox.h"
#include "shell/Shared.h"
#include "shell/Startup.h"

namespace {
const QString kForm = QStringLiteral("frmUSBDataImport");
} // namespace

namespace UsbImportRoutines {

bool SaveUsbLogRecord(Db& connection, int EmpId, const QString& punch, int verifyCode,
                      int inOutCode)
{
    try {
        const QDateTime at = PunchFeed::punchFromText(punch);
        if (!at.isValid())
            throw DbError(13,
                          QStringLiteral("Type mismatch: \"%1\" is no date and time.").arg(punch));
        PunchFeed(connection).SaveUsbLogRecord(EmpId, at, verifyCode, inOutCode);
        return true;
    } catch (const DbError& e) {
        if (PunchFeed::isIntegrityViolation(connection, e))
            MsgBox(QStringLiteral("Employee information of '%1' is not entered. Unrecognized "
                                  "employee id")
                       .arg(EmpId),
                   48);
        else
            MsgBox(e.text(), 48);
        return false;
    }
}

bool IsDoubleDutyOut(Db& connection, int EmpId, const QDate& date)
{
    return OpenShiftPairing(connection, 0).IsDoubleDutyOut(EmpId, date);
}

int get_cate(int EmpId)
{
    int category = 0;
    trapErrors(kForm, QStringLiteral("get_cate()"),
               [&] { category = OpenShiftPairing(shared().Cnxn, 0).get_Cate(EmpId); });
    return category;
}

void Add_SubstituteLeave(Db& connection, int EmpId)
{
    trapErrors(kForm, QStringLiteral("Add_SubstituteLeave()"), [&] {
        PairingValues::atomically(
            connection, [&] { OpenShiftPairing(connection, 0).Add_SubstituteLeave(EmpId); });
    });
}

int get_MaxId(const QString& Table, const QString& Field, Db& Connection)
{
    return ::get_MaxId(Table, Field, Connection);
}

} // namespace UsbImportRoutines
