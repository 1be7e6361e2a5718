#include "TemplateDownload.h"

#include "shell/DbError.h"
#include "terminals/DeviceLink.h"
#include "terminals/TerminalSdk.h"

#include <array>
#include <limits>

namespace {
constexpr int kFingers = 10;
constexpr int kPreview = 5;
} // namespace

QList<TerminalUser> TemplateDownload::listUsers(TerminalSdk& sdk, long machineId)
{
    QList<TerminalUser> users;
    listUsers(sdk, machineId, [&](const TerminalUser& u) { users.append(u); });
    return users;
}

void TemplateDownload::listUsers(TerminalSdk& sdk, long machineId,
                                 const std::function<void(const TerminalUser&)>& each)
{
    sdk.SdkReadAllUserInfo(machineId);
    QString number;
    TerminalUser u;
    while (sdk.SdkNextUserInfoStr(machineId, number, u.name, u.password, u.privilege, u.enabled)) {
        u.number = wholeNumber(number, QStringLiteral("user number"));
        // The store keeps user numbers as 32-bit integers: a larger one would be stored
        // under another user's number.
        if (u.number < std::numeric_limits<qint32>::min() ||
            u.number > std::numeric_limits<qint32>::max())
            throw DbError(6, QStringLiteral("Overflow: the user number %1 is too large.")
                                 .arg(number.trimmed()));
        each(u);
    }
}

TemplateDownload::TemplateDownload(Db& db, TerminalSdk& sdk, long machineId)
    : m_store(db), m_sdk(sdk), m_machine(machineId)
{
}

void TemplateDownload::setYield(std::function<void()> yield, int intervalMs)
{
    m_yield = std::move(yield);
    m_interval = intervalMs;
    m_sinceYield.invalidate();
}

void TemplateDownload::pause()
{
    if (!m_yield)
        return;
    if (m_sinceYield.isValid() && m_sinceYield.elapsed() < m_interval)
        return;
    // No transaction stays open while other code runs.
    m_store.commit();
    m_yield();
    m_sinceYield.start();
}

bool TemplateDownload::readUser(const QString& userNo, QString& name, Result& result, bool& enabled)
{
    if (!m_sdk.SdkReadUserInfo(m_machine, userNo, name, result.password, result.privilege,
                               enabled)) {
        result.outcome = IsDeviceConnected(m_sdk) ? Outcome::NotFound : Outcome::LinkLost;
        return false;
    }
    result.card = m_sdk.SdkCardNumber(0);
    return true;
}

TemplateDownload::Result TemplateDownload::download(qint64 userNo, bool excludeFingerprints)
{
    Result result;
    const QString userText = QString::number(userNo);
    QString name;
    bool enabled = true;

    StoredUserTemplate row;
    row.DeviceUserID = int(userNo);
    row.DeviceID = int(m_machine);
    row.IsNew = 0;
    auto fillUser = [&] {
        row.DeviceUserName = name;
        row.rfid = result.card;
        row.password = result.password;
        row.previlege = int(result.privilege);
        row.Status = enabled ? 1 : 0;
    };

    if (excludeFingerprints) {
        pause();
        if (!readUser(userText, name, result, enabled))
            return result;
        fillUser();
        m_store.storeUser([&] { m_store.replaceOnTerminal(row); });
        result.outcome = Outcome::Stored;
        return result;
    }

    if (!readUser(userText, name, result, enabled))
        return result;
    std::array<QString, kFingers> templates;
    bool failedRead = false;
    for (int finger = 0; finger < kFingers; ++finger) {
        pause();
        int length = 0;
        if (!m_sdk.SdkReadUserTemplate(m_machine, userText, finger, templates[size_t(finger)],
                                       length)) {
            templates[size_t(finger)].clear();
            failedRead = true;
        }
    }
    // A read that failed because the link broke looks like a finger without a template.
    if (failedRead && !IsDeviceConnected(m_sdk)) {
        result.outcome = Outcome::LinkLost;
        return result;
    }

    fillUser();
    for (int finger = 0; finger < kFingers; ++finger) {
        if (templates[size_t(finger)].isEmpty())
            continue;
        result.fingers.append(finger);
        result.previews.append(TemplateStore::preview(templates[size_t(finger)], kPreview));
    }
    m_store.storeUser([&] {
        // Before the fingers are stored: the rows inserted below carry the record already
        // and are not written twice.
        m_store.writeRecord(row);
        if (result.fingers.isEmpty()) {
            row.FingerIndex = 0;
            row.FTemplate = QString();
            m_store.replaceFinger(row);
            return;
        }
        if (result.fingers.first() != 0)
            m_store.dropEmptyFingerZero(userNo, m_machine);
        for (int finger : std::as_const(result.fingers)) {
            row.FingerIndex = finger;
            row.FTemplate = templates[size_t(finger)];
            m_store.replaceFinger(row);
        }
    });
    result.outcome = Outcome::Stored;
    return result;
}
