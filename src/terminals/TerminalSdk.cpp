#include "TerminalSdk.h"

#include "SdkLink.h"
#include "SdkProtocol.h"
#include "shell/Settings.h"

#include <QJsonArray>
#include <QVector>

#include <optional>

namespace {

struct PunchRow
{
    QString user;
    long verifyMode = 0;
    long inOutMode = 0;
    long year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    long workCode = 0;
};

struct UserRow
{
    QString user;
    QString name;
    QString password;
    long privilege = 0;
    bool enabled = false;
    QString card;
};

// A whole number that fits a Long; anything else makes the answer unreadable.
bool wholeNumber(const QJsonValue& value, long& out)
{
    if (!value.isDouble())
        return false;
    const double d = value.toDouble();
    if (d != double(qint64(d)) || d < -2147483648.0 || d > 2147483647.0)
        return false;
    out = long(d);
    return true;
}

bool decodePunch(const QJsonValue& value, PunchRow& row)
{
    const QJsonArray a = value.toArray();
    if (a.size() != SdkProtocol::AttendanceFields || !a.at(0).isString())
        return false;
    row.user = a.at(0).toString();
    return wholeNumber(a.at(1), row.verifyMode) && wholeNumber(a.at(2), row.inOutMode) &&
           wholeNumber(a.at(3), row.year) && wholeNumber(a.at(4), row.month) &&
           wholeNumber(a.at(5), row.day) && wholeNumber(a.at(6), row.hour) &&
           wholeNumber(a.at(7), row.minute) && wholeNumber(a.at(8), row.second) &&
           wholeNumber(a.at(9), row.workCode);
}

bool decodeUser(const QJsonValue& value, UserRow& row)
{
    const QJsonArray a = value.toArray();
    if (a.size() != SdkProtocol::UserFields || !a.at(0).isString() || !a.at(1).isString() ||
        !a.at(2).isString() || !a.at(4).isBool() || !a.at(5).isString())
        return false;
    row.user = a.at(0).toString();
    row.name = a.at(1).toString();
    row.password = a.at(2).toString();
    row.enabled = a.at(4).toBool();
    row.card = a.at(5).toString();
    return wholeNumber(a.at(3), row.privilege);
}

bool decodeOperation(const QJsonValue& value, std::array<long, 12>& row)
{
    const QJsonArray a = value.toArray();
    if (a.size() != SdkProtocol::OperationFields)
        return false;
    for (int i = 0; i < SdkProtocol::OperationFields; ++i)
        if (!wholeNumber(a.at(i), row[size_t(i)]))
            return false;
    return true;
}

// Decodes every row or none: a reply with one unreadable row is a broken answer.
template <typename Row, typename Decode>
bool decodeAll(const QJsonValue& value, QVector<Row>& rows, Decode decode)
{
    rows.clear();
    if (!value.isArray())
        return false;
    const QJsonArray array = value.toArray();
    rows.resize(array.size());
    for (qsizetype i = 0; i < array.size(); ++i) {
        if (!decode(array.at(i), rows[i])) {
            rows.clear();
            return false;
        }
    }
    return true;
}

int connectTimeout() { return qMax(1, Settings::number(Settings::SdkConnectTimeoutMs)); }
int operationTimeout() { return qMax(1, Settings::number(Settings::SdkOperationTimeoutMs)); }

}  // namespace

class TerminalSdkPrivate
{
public:
    using Result = SdkLink::Result;

    Result call(const char* op, long m, QJsonObject args = {}, QJsonObject* answer = nullptr)
    {
        return link.call(op, m, std::move(args), operationTimeout(), answer);
    }
    bool done(const char* op, long m, QJsonObject args = {}, QJsonObject* answer = nullptr)
    {
        return call(op, m, std::move(args), answer) == Result::Done;
    }

    void forgetReads()
    {
        punches.clear();
        users.clear();
        operations.clear();
        punchPos = userPos = operationPos = 0;
    }

    // A broken answer closes the link; the records of an earlier read are gone too, so the
    // walk that follows a failed read sees nothing at all.
    template <typename Row, typename Decode>
    bool bulkRead(const char* op, long m, const char* field, QVector<Row>& rows,
                  qsizetype& pos, Decode decode)
    {
        rows.clear();
        pos = 0;
        QJsonObject answer;
        if (!done(op, m, {}, &answer))
            return false;
        if (!decodeAll(answer.value(QLatin1String(field)), rows, decode)) {
            link.close();
            return false;
        }
        return true;
    }

    void showCard(const QString& card) { cardShown = card.isEmpty() ? QStringLiteral("0") : card; }

    SdkLink link;
    long preConnectFlag = 0;

