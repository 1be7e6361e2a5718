#include "UserCopy.h"

#include "shell/Db.h"
#include "terminals/DeviceLink.h"
#include "terminals/TerminalSdk.h"

namespace {
constexpr int kPreview = 5;
constexpr int kNameLength = 8;
constexpr long kAllFingers = 12;
} // namespace

QList<StoredUser> UserCopy::listUsers(Db& db, qint64 sourceId)
{
    // By user and finger: a user whose rows were stored at different times still comes
    // together, as one row.
    QSqlQuery q = db.exec(QStringLiteral("Select DeviceUserID, DeviceUserName, FTemplate, rfid, "
                                         "password, previlege, IsNew From Tbl_UserTemplate "
                                         "Where DeviceID=? Order By DeviceUserID, FingerIndex"),
                          {QVariant::fromValue<qlonglong>(sourceId)});
    QList<StoredUser> users;
    while (q.next()) {
        const qint64 number = q.value(0).toLongLong();
        if (users.isEmpty() || users.last().number != number) {
            users.append(StoredUser());
            users.last().number = number;
        }
        StoredUser& u = users.last();
        // A later row of the user overrides the earlier ones' values.
        u.name = q.value(1).toString().trimmed();
        const QString templ = q.value(2).toString();
        if (!templ.isEmpty()) {
            if (!u.previews.isEmpty())
                u.previews += QStringLiteral(" , ");
            u.previews += TemplateStore::preview(templ, kPreview);
        }
        if (!q.value(3).isNull() && q.value(3).toString().trimmed() != QLatin1String("0"))
            u.card = q.value(3).toString().trimmed();
        if (!q.value(5).isNull())
            u.privilege = q.value(5).toString();
        const QString password = q.value(4).toString();
        if (!password.isEmpty() && password != QLatin1String("0"))
            u.password = password;
        if (q.value(6).toInt() == 1)
            u.isNew = true;
    }
    return users;
}

UserCopy::UserCopy(Db& db, TerminalSdk& sdk, long destinationId, qint64 sourceId)
    : m_store(db), m_sdk(sdk), m_destination(destinationId), m_source(sourceId)
{
}

UserCopy::~UserCopy()
{
    try {
        finish();
    } catch (...) {
    }
}

UserCopy::Outcome UserCopy::failed()
{
    return IsDeviceConnected(m_sdk) ? Outcome::Refused : Outcome::LinkLost;
}

UserCopy::Outcome UserCopy::copy(qint64 userNo, const QString& card, const QString& password,
                                 const QString& privilege)
{
    const long level =
        long(wholeNumber(privilege, QStringLiteral("privilege of user %1").arg(userNo)));
    const QList<StoredUserTemplate> rows = m_store.rowsOfUser(userNo, m_source);
    if (rows.isEmpty())
        throw DbError(3021,
                      QStringLiteral("User %1 is no longer in the template store.").arg(userNo));
    const StoredUserTemplate* own = &rows.first();
    for (const StoredUserTemplate& row : rows) {
        if (row.DeviceID == m_source) {
            own = &row;
            break;
        }
    }

    const long user = long(userNo);
    // A cut inside the name must not leave a blank at its end: the terminal would keep it
    // and report it back as the user's name. Nor half of a character made of two units,
    // which the terminal stores as "?".
    QString name = own->DeviceUserName.trimmed().left(kNameLength);
    if (name.size() == kNameLength && name.back().isHighSurrogate())
        name.chop(1);
    name = name.trimmed();
    m_sdk.setSdkCardNumber(0, card.trimmed().isEmpty() ? QStringLiteral("0") : card.trimmed());
    if (!m_sdk.SdkSetUserInfo(m_destination, user, name, password.trimmed(), level,
                              own->Status != 0))
        return failed();
    if (!m_sdk.SdkDeleteFingerTemplate(m_destination, user, kAllFingers))
        return failed();
    bool whole = true;
    for (const StoredUserTemplate& row : rows) {
        if (m_sdk.SdkWriteUserTemplate(m_destination, user, row.FingerIndex, row.FTemplate))
            continue;
        if (!IsDeviceConnected(m_sdk))
            return Outcome::LinkLost;
        whole = false;
    }
    if (!whole)
        return Outcome::Refused;
    m_copied.append(userNo);
    return Outcome::Copied;
}

void UserCopy::finish()
{
    const QList<qint64> copied = std::exchange(m_copied, {});
    m_store.clearIsNew(copied);
}
