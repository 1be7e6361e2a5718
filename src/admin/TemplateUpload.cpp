#include "TemplateUpload.h"

#include "shell/Db.h"
#include "terminals/DeviceLink.h"
#include "terminals/TerminalSdk.h"

namespace {
constexpr int kPreview = 6;
} // namespace

QList<EmployeeTemplates> TemplateUpload::listEmployees(Db& db, qint64 deviceId)
{
    // A missing part (most often the middle name) would make the whole name NULL.
    const Dialect& d = db.dialect();
    const QString none = QStringLiteral("''");
    const QString blank = QStringLiteral("' '");
    const QString name = d.concat({d.isNull(QStringLiteral("Emp_FirstName"), none), blank,
                                   d.isNull(QStringLiteral("Emp_MiddleName"), none), blank,
                                   d.isNull(QStringLiteral("Emp_LastName"), none)});
    QSqlQuery employees = db.exec(
        QStringLiteral("Select Emp_ID, %1 As FName From Tbl_Emp_Info Order By Emp_ID").arg(name));
    // Both sides come by number, so one pass over each pairs them.
    QSqlQuery stored = db.exec(QStringLiteral("Select DeviceUserID, FingerIndex, FTemplate From "
                                              "Tbl_UserTemplate Where DeviceID=? "
                                              "Order By DeviceUserID, FingerIndex"),
                               {QVariant::fromValue<qlonglong>(deviceId)});
    bool more = stored.next();

    QList<EmployeeTemplates> list;
    while (employees.next()) {
        EmployeeTemplates e;
        e.empId = employees.value(0).toLongLong();
        e.name = employees.value(1).toString();
        while (more && stored.value(0).toLongLong() < e.empId)
            more = stored.next();
        while (more && stored.value(0).toLongLong() == e.empId) {
            if (!e.backupIndex.isEmpty())
                e.backupIndex += QLatin1Char(',');
            e.backupIndex += stored.value(1).toString();
            e.previews += TemplateStore::preview(stored.value(2).toString(), kPreview);
            more = stored.next();
        }
        list.append(e);
    }
    return list;
}

TemplateUpload::TemplateUpload(Db& db, TerminalSdk& sdk, long deviceId)
    : m_store(db), m_sdk(sdk), m_device(deviceId)
{
}

TemplateUpload::Outcome TemplateUpload::upload(qint64 userNo)
{
    bool refused = false;
    for (const StoredUserTemplate& row : m_store.rowsOfUser(userNo, m_device)) {
        if (m_sdk.SdkWriteUserTemplate(m_device, long(userNo), row.FingerIndex, row.FTemplate))
            continue;
        if (!IsDeviceConnected(m_sdk))
            return Outcome::LinkLost;
        refused = true;
    }
    return refused ? Outcome::Refused : Outcome::Sent;
}
