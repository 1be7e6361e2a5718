#include "TerminalSdk.h"

#include "SdkLink.h"
#include "SdkProtocol.h"
#include "SdkRecords.h"
#include "shell/Settings.h"

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QVector>

#include <optional>

using namespace SdkRecords;

namespace {

int connectTimeout()
{
    return qMax(1, Settings::number(Settings::SdkConnectTimeoutMs));
}
int operationTimeout()
{
    return qMax(1, Settings::number(Settings::SdkOperationTimeoutMs));
}

} // namespace

class TerminalSdkPrivate
{
public:
    using Result = SdkLink::Result;

    // One deadline for the whole operation, from the request leaving to the answer's end.
    Result call(const char* op, long m, QJsonObject args = {}, QJsonObject* answer = nullptr)
    {
        return link.call(op, m, std::move(args), QDeadlineTimer(operationTimeout()), answer);
    }
    bool done(const char* op, long m, QJsonObject args = {}, QJsonObject* answer = nullptr)
    {
        return call(op, m, std::move(args), answer) == Result::Done;
    }

    // A request after which the terminal drops the link. A closed link sends nothing: a
    // terminal that was disconnected stays out of reach until it is connected again.
    bool lastRequest(const char* op, long m)
    {
        const bool sent = done(op, m);
        link.close();
        forgetReads();
        return sent;
    }

    void forgetReads()
    {
        punches.clear();
        unreadable = 0;
        users.clear();
        operations.clear();
        punchPos = userPos = operationPos = 0;
    }

    // A broken answer closes the link; the records of an earlier read are gone too, so the
    // walk that follows a failed read sees nothing at all.
    template <typename Row>
    bool bulkRead(const char* op, long m, const char* field, QVector<Row>& rows, qsizetype& pos,
                  bool (*decode)(const QJsonValue&, QVector<Row>&))
    {
        rows.clear();
        pos = 0;
        QJsonObject answer;
        if (!done(op, m, {}, &answer))
            return false;
        if (!decode(answer.value(QLatin1String(field)), rows)) {
            link.close();
            return false;
        }
        return true;
    }

    void showCard(const QString& card) { cardShown = card.isEmpty() ? QStringLiteral("0") : card; }

    SdkLink link;
    long preConnectFlag = 0;

    QVector<PunchRow> punches;
    QVector<UserRow> users;
    QVector<OperationRow> operations;
    qsizetype punchPos = 0;
    unsigned unreadable = 0;
    qsizetype userPos = 0;
    qsizetype operationPos = 0;

    QString cardShown = QStringLiteral("0");
    std::optional<QString> cardToWrite;
};

TerminalSdk::TerminalSdk(QObject* parent) : QObject(parent), d(new TerminalSdkPrivate) {}

TerminalSdk::~TerminalSdk() = default;

long TerminalSdk::SdkPreConnectFlag() const
{
    return d->preConnectFlag;
}

void TerminalSdk::setSdkPreConnectFlag(long flag)
{
    d->preConnectFlag = flag;
}

bool TerminalSdk::SdkConnectNetwork(const QString& ip, long port)
{
    d->forgetReads();
    d->link.close();
    if (port <= 0 || port > 65535)
        return false;
    if (!d->link.openNetwork(ip.trimmed(), quint16(port), connectTimeout()))
        return false;
    Q_EMIT SdkConnectedEvent();
    return true;
}

bool TerminalSdk::SdkConnectSerial(long comPort, long machineNumber, long baudRate)
{
    Q_UNUSED(machineNumber);
    d->forgetReads();
    d->link.close();
    if (comPort <= 0 || baudRate <= 0)
        return false;
    if (!d->link.openSerial(Settings::serialDevice(int(comPort)), qint32(baudRate),
                            connectTimeout()))
        return false;
    Q_EMIT SdkConnectedEvent();
    return true;
}

void TerminalSdk::SdkDisconnect()
{
    d->link.close();
    d->forgetReads();
}

bool TerminalSdk::SdkCheckConnection(long& status)
{
    status = 0;
    if (!d->link.isOpen() || !d->done(SdkProtocol::Ping, d->link.machine()))
        return false;
    status = 1;
    return true;
}

void TerminalSdk::SdkPrepareDisconnect(long value)
{
    d->link.flush(int(qBound(0L, value, 60000L)));
}

bool TerminalSdk::SdkClearAttendanceLog(long m)
{
    d->punches.clear();
    d->punchPos = 0;
    return d->done(SdkProtocol::ClearLog, m);
}

bool TerminalSdk::SdkReadFirmwareVersion(long m, QString& version)
{
    QJsonObject answer;
    if (!d->done(SdkProtocol::Firmware, m, {}, &answer))
        return false;
    version = answer.value(QLatin1String("version")).toString();
    return true;
}

bool TerminalSdk::SdkReadAttendanceLog(long m)
{
    return d->bulkRead(SdkProtocol::ReadLog, m, "records", d->punches, d->punchPos, decodePunches);
}

