#include "DeviceUsers.h"

#include "shell/Db.h"
#include "shell/DbError.h"
#include "terminals/DeviceLink.h"
#include "terminals/TerminalSdk.h"

#include <QRegularExpression>

#include <cmath>

namespace {
// The SDK's "every finger" and "the whole user".
constexpr long kAllFingers = 12;
constexpr long kWholeUser = 12;
} // namespace

void DeviceUsers::readAll(TerminalSdk& sdk, long machine, QVector<Row>& rows)
{
    if (!sdk.SdkReadAllUserInfo(machine))
        return;
    QString number, name, password;
    long privilege = 0;
    bool enabled = false;
    while (sdk.SdkNextUserInfoStr(machine, number, name, password, privilege, enabled)) {
        bool ok = false;
        const qlonglong value = number.trimmed().toLongLong(&ok);
        if (!ok)
            throw DbError(13, QStringLiteral("Type mismatch: user number \"%1\"").arg(number));
        rows.append(
            Row{QString::number(value), name, sdk.SdkCardNumber(0), password, privilege, enabled});
    }
}

qlonglong DeviceUsers::cardNumber(const QString& text)
{
    static const QRegularExpression leading(
        QStringLiteral("^\\s*([+-]?(?:\\d+(?:\\.\\d*)?|\\.\\d+))"));
    const QRegularExpressionMatch match = leading.match(text);
    if (!match.hasMatch())
        return 0;
    // Halves go to the even neighbour, as the terminal software always rounded.
    const double value = std::nearbyint(match.captured(1).toDouble());
    // A number past the card's range is refused, not wrapped into some other card.
    if (!(value >= -9223372036854775808.0 && value < 9223372036854775808.0))
        throw DbError(6, QStringLiteral("Overflow: card number \"%1\"").arg(text.trimmed()));
    return qlonglong(value);
}

long DeviceUsers::privilegeCode(const QString& text)
{
    return text.left(1).toLong();
}

bool DeviceUsers::recorded(Db& db, long user, long device)
{
    return db.exists(
        QStringLiteral("Select DeviceUserID From Tbl_UserLogInfo "
                       "Where DeviceUserID=? AND DeviceID=?"),
        {QVariant::fromValue<qlonglong>(user), QVariant::fromValue<qlonglong>(device)});
}

bool DeviceUsers::held(TerminalSdk& sdk, long machine, qlonglong user)
{
    QString name, password;
    long privilege = 0;
    bool enabled = false;
    if (sdk.SdkReadUserInfo(machine, QString::number(user), name, password, privilege, enabled))
        return true;
    // A terminal that did not answer has not said the number is free.
    if (!IsDeviceConnected(sdk))
        throw DbError(
            5, QStringLiteral("The terminal did not say whether it holds user %1.").arg(user));
    return false;
}

void DeviceUsers::write(TerminalSdk& sdk, long machine, const Row& user)
{
    sdk.setSdkCardNumber(0, user.card);
    if (!sdk.SdkSetUserInfoStr(machine, user.number, user.name, user.password, user.privilege,
                               user.enabled))
        throw DbError(5, QStringLiteral("The terminal did not take user %1.").arg(user.number));
}

bool DeviceUsers::remove(TerminalSdk& sdk, long machine, long user)
{
    return sdk.SdkDeleteFingerTemplate(machine, user, kAllFingers) &&
           sdk.SdkDeleteEnrollData(machine, user, machine, kWholeUser);
}
