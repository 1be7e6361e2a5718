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

void SimState::rebuildIndex() const
{
    m_index.clear();
    m_index.reserve(users.size());
    for (qsizetype i = 0; i < users.size(); ++i)
        m_index.insert(userKey(users.at(i).number), i);
    m_indexedUsers = users.size();
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
    if (!indexCurrent())
        rebuildIndex();
    if (const SimUser* u = verified())
        return u;
    // A hit that points at another user: the list was reordered behind the index.
    if (m_index.contains(key)) {
        rebuildIndex();
        return verified();
    }
    return nullptr;
}

SimUser& SimState::addUser(const SimUser& user)
{
    const bool current = indexCurrent();
    users.append(user);
    if (current) {
        m_index.insert(userKey(user.number), users.size() - 1);
        m_indexedUsers = users.size();
    }
    return users.last();
}

qsizetype SimState::removeUser(const SimUser* user)
{
    const qsizetype position = user - users.constData();
    const QString key = userKey(user->number);
    const bool current = indexCurrent();
    users.removeAt(position);
    if (!current)
        return position;
    // Shifting the positions behind it is a pass over plain numbers, no key is made again.
    m_index.remove(key);
    for (auto it = m_index.begin(); it != m_index.end(); ++it)
        if (*it > position)
            --*it;
    m_indexedUsers = users.size();
    return position;
}

void SimState::insertUser(qsizetype position, const SimUser& user)
{
    users.insert(position, user);
    m_indexedUsers = -1;
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

namespace {

// Reads the fields of one JSON object, each of the one type it may have; a field that is
// absent keeps its default. The first field of the wrong type is remembered, by its path.
class Fields
{
public:
    Fields(const QJsonObject& object, QString path, QString& error)
        : m_object(object), m_path(std::move(path)), m_error(error)
    {
    }

    QString path(const char* key) const
    {
        return m_path.isEmpty() ? QLatin1String(key) : m_path + u'.' + QLatin1String(key);
    }

    void integer(const char* key, int& out)
    {
        const QJsonValue v = m_object.value(QLatin1String(key));
        if (v.isUndefined())
            return;
        const double d = v.toDouble();
        if (!v.isDouble() || d != double(qint64(d)) || d < -2147483648.0 || d > 2147483647.0)
            wrong(key, "a whole number");
        else
            out = int(d);
    }
    void integer64(const char* key, qint64& out)
    {
        const QJsonValue v = m_object.value(QLatin1String(key));
        if (v.isUndefined())
            return;
        if (!v.isDouble() || v.toDouble() != double(qint64(v.toDouble())))
            wrong(key, "a whole number");
        else
            out = qint64(v.toDouble());
    }
    void text(const char* key, QString& out)
    {
        const QJsonValue v = m_object.value(QLatin1String(key));
        if (v.isUndefined())
            return;
        if (!v.isString())
            wrong(key, "a text");
        else
            out = v.toString();
    }
    void boolean(const char* key, bool& out)
    {
        const QJsonValue v = m_object.value(QLatin1String(key));
        if (v.isUndefined())
            return;
        if (!v.isBool())
            wrong(key, "true or false");
        else
            out = v.toBool();
    }
    QJsonObject object(const char* key)
    {
        const QJsonValue v = m_object.value(QLatin1String(key));
        if (!v.isUndefined() && !v.isObject())
            wrong(key, "an object");
        return v.toObject();
    }
    QJsonArray list(const char* key)
    {
        const QJsonValue v = m_object.value(QLatin1String(key));
        if (!v.isUndefined() && !v.isArray())
            wrong(key, "a list");
        return v.toArray();
    }

    bool failed() const { return !m_error.isEmpty(); }
    void wrong(const char* key, const char* expected)
    {
        if (m_error.isEmpty())
            m_error = QStringLiteral("%1: not %2").arg(path(key), QLatin1String(expected));
    }

private:
    QJsonObject m_object;
    QString m_path;
    QString& m_error;
};

// The objects of a list, each with its own path ("users[3]").
template <typename Read>
bool eachObject(const QJsonArray& list, const QString& name, QString& error, Read read)
{
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QString path = QStringLiteral("%1[%2]").arg(name).arg(i);
        if (!list.at(i).isObject()) {
            error = path + QStringLiteral(": not an object");
            return false;
        }
        Fields f(list.at(i).toObject(), path, error);
        if (!read(f, path) || f.failed())
            return false;
    }
    return true;
}

} // namespace