bool TerminalSdk::SdkLoadAttendanceLog(long m)
{
    return SdkReadAttendanceLog(m);
}

bool TerminalSdk::SdkNextAttendanceRecord(long m, QString& userNo, long& verifyMode,
                                          long& inOutMode, long& year, long& month, long& day,
                                          long& hour, long& minute, long& second, long& workCode)
{
    Q_UNUSED(m);
    if (d->punchPos >= d->punches.size())
        return false;
    const PunchRow& r = d->punches.at(d->punchPos++);
    userNo = r.user;
    verifyMode = r.verifyMode;
    inOutMode = r.inOutMode;
    year = r.year;
    month = r.month;
    day = r.day;
    hour = r.hour;
    minute = r.minute;
    second = r.second;
    workCode = r.workCode;
    d->unreadable = r.unreadable;
    return true;
}

unsigned TerminalSdk::unreadableFields() const
{
    return d->unreadable;
}

QString TerminalSdk::unreadableField() const
{
    for (int field = VerifyMode; field <= WorkCode; ++field)
        if (d->unreadable & (1u << field))
            return punchFieldName(PunchField(field));
    return QString();
}

bool TerminalSdk::SdkReadDeviceStatus(long m, long code, long& value)
{
    QJsonObject answer;
    if (!d->done(SdkProtocol::Status, m, {{QStringLiteral("code"), qint64(code)}}, &answer))
        return false;
    long read = 0;
    if (!wholeNumber(answer.value(QLatin1String("value")), read))
        return false;
    value = read;
    return true;
}

bool TerminalSdk::SdkReadAllUserInfo(long m)
{
    return d->bulkRead(SdkProtocol::ReadUsers, m, "users", d->users, d->userPos, decodeUsers);
}

bool TerminalSdk::SdkNextUserInfo(long m, long& userNo, QString& name, QString& password,
                                  long& privilege, bool& enabled)
{
    QString text;
    if (!SdkNextUserInfoStr(m, text, name, password, privilege, enabled))
        return false;
    bool ok = false;
    const qlonglong number = text.trimmed().toLongLong(&ok);
    userNo = ok ? long(number) : 0;
    return true;
}

bool TerminalSdk::SdkNextUserInfoStr(long m, QString& userNo, QString& name, QString& password,
                                     long& privilege, bool& enabled)
{
    Q_UNUSED(m);
    if (d->userPos >= d->users.size())
        return false;
    const UserRow& r = d->users.at(d->userPos++);
    userNo = r.user;
    name = r.name;
    password = r.password;
    privilege = r.privilege;
    enabled = r.enabled;
    d->showCard(r.card);
    return true;
}

bool TerminalSdk::SdkReadUserInfo(long m, const QString& userNo, QString& name, QString& password,
                                  long& privilege, bool& enabled)
{
    QJsonObject answer;
    if (!d->done(SdkProtocol::ReadUser, m, {{QStringLiteral("user"), userNo}}, &answer))
        return false;
    UserRow r;
    if (!decodeUser(answer.value(QLatin1String("user")), r)) {
        d->link.close();
        return false;
    }
    name = r.name;
    password = r.password;
    privilege = r.privilege;
    enabled = r.enabled;
    d->showCard(r.card);
    return true;
}

QString TerminalSdk::SdkCardNumber(long index) const
{
    return index == 0 ? d->cardShown : QString();
}

void TerminalSdk::setSdkCardNumber(long index, const QString& cardNumber)
{
    if (index != 0)
        return;
    d->cardToWrite = cardNumber.trimmed();
    d->showCard(cardNumber.trimmed());
}

bool TerminalSdk::SdkSetUserInfoStr(long m, const QString& userNo, const QString& name,
                                    const QString& password, long privilege, bool enabled)
{
    if (!d->link.isOpen())
        return false;
    QJsonObject args{{QStringLiteral("user"), userNo},
                     {QStringLiteral("name"), name},
                     {QStringLiteral("password"), password},
                     {QStringLiteral("privilege"), qint64(privilege)},
                     {QStringLiteral("enabled"), enabled}};
    if (d->cardToWrite)
        args.insert(QStringLiteral("card"), *d->cardToWrite);
    // The card goes with this write only: the next user must not inherit it.
    d->cardToWrite.reset();
    return d->done(SdkProtocol::SetUser, m, args);
}

bool TerminalSdk::SdkSetUserInfo(long m, long userNo, const QString& name, const QString& password,
                                 long privilege, bool enabled)
{
    return SdkSetUserInfoStr(m, QString::number(userNo), name, password, privilege, enabled);
}

bool TerminalSdk::SdkDeleteEnrollData(long m, long userNo, long m2, long backupNumber)
{
    Q_UNUSED(m2);
    return d->done(SdkProtocol::DeleteEnroll, m,
                   {{QStringLiteral("user"), QString::number(userNo)},
                    {QStringLiteral("backup"), qint64(backupNumber)}});
}

