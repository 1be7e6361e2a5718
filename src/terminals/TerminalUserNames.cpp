#include "TerminalUserNames.h"

#include "TerminalSdk.h"

TerminalUserNames::TerminalUserNames(TerminalSdk& sdk, long machineId)
    : m_sdk(sdk), m_machineId(machineId)
{
    if (!m_sdk.SdkReadAllUserInfo(m_machineId))
        return;
    QString userNo, name, password;
    long privilege = 0;
    bool enabled = false;
    while (m_sdk.SdkNextUserInfoStr(m_machineId, userNo, name, password, privilege, enabled))
        m_names.insert(key(userNo), name);
    m_complete = true;
}

QString TerminalUserNames::key(const QString& userNo)
{
    bool ok = false;
    const qlonglong number = userNo.trimmed().toLongLong(&ok);
    return ok ? QString::number(number) : userNo;
}

QString TerminalUserNames::name(const QString& userNo)
{
    const QString k = key(userNo);
    const auto known = m_names.constFind(k);
    if (known != m_names.constEnd() || m_complete)
        return known != m_names.constEnd() ? *known : QString();
    QString name, password;
    long privilege = 0;
    bool enabled = false;
    if (!m_sdk.SdkReadUserInfo(m_machineId, k, name, password, privilege, enabled))
        name.clear();
    m_names.insert(k, name);
    return name;
}
