#include "TemplateUpload.h"

#include "shell/Db.h"
#include "terminals/DeviceLink.h"
#include "terminals/TerminalSdk.h"

#include <QVector>

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
    // The stored side is read whole first: SQL Server serves one result set at a time on a
    // connection, so the two cannot be walked side by side. Both come by number, so one
    // pass over each pairs them.
    struct Stored
    {
        qint64 user;
        QString finger;
        QString preview;
    };
    QVector<Stored> stored;
    {
        QSqlQuery q = db.exec(QStringLiteral("Select DeviceUserID, FingerIndex, FTemplate From "
                                             "Tbl_UserTemplate Where DeviceID=? "
                                             "Order By DeviceUserID, FingerIndex"),
                              {QVariant::fromValue<qlonglong>(deviceId)});
        while (q.next())
            stored.append({q.value(0).toLongLong(), q.value(1).toString(),
                           TemplateStore::preview(q.value(2).toString(), kPreview)});
    }
    QSqlQuery employees = db.exec(
        QStringLiteral("Select Emp_ID, %1 As FName From Tbl_Emp_Info Order By Emp_ID").arg(name));

    QList<EmployeeTemplates> list;
    qsizetype next = 0;
    while (employees.next()) {
        EmployeeTemplates e;
        e.empId = employees.value(0).toLongLong();
        e.name = employees.value(1).toString();
        while (next < stored.size() && stored[next].user < e.empId)
            ++next;
        for (; next < stored.size() && stored[next].user == e.empId; ++next) {
            if (!e.backupIndex.isEmpty())
                e.backupIndex += QLatin1Char(',');
            e.backupIndex += stored[next].finger;
            e.previews += stored[next].preview;
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
