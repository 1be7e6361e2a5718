#include "SimState.h"

#include <QDate>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSet>
#include <QTime>

namespace {

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QString punchTime(const SimPunch& p)
{
    return QStringLiteral("%1-%2-%3 %4:%5:%6")
        .arg(p.year, 4, 10, QLatin1Char('0'))
        .arg(twoDigits(p.month), twoDigits(p.day), twoDigits(p.hour), twoDigits(p.minute),
             twoDigits(p.second));
}

int digits(const QString& text, int from, int count, bool& ok)
{
    int n = 0;
    for (int i = from; i < from + count; ++i) {
        const QChar c = text.at(i);
        if (!c.isDigit()) {
            ok = false;
            return 0;
        }
        n = n * 10 + c.digitValue();
    }
    return n;
}

// "yyyy-MM-dd HH:mm" or "yyyy-MM-dd HH:mm:ss"; the seconds are left alone when absent.
bool parseTime(const QString& text, int& y, int& mo, int& d, int& h, int& mi, int* s)
{
    const bool withSeconds = s != nullptr;
    if (text.size() != (withSeconds ? 19 : 16) || text.at(4) != QLatin1Char('-') ||
        text.at(7) != QLatin1Char('-') || text.at(10) != QLatin1Char(' ') ||
        text.at(13) != QLatin1Char(':') || (withSeconds && text.at(16) != QLatin1Char(':')))
        return false;
    bool ok = true;
    y = digits(text, 0, 4, ok);
    mo = digits(text, 5, 2, ok);
    d = digits(text, 8, 2, ok);
    h = digits(text, 11, 2, ok);
    mi = digits(text, 14, 2, ok);
    const int sec = withSeconds ? digits(text, 17, 2, ok) : 0;
    if (withSeconds)
        *s = sec;
    return ok && QDate::isValid(y, mo, d) && QTime::isValid(h, mi, sec);
}

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

} // namespace

int SimUser::fingerCount() const
{
    int n = 0;
    for (const QString& t : templates)
        n += t.isEmpty() ? 0 : 1;
    return n;
}

QString SimState::userKey(const QString& number)
{
    const QString text = number.trimmed();
    bool ok = false;
    const qulonglong value = text.toULongLong(&ok);
    if (ok && !text.isEmpty() && text.at(0).isDigit())
        return QString::number(value);
    return text;
}

const SimUser* SimState::lookUp(const QString& number) const
{
    const QString key = userKey(number);
    auto verified = [&]() -> const SimUser* {
        const auto it = m_index.constFind(key);
        if (it == m_index.constEnd() || *it >= users.size())
            return nullptr;
        const SimUser& u = users.at(*it);
        return userKey(u.number) == key ? &u : nullptr;
    };
    if (const SimUser* u = verified())
        return u;
    // The list was changed since the index was made (or the user is not there).
    m_index.clear();
    for (qsizetype i = 0; i < users.size(); ++i)
        m_index.insert(userKey(users.at(i).number), i);
    return verified();
}

SimUser* SimState::findUser(const QString& number)
{
    const SimUser* u = lookUp(number);
    if (!u)
        return nullptr;
    // Through the non-const operator, so a list shared with a copy is detached first.
    return &users[u - users.constData()];
}

const SimUser* SimState::findUser(const QString& number) const
{
    return lookUp(number);
}