bool TerminalSdk::SdkDeleteFingerTemplate(long m, long userNo, long finger)
{
    return d->done(SdkProtocol::DeleteTemplate, m,
                   {{QStringLiteral("user"), QString::number(userNo)},
                    {QStringLiteral("finger"), qint64(finger)}});
}

bool TerminalSdk::SdkWriteUserTemplate(long m, long userNo, long finger, const QString& templ)
{
    return d->done(SdkProtocol::WriteTemplate, m,
                   {{QStringLiteral("user"), QString::number(userNo)},
                    {QStringLiteral("finger"), qint64(finger)},
                    {QStringLiteral("template"), templ}});
}

bool TerminalSdk::SdkReadUserTemplate(long m, const QString& userNo, long finger, QString& templ,
                                      int& length)
{
    QJsonObject answer;
    if (!d->done(SdkProtocol::ReadTemplate, m,
                 {{QStringLiteral("user"), userNo}, {QStringLiteral("finger"), qint64(finger)}},
                 &answer))
        return false;
    const QJsonValue value = answer.value(QLatin1String("template"));
    if (!value.isString()) {
        d->link.close();
        return false;
    }
    templ = value.toString();
    length = int(templ.size());
    return true;
}

bool TerminalSdk::SdkRefreshData(long m)
{
    return d->done(SdkProtocol::Refresh, m);
}

bool TerminalSdk::SdkReadEnrollData(long m, long userNo, long m2, long backupNumber, long& out1,
                                    long& out2, long& out3)
{
    Q_UNUSED(m2);
    QJsonObject answer;
    if (!d->done(SdkProtocol::ReadEnroll, m,
                 {{QStringLiteral("user"), QString::number(userNo)},
                  {QStringLiteral("backup"), qint64(backupNumber)}},
                 &answer))
        return false;
    const QJsonArray values = answer.value(QLatin1String("values")).toArray();
    long a = 0, b = 0, c = 0;
    if (values.size() != 3 || !wholeNumber(values.at(0), a) || !wholeNumber(values.at(1), b) ||
        !wholeNumber(values.at(2), c)) {
        d->link.close();
        return false;
    }
    out1 = a;
    out2 = b;
    out3 = c;
    return true;
}

bool TerminalSdk::SdkSetDeviceClock(long m, long year, long month, long day, long hour, long minute,
                                    long second)
{
    return d->done(
        SdkProtocol::SetClock, m,
        {{QStringLiteral("time"), QJsonArray{qint64(year), qint64(month), qint64(day), qint64(hour),
                                             qint64(minute), qint64(second)}}});
}

bool TerminalSdk::SdkReadDeviceClock(long m, long& year, long& month, long& day, long& hour,
                                     long& minute, long& second)
{
    QJsonObject answer;
    if (!d->done(SdkProtocol::ReadClock, m, {}, &answer))
        return false;
    const QJsonArray t = answer.value(QLatin1String("time")).toArray();
    std::array<long, 6> v{};
    bool ok = t.size() == 6;
    for (int i = 0; ok && i < 6; ++i)
        ok = wholeNumber(t.at(i), v[size_t(i)]);
    if (!ok) {
        d->link.close();
        return false;
    }
    year = v[0];
    month = v[1];
    day = v[2];
    hour = v[3];
    minute = v[4];
    second = v[5];
    return true;
}

bool TerminalSdk::SdkRestartDevice(long m)
{
    return d->lastRequest(SdkProtocol::Restart, m);
}

bool TerminalSdk::SdkPowerOffDevice(long m)
{
    return d->lastRequest(SdkProtocol::PowerOff, m);
}

bool TerminalSdk::SdkSetDeviceParam(long m, long param, long value)
{
    return d->done(
        SdkProtocol::SetParam, m,
        {{QStringLiteral("param"), qint64(param)}, {QStringLiteral("value"), qint64(value)}});
}

bool TerminalSdk::SdkWriteDisplayText(long a, long b, const QString& text)
{
    return d->done(SdkProtocol::Display, d->link.machine(),
                   {{QStringLiteral("row"), qint64(a)},
                    {QStringLiteral("column"), qint64(b)},
                    {QStringLiteral("text"), text}});
}

bool TerminalSdk::SdkEnableClock(long flag)
{
    QJsonObject answer;
    if (!d->done(SdkProtocol::EnableClock, d->link.machine(),
                 {{QStringLiteral("flag"), qint64(flag)}}, &answer))
        return false;
    return flag != 0 || answer.value(QLatin1String("enabled")).toBool();
}

bool TerminalSdk::SdkReadSuperLog(long m)
{
    return d->bulkRead(SdkProtocol::ReadSuperLog, m, "records", d->operations, d->operationPos,
                       decodeOperations);
}

bool TerminalSdk::SdkNextSuperLogRecord(long m, std::array<long, 12>& values)
{
    Q_UNUSED(m);
    if (d->operationPos >= d->operations.size())
        return false;
    values = d->operations.at(d->operationPos++);
    return true;
}
