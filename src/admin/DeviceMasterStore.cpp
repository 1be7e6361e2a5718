#include "DeviceMasterStore.h"

#include "shell/Db.h"
#include "terminals/DeviceLink.h"

#include <QSqlQuery>

#include <limits>

namespace {
QString text(const QSqlQuery& q, int column)
{
    const QVariant v = q.value(column);
    return v.isNull() ? QString() : v.toString();
}

QVariantList values(const TerminalRecord& r)
{
    return {r.DeviceID,  r.ComNo,    r.DeviceDescription, r.PortNo,
            r.IPAddress, r.BaudRate, r.ConMode,           r.Log_Mode};
}

void insertRow(Db& db, const TerminalRecord& record)
{
    db.exec(QStringLiteral("Insert Into Tbl_DeviceMaster (deviceid,comno,devicedescription,"
                           "portno,ipaddress,baudrate,conmode,log_mode) "
                           "Values(?,?,?,?,?,?,?,?)"),
            values(record));
}

void deleteRows(Db& db, int deviceId)
{
    db.exec(QStringLiteral("Delete From Tbl_DeviceMaster Where DeviceID=?"), {deviceId});
}
} // namespace

int DeviceMasterStore::machineNumber(const QString& text)
{
    const long number = LinkSettingNumber(text, "Machine No");
    if (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())
        throw DbError(6, QStringLiteral("Overflow: Machine No \"%1\" is too large").arg(text));
    return int(number);
}

QVector<TerminalRecord> DeviceMasterStore::list(Db& db)
{
    QSqlQuery q = db.exec(QStringLiteral(
        "Select DeviceID, DeviceDescription, ComNo, IPAddress, PortNo, BaudRate, ConMode, "
        "Log_Mode From Tbl_DeviceMaster Order By DeviceID"));
    QVector<TerminalRecord> rows;
    while (q.next()) {
        TerminalRecord r;
        r.DeviceID = q.value(0).toInt();
        r.DeviceDescription = text(q, 1);
        r.ComNo = text(q, 2);
        r.IPAddress = text(q, 3);
        r.PortNo = text(q, 4);
        r.BaudRate = text(q, 5);
        r.ConMode = q.value(6).toInt();
        r.Log_Mode = q.value(7).toInt();
        rows.append(r);
    }
    return rows;
}

int DeviceMasterStore::count(Db& db)
{
    return db.scalar(QStringLiteral("Select Count(*) From Tbl_DeviceMaster")).toInt();
}

bool DeviceMasterStore::exists(Db& db, const QString& machineNo)
{
    bool ok = false;
    const long number = machineNo.trimmed().toLong(&ok);
    if (!ok)
        return false;
    return db.exists(QStringLiteral("Select DeviceID From Tbl_DeviceMaster Where DeviceID=?"),
                     {QVariant::fromValue<qlonglong>(number)});
}

void DeviceMasterStore::insert(Db& db, const TerminalRecord& record)
{
    insertRow(db, record);
}

void DeviceMasterStore::replace(Db& db, int deviceId, const TerminalRecord& record)
{
    Transaction transaction(db);
    deleteRows(db, deviceId);
    insertRow(db, record);
    transaction.commit();
}

void DeviceMasterStore::remove(Db& db, int deviceId)
{
    deleteRows(db, deviceId);
}