    enum class Route { None, Network, Serial };
    Route route = Route::None;
    QString host;
    long port = 0;
    long comPort = 0;
    long baudRate = 0;

    QVector<PunchRow> punches;
    QVector<UserRow> users;
    QVector<std::array<long, 12>> operations;
    qsizetype punchPos = 0;
    qsizetype userPos = 0;
    qsizetype operationPos = 0;

    QString cardShown = QStringLiteral("0");
    std::optional<QString> cardToWrite;
};

TerminalSdk::TerminalSdk(QObject* parent) : QObject(parent), d(new TerminalSdkPrivate) {}

TerminalSdk::~TerminalSdk() = default;

long TerminalSdk::SdkPreConnectFlag() const { return d->preConnectFlag; }

void TerminalSdk::setSdkPreConnectFlag(long flag) { d->preConnectFlag = flag; }

bool TerminalSdk::SdkConnectNetwork(const QString& ip, long port)
{
    d->forgetReads();
    d->link.close();
    if (port <= 0 || port > 65535)
        return false;
    if (!d->link.openNetwork(ip.trimmed(), quint16(port), connectTimeout()))
        return false;
    d->route = TerminalSdkPrivate::Route::Network;
    d->host = ip.trimmed();
    d->port = port;
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
    d->route = TerminalSdkPrivate::Route::Serial;
    d->comPort = comPort;
    d->baudRate = baudRate;
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

void TerminalSdk::SdkPrepareDisconnect(long value) { d->link.flush(int(qBound(0L, value, 60000L))); }

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
    return d->bulkRead(SdkProtocol::ReadLog, m, "records", d->punches, d->punchPos, decodePunch);
}

bool TerminalSdk::SdkLoadAttendanceLog(long m) { return SdkReadAttendanceLog(m); }

bool TerminalSdk::SdkNextAttendanceRecord(long m, QString& userNo, long& verifyMode,
                                          long& inOutMode, long& year, long& month, long& day,
                                          long& hour, long& minute, long& second,
                                          long& workCode)
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
    return true;
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
    return d->bulkRead(SdkProtocol::ReadUsers, m, "users", d->users, d->userPos, decodeUser);
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

bool TerminalSdk::SdkReadUserInfo(long m, const QString& userNo, QString& name,
                                  QString& password, long& privilege, bool& enabled)
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

bool TerminalSdk::SdkSetUserInfo(long m, long userNo, const QString& name,
                                 const QString& password, long privilege, bool enabled)
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

bool TerminalSdk::SdkReadUserTemplate(long m, const QString& userNo, long finger,
                                      QString& templ, int& length)
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

bool TerminalSdk::SdkRefreshData(long m) { return d->done(SdkProtocol::Refresh, m); }

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

bool TerminalSdk::SdkSetDeviceClock(long m, long year, long month, long day, long hour,
                                    long minute, long second)
{
    return d->done(SdkProtocol::SetClock, m,
                   {{QStringLiteral("time"), QJsonArray{qint64(year), qint64(month), qint64(day),
                                                        qint64(hour), qint64(minute),
                                                        qint64(second)}}});
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

// A restart asked for right after the link was closed (the settings screen disconnects
// first) still has to reach the terminal: the element opens its last link once more.
// Either way the terminal drops the link when it restarts.
bool TerminalSdk::SdkRestartDevice(long m)
{
    if (!d->link.isOpen()) {
        using Route = TerminalSdkPrivate::Route;
        bool reopened = false;
        if (d->route == Route::Network)
            reopened = d->link.openNetwork(d->host, quint16(d->port), connectTimeout());
        else if (d->route == Route::Serial)
            reopened = d->link.openSerial(Settings::serialDevice(int(d->comPort)),
                                          qint32(d->baudRate), connectTimeout());
        if (!reopened)
            return false;
    }
    const bool done = d->done(SdkProtocol::Restart, m);
    d->link.close();
    d->forgetReads();
    return done;
}

bool TerminalSdk::SdkPowerOffDevice(long m)
{
    const bool done = d->done(SdkProtocol::PowerOff, m);
    d->link.close();
    d->forgetReads();
    return done;
}

bool TerminalSdk::SdkSetDeviceParam(long m, long param, long value)
{
    return d->done(SdkProtocol::SetParam, m,
                   {{QStringLiteral("param"), qint64(param)},
                    {QStringLiteral("value"), qint64(value)}});
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
                       decodeOperation);
}

bool TerminalSdk::SdkNextSuperLogRecord(long m, std::array<long, 12>& values)
{
    Q_UNUSED(m);
    if (d->operationPos >= d->operations.size())
        return false;
    values = d->operations.at(d->operationPos++);
    return true;
}
