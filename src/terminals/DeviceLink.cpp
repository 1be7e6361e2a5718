#include "DeviceLink.h"

#include "TerminalSdk.h"
#include "data/CodeTables.h"
#include "shell/Db.h"
#include "shell/Shared.h"

#include <QSqlQuery>
#include <QString>

bool IsDeviceConnected(TerminalSdk& Device)
{
    long status = 0;
    return Device.SdkCheckConnection(status);
}

long LinkSettingNumber(const QString& text, const char* what)
{
    bool ok = false;
    const long value = text.trimmed().toLong(&ok);
    if (!ok)
        throw DbError(13, QStringLiteral("Type mismatch: %1 \"%2\" is not a number")
                              .arg(QLatin1String(what), text));
    return value;
}

bool ConnectDevice(TerminalSdk& Device, long DeviceID) { return ConnectDevice(Device, DeviceID, shared().Cnxn); }

bool ConnectDevice(TerminalSdk& Device, long DeviceID, Db& db)
{
    if (IsDeviceConnected(Device))
        return true;
    QSqlQuery row = db.exec(
        QStringLiteral("Select ConMode, IPAddress, PortNo, ComNo, BaudRate From Tbl_DeviceMaster "
                       "Where DeviceID=?"),
        {QVariant::fromValue<qlonglong>(DeviceID)});
    if (!row.next())
        return false;
    if (row.value(0).isNull())
        return false;
    switch (row.value(0).toInt()) {
    case ConnectionModes::Network:
        return Device.SdkConnectNetwork(row.value(1).toString(),
                                        LinkSettingNumber(row.value(2).toString(), "Port No"));
    case ConnectionModes::Serial:
        return Device.SdkConnectSerial(LinkSettingNumber(row.value(3).toString(), "Com No"),
                                       DeviceID,
                                       LinkSettingNumber(row.value(4).toString(), "Baud Rate"));
    default:
        return false;
    }
}

void SaveDeviceUsers(TerminalSdk& Device, long DeviceID) { SaveDeviceUsers(Device, DeviceID, shared().Cnxn); }

void SaveDeviceUsers(TerminalSdk& Device, long DeviceID, Db& db)
{
    if (!IsDeviceConnected(Device))
        return;
    if (!Device.SdkReadAllUserInfo(DeviceID))
        return;

    QSqlQuery known = db.prepare(QStringLiteral(
        "Select 1 From Tbl_UserLogInfo Where DeviceUserID=? And DeviceID=?"));
    QSqlQuery insert =
        db.prepare(QStringLiteral("Insert Into Tbl_UserLogInfo Values(?,?,?,?,?,?)"));
    const QString point = QStringLiteral("quorvane_user");
    const Dialect& dialect = db.dialect();

    Transaction transaction(db);
    long userNo = 0;
    QString name;
    QString password;
    long privilege = 0;
    bool enabled = false;
    while (Device.SdkNextUserInfo(DeviceID, userNo, name, password, privilege, enabled)) {
        db.exec(dialect.savepoint(point));
        try {
            const QVariant user = QVariant::fromValue<qlonglong>(userNo);
            const QVariant device = QVariant::fromValue<qlonglong>(DeviceID);
            Db::run(known, {user, device});
            const bool seen = known.next();
            known.finish();
            if (!seen)
                Db::run(insert, {user, name, password, QVariant::fromValue<qlonglong>(privilege),
                                 enabled ? -1 : 0, device});
            db.releaseSavepoint(point);
        } catch (...) {
            // The users stored before this one are kept; this one leaves nothing behind.
            db.rollbackToSavepoint(point);
            db.releaseSavepoint(point);
            transaction.commit();
            throw;
        }
    }
    transaction.commit();
}