QByteArray SimState::toJson() const
{
    QJsonObject counters{{QStringLiteral("restarts"), restarts},
                         {QStringLiteral("powerOffs"), powerOffs},
                         {QStringLiteral("refreshes"), refreshes}};
    QJsonObject paramObject;
    for (auto it = params.constBegin(); it != params.constEnd(); ++it)
        paramObject.insert(QString::number(it.key()), it.value());

    QJsonArray userArray;
    for (const SimUser& u : users) {
        QJsonObject templ;
        for (int f = 0; f < 10; ++f)
            if (!u.templates[size_t(f)].isEmpty())
                templ.insert(QString::number(f), u.templates[size_t(f)]);
        userArray.append(QJsonObject{{QStringLiteral("number"), u.number},
                                     {QStringLiteral("name"), u.name},
                                     {QStringLiteral("password"), u.password},
                                     {QStringLiteral("privilege"), u.privilege},
                                     {QStringLiteral("enabled"), u.enabled},
                                     {QStringLiteral("card"), u.card},
                                     {QStringLiteral("templates"), templ}});
    }

    QJsonArray punchArray;
    for (const SimPunch& p : punches)
        punchArray.append(QJsonObject{{QStringLiteral("user"), p.user},
                                      {QStringLiteral("verify"), p.verifyMode},
                                      {QStringLiteral("inout"), p.inOutMode},
                                      {QStringLiteral("time"), punchTime(p)},
                                      {QStringLiteral("work"), p.workCode}});

    QJsonArray operationArray;
    for (const SimOperation& o : operations) {
        const auto& v = o.values;
        operationArray.append(
            QJsonObject{{QStringLiteral("machine"), v[0]},
                        {QStringLiteral("operator"), v[1]},
                        {QStringLiteral("param4"), v[2]},
                        {QStringLiteral("param1"), v[3]},
                        {QStringLiteral("param2"), v[4]},
                        {QStringLiteral("operation"), v[5]},
                        {QStringLiteral("param3"), v[6]},
                        {QStringLiteral("time"), QStringLiteral("%1-%2-%3 %4:%5")
                                                     .arg(v[7], 4, 10, QLatin1Char('0'))
                                                     .arg(twoDigits(v[8]), twoDigits(v[9]),
                                                          twoDigits(v[10]), twoDigits(v[11]))}});
    }

    QJsonObject root{
        {QStringLiteral("machine"), machine},
        {QStringLiteral("firmware"), firmware},
        {QStringLiteral("clockOffsetSeconds"), clockOffsetSeconds},
        {QStringLiteral("clockEnabled"), clockEnabled},
        {QStringLiteral("counters"), counters},
        {QStringLiteral("params"), paramObject},
        {QStringLiteral("display"), QJsonObject{{QStringLiteral("row"), displayRow},
                                                {QStringLiteral("column"), displayColumn},
                                                {QStringLiteral("text"), displayText}}},
        {QStringLiteral("users"), userArray},
        {QStringLiteral("attendance"), punchArray},
        {QStringLiteral("operations"), operationArray}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<SimState> SimState::fromJson(const QByteArray& json, QString* error)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError || !doc.isObject()) {
        fail(error, QStringLiteral("not a JSON object: %1").arg(parseError.errorString()));
        return std::nullopt;
    }
    const QJsonObject root = doc.object();
    SimState s;
    s.machine = root.value(QLatin1String("machine")).toInt(1);
    s.firmware = root.value(QLatin1String("firmware")).toString(s.firmware);
    s.clockOffsetSeconds = root.value(QLatin1String("clockOffsetSeconds")).toInteger(0);
    s.clockEnabled = root.value(QLatin1String("clockEnabled")).toBool(true);
    const QJsonObject counters = root.value(QLatin1String("counters")).toObject();
    s.restarts = counters.value(QLatin1String("restarts")).toInt();
    s.powerOffs = counters.value(QLatin1String("powerOffs")).toInt();
    s.refreshes = counters.value(QLatin1String("refreshes")).toInt();
    const QJsonObject params = root.value(QLatin1String("params")).toObject();
    for (auto it = params.constBegin(); it != params.constEnd(); ++it)
        s.params.insert(it.key().toInt(), it.value().toInt());
    const QJsonObject display = root.value(QLatin1String("display")).toObject();
    s.displayRow = display.value(QLatin1String("row")).toInt();
    s.displayColumn = display.value(QLatin1String("column")).toInt();
    s.displayText = display.value(QLatin1String("text")).toString();

    const QJsonArray users = root.value(QLatin1String("users")).toArray();
    QSet<QString> seen;
    for (const QJsonValue& v : users) {
        const QJsonObject o = v.toObject();
        SimUser u;
        u.number = o.value(QLatin1String("number")).toString();
        const QString key = userKey(u.number);
        if (key.isEmpty() || seen.contains(key)) {
            fail(error, QStringLiteral("user without a number, or twice: \"%1\"").arg(u.number));
            return std::nullopt;
        }
        u.name = o.value(QLatin1String("name")).toString();
        u.password = o.value(QLatin1String("password")).toString();
        u.privilege = o.value(QLatin1String("privilege")).toInt();
        u.enabled = o.value(QLatin1String("enabled")).toBool(true);
        u.card = o.value(QLatin1String("card")).toString(QStringLiteral("0"));
        const QJsonObject templ = o.value(QLatin1String("templates")).toObject();
        for (auto it = templ.constBegin(); it != templ.constEnd(); ++it) {
            bool ok = false;
            const int finger = it.key().toInt(&ok);
            if (!ok || finger < 0 || finger > 9) {
                fail(error, QStringLiteral("user %1: no finger %2").arg(u.number, it.key()));
                return std::nullopt;
            }
            u.templates[size_t(finger)] = it.value().toString();
        }
        seen.insert(key);
        s.users.append(u);
    }

    const QJsonArray punches = root.value(QLatin1String("attendance")).toArray();
    s.punches.reserve(punches.size());
    for (const QJsonValue& v : punches) {
        const QJsonObject o = v.toObject();
        SimPunch p;
        p.user = o.value(QLatin1String("user")).toString();
        p.verifyMode = o.value(QLatin1String("verify")).toInt(1);
        p.inOutMode = o.value(QLatin1String("inout")).toInt(0);
        p.workCode = o.value(QLatin1String("work")).toInt(0);
        const QString time = o.value(QLatin1String("time")).toString();
        if (!parseTime(time, p.year, p.month, p.day, p.hour, p.minute, &p.second)) {
            fail(error, QStringLiteral("punch of user %1: bad time \"%2\"").arg(p.user, time));
            return std::nullopt;
        }
        s.punches.append(p);
    }

    const QJsonArray operations = root.value(QLatin1String("operations")).toArray();
    for (const QJsonValue& v : operations) {
        const QJsonObject o = v.toObject();
        SimOperation op;
        auto& x = op.values;
        x[0] = o.value(QLatin1String("machine")).toInt(s.machine);
        x[1] = o.value(QLatin1String("operator")).toInt();
        x[2] = o.value(QLatin1String("param4")).toInt();
        x[3] = o.value(QLatin1String("param1")).toInt();
        x[4] = o.value(QLatin1String("param2")).toInt();
        x[5] = o.value(QLatin1String("operation")).toInt();
        x[6] = o.value(QLatin1String("param3")).toInt();
        const QString time = o.value(QLatin1String("time")).toString();
        if (!parseTime(time, x[7], x[8], x[9], x[10], x[11], nullptr)) {
            fail(error, QStringLiteral("operation record: bad time \"%1\"").arg(time));
            return std::nullopt;
        }
        s.operations.append(op);
    }
    return s;
}

bool SimState::save(const QString& path, QString* error) const
{
    const QByteArray bytes = toJson();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(error, file.errorString());
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return fail(error, file.errorString());
    }
    if (!file.commit())
        return fail(error, file.errorString());
    return true;
}

std::optional<SimState> SimState::load(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(error, QStringLiteral("%1: %2").arg(path, file.errorString()));
        return std::nullopt;
    }
    return fromJson(file.readAll(), error);
}

SimPunch SimPunch::at(const QString& user, const QDate& date, const QTime& time, int verify,
                      int inOut)
{
    SimPunch p;
    p.user = user;
    p.verifyMode = verify;
    p.inOutMode = inOut;
    p.year = date.year();
    p.month = date.month();
    p.day = date.day();
    p.hour = time.hour();
    p.minute = time.minute();
    p.second = time.second();
    return p;
}