std::optional<SimState> SimState::fromJson(const QByteArray& json, QString* error)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError || !doc.isObject()) {
        fail(error, QStringLiteral("not a JSON object: %1").arg(parseError.errorString()));
        return std::nullopt;
    }
    QString problem;
    auto refuse = [&](const QString& why) {
        fail(error, why);
        return std::optional<SimState>();
    };
    SimState s;
    Fields root(doc.object(), QString(), problem);
    root.integer("machine", s.machine);
    root.text("firmware", s.firmware);
    root.integer64("clockOffsetSeconds", s.clockOffsetSeconds);
    root.boolean("clockEnabled", s.clockEnabled);
    Fields counters(root.object("counters"), QStringLiteral("counters"), problem);
    counters.integer("restarts", s.restarts);
    counters.integer("powerOffs", s.powerOffs);
    counters.integer("refreshes", s.refreshes);
    const QJsonObject params = root.object("params");
    for (auto it = params.constBegin(); it != params.constEnd(); ++it) {
        bool keyOk = false;
        const int param = it.key().toInt(&keyOk);
        int value = 0;
        Fields one(params, QStringLiteral("params"), problem);
        one.integer(qPrintable(it.key()), value);
        if (!keyOk)
            return refuse(QStringLiteral("params.%1: not a parameter number").arg(it.key()));
        s.params.insert(param, value);
    }
    Fields display(root.object("display"), QStringLiteral("display"), problem);
    display.integer("row", s.displayRow);
    display.integer("column", s.displayColumn);
    display.text("text", s.displayText);
    const QJsonArray users = root.list("users");
    const QJsonArray punches = root.list("attendance");
    const QJsonArray operations = root.list("operations");
    if (!problem.isEmpty())
        return refuse(problem);

    QSet<QString> seen;
    s.users.reserve(users.size());
    const bool usersRead =
        eachObject(users, QStringLiteral("users"), problem, [&](Fields& f, const QString& path) {
            SimUser u;
            f.text("number", u.number);
            f.text("name", u.name);
            f.text("password", u.password);
            f.integer("privilege", u.privilege);
            f.boolean("enabled", u.enabled);
            f.text("card", u.card);
            const QJsonObject templ = f.object("templates");
            if (f.failed())
                return false;
            const QString key = userKey(u.number);
            if (key.isEmpty() || u.number.trimmed().startsWith(u'-') || seen.contains(key)) {
                problem = QStringLiteral("%1.number: \"%2\" is no user number, or a second one")
                              .arg(path, u.number);
                return false;
            }
            for (auto it = templ.constBegin(); it != templ.constEnd(); ++it) {
                bool ok = false;
                const int finger = it.key().toInt(&ok);
                if (!ok || finger < 0 || finger > 9 || !it.value().isString()) {
                    problem = QStringLiteral("%1.templates.%2: no finger with a template text")
                                  .arg(path, it.key());
                    return false;
                }
                u.templates[size_t(finger)] = it.value().toString();
            }
            seen.insert(key);
            s.users.append(u);
            return true;
        });
    if (!usersRead)
        return refuse(problem);

    s.punches.reserve(punches.size());
    const bool punchesRead = eachObject(
        punches, QStringLiteral("attendance"), problem, [&](Fields& f, const QString& path) {
            SimPunch p;
            QString time;
            f.text("user", p.user);
            f.integer("verify", p.verifyMode);
            f.integer("inout", p.inOutMode);
            f.integer("work", p.workCode);
            f.text("time", time);
            if (f.failed())
                return false;
            if (!parseTime(time, p.year, p.month, p.day, p.hour, p.minute, &p.second)) {
                problem = QStringLiteral("%1.time: bad time \"%2\"").arg(path, time);
                return false;
            }
            s.punches.append(p);
            return true;
        });
    if (!punchesRead)
        return refuse(problem);

    s.operations.reserve(operations.size());
    const bool operationsRead = eachObject(
        operations, QStringLiteral("operations"), problem, [&](Fields& f, const QString& path) {
            SimOperation op;
            auto& x = op.values;
            x[0] = s.machine;
            QString time;
            f.integer("machine", x[0]);
            f.integer("operator", x[1]);
            f.integer("param4", x[2]);
            f.integer("param1", x[3]);
            f.integer("param2", x[4]);
            f.integer("operation", x[5]);
            f.integer("param3", x[6]);
            f.text("time", time);
            if (f.failed())
                return false;
            if (!parseTime(time, x[7], x[8], x[9], x[10], x[11], nullptr)) {
                problem = QStringLiteral("%1.time: bad time \"%2\"").arg(path, time);
                return false;
            }
            s.operations.append(op);
            return true;
        });
    if (!operationsRead)
        return refuse(problem);
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
    QString why;
    std::optional<SimState> state = fromJson(file.readAll(), &why);
    if (!state)
        fail(error, QStringLiteral("%1: %2").arg(path, why));
    return state;
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
