#include "SimTerminal.h"

#include "SimJson.h"
#include "terminals/SdkProtocol.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace P = SdkProtocol;

namespace {

bool intArg(const QJsonObject& o, const char* key, int& out)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isDouble())
        return false;
    const double d = v.toDouble();
    if (d != double(qint64(d)) || d < -2147483648.0 || d > 2147483647.0)
        return false;
    out = int(d);
    return true;
}

bool textArg(const QJsonObject& o, const char* key, QString& out)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isString())
        return false;
    out = v.toString();
    return true;
}

bool allDigits(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

QJsonArray userRow(const SimUser& u)
{
    return QJsonArray{u.number,    u.name,    u.password,
                      u.privilege, u.enabled, u.card.isEmpty() ? QStringLiteral("0") : u.card};
}

QByteArray idText(const QJsonValue& id)
{
    return id.isDouble() ? QByteArray::number(id.toInteger()) : QByteArrayLiteral("null");
}

} // namespace

SimTerminal::SimTerminal(SimState state, QObject* parent)
    : QObject(parent), m_state(std::move(state))
{
}

bool SimTerminal::open(const QString& stateFile, QString* error)
{
    std::optional<SimState> loaded = SimState::load(stateFile, error);
    if (!loaded)
        return false;
    m_state = std::move(*loaded);
    m_stateFile = stateFile;
    return true;
}

void SimTerminal::garbleNext(const QString& op)
{
    m_garble = true;
    m_garbleOp = op;
}

bool SimTerminal::commit(const SimState& before)
{
    if (m_stateFile.isEmpty() || m_state.save(m_stateFile))
        return true;
    m_state = before;
    return false;
}

SimReply SimTerminal::answer(const QByteArray& line)
{
    if (line.trimmed().isEmpty())
        return {};
    const QJsonDocument doc = QJsonDocument::fromJson(line);
    const QJsonObject request = doc.object();
    const QString op = request.value(QLatin1String("op")).toString();
    if (m_garble && (m_garbleOp.isEmpty() || m_garbleOp == op)) {
        m_garble = false;
        return {QByteArrayLiteral("#\x01{\"id\":garbage\n")};
    }
    QJsonObject reply{{QStringLiteral("id"), request.value(QLatin1String("id"))},
                      {QStringLiteral("ok"), false}};
    SimReply r;
    if (doc.isObject())
        r = dispatch(op, request, reply);
    if (r.bytes.isEmpty())
        r.bytes = QJsonDocument(reply).toJson(QJsonDocument::Compact) + '\n';
    // Ends whatever half line an earlier, broken exchange left on a serial line.
    if (op == QLatin1String(P::Hello)) {
        r.bytes.prepend('\n');
        r.greeting = true;
    }
    return r;
}

SimReply SimTerminal::readLog(const QByteArray& id)
{
    const QList<SimPunch>& punches = m_state.punches;
    SimReply r;
    QByteArray& out = r.bytes;
    out.reserve(64 + punches.size() * 48);
    out += "{\"id\":" + id + ",\"ok\":true,\"records\":[";
    for (qsizetype i = 0; i < punches.size(); ++i) {
        if (i == m_dropAfter) {
            r.cutAt = out.size();
            break;
        }
        const SimPunch& p = punches.at(i);
        if (i > 0)
            out += ',';
        out += '[';
        SimJson::appendString(out, p.user);
        for (int v : {p.verifyMode, p.inOutMode, p.year, p.month, p.day, p.hour, p.minute, p.second,
                      p.workCode}) {
            out += ',';
            out += QByteArray::number(v);
        }
        out += ']';
    }
    if (r.cutAt < 0 && m_dropAfter >= 0 && m_dropAfter == punches.size())
        r.cutAt = out.size();
    out += "]}\n";
    return r;
}

SimReply SimTerminal::dispatch(const QString& op, const QJsonObject& request, QJsonObject& reply)
{
    auto is = [&op](const char* name) { return op == QLatin1String(name); };
    auto ok = [&reply] { reply.insert(QStringLiteral("ok"), true); };
    SimState& s = m_state;
    const SimState before = s;

    if (is(P::Hello)) {
        ok();
        reply.insert(QStringLiteral("machine"), s.machine);
        reply.insert(QStringLiteral("firmware"), s.firmware);
    } else if (is(P::Ping)) {
        ok();
    } else if (is(P::Firmware)) {
        ok();
        reply.insert(QStringLiteral("version"), s.firmware);
    } else if (is(P::ClearLog)) {
        s.punches.clear();
        if (commit(before))
            ok();
    } else if (is(P::ReadLog)) {
        return readLog(idText(request.value(QLatin1String("id"))));
    } else if (is(P::Status)) {
        int code = 0;
        long value = -1;
        if (intArg(request, "code", code)) {
            switch (code) {
            case 1:
                value = 0;
                for (const SimUser& u : s.users)
                    value += u.privilege > 0 ? 1 : 0;
                break;
            case 2:
                value = long(s.users.size());
                break;
            case 3:
                value = 0;
                for (const SimUser& u : s.users)
                    value += u.fingerCount();
                break;
            case 4:
                value = 0;
                for (const SimUser& u : s.users)
                    value += u.password.isEmpty() ? 0 : 1;
                break;
            case 5:
                value = long(s.operations.size());
                break;
            case 6:
                value = long(s.punches.size());
                break;
            default:
                break;
            }
        }
        if (value >= 0) {
            ok();
            reply.insert(QStringLiteral("value"), qint64(value));
        }
    } else if (is(P::ReadUsers)) {
        QJsonArray rows;
        for (const SimUser& u : s.users)
            rows.append(userRow(u));
        ok();
        reply.insert(QStringLiteral("users"), rows);
    } else if (is(P::ReadUser)) {
        QString number;
        const SimUser* u = textArg(request, "user", number) ? s.findUser(number) : nullptr;
        if (u) {
            ok();
            reply.insert(QStringLiteral("user"), userRow(*u));
        }
    } else if (is(P::SetUser)) {
        QString number, name, password, card;
        int privilege = 0;
        const QJsonValue enabled = request.value(QLatin1String("enabled"));
        const bool hasCard = request.contains(QLatin1String("card"));
        if (hasCard) {
            card = request.value(QLatin1String("card")).toString().trimmed();
            if (card.isEmpty())
                card = QStringLiteral("0");
        }
        const bool valid = textArg(request, "user", number) && !number.trimmed().isEmpty() &&
                           textArg(request, "name", name) &&
                           textArg(request, "password", password) &&
                           intArg(request, "privilege", privilege) && privilege >= 0 &&
                           privilege <= 3 && enabled.isBool() && (!hasCard || allDigits(card));
        if (valid) {
            SimUser* u = s.findUser(number);
            if (!u) {
                SimUser added;
                added.number = number.trimmed();
                s.users.append(added);
                u = &s.users.last();
            }
            u->name = name;
            u->password = password;
            u->privilege = privilege;
            u->enabled = enabled.toBool();
            if (hasCard)
                u->card = card;
            if (commit(before))
                ok();
        }
    } else if (is(P::DeleteEnroll)) {
        QString number;
        int backup = -1;
        if (textArg(request, "user", number) && intArg(request, "backup", backup)) {
            SimUser* u = s.findUser(number);
            bool changed = u != nullptr;
            if (!u || backup < 0 || backup > P::WholeUser)
                changed = false;
            else if (backup == P::WholeUser)
                s.users.removeAt(u - s.users.data());
            else if (backup == P::PasswordBackup)
                u->password.clear();
            else if (backup == P::CardBackup)
                u->card = QStringLiteral("0");
            else
                u->templates[size_t(backup)].clear();
            if (changed && commit(before))
                ok();
        }
    } else if (is(P::DeleteTemplate)) {
        QString number;
        int finger = -1;
        if (textArg(request, "user", number) && intArg(request, "finger", finger)) {
            SimUser* u = s.findUser(number);
            bool changed = u != nullptr;
            if (!u || !((finger >= 0 && finger <= 9) || finger == P::AllFingers))
                changed = false;
            else if (finger == P::AllFingers)
                u->templates.fill(QString());
            else
                u->templates[size_t(finger)].clear();
            if (changed && commit(before))
                ok();
        }
    } else if (is(P::WriteTemplate)) {
        QString number, templ;
        int finger = -1;
        if (textArg(request, "user", number) && intArg(request, "finger", finger) &&
            textArg(request, "template", templ) && finger >= 0 && finger <= 9 &&
            !number.trimmed().isEmpty()) {
            SimUser* u = s.findUser(number);
            // An empty template is what a user stored without fingerprints carries: it
            // must not wipe the finger a terminal already holds.
            if (templ.isEmpty()) {
                ok();
                return {};
            }
            if (!u) {
                SimUser added;
                added.number = number.trimmed();
                s.users.append(added);
                u = &s.users.last();
            }
            if (u) {
                u->templates[size_t(finger)] = templ;
                if (commit(before))
                    ok();
            }
        }
    } else if (is(P::ReadTemplate)) {
        QString number;
        int finger = -1;
        if (textArg(request, "user", number) && intArg(request, "finger", finger) && finger >= 0 &&
            finger <= 9) {
            const SimUser* u = s.findUser(number);
            if (u && !u->templates[size_t(finger)].isEmpty()) {
                ok();
                reply.insert(QStringLiteral("template"), u->templates[size_t(finger)]);
            }
        }
    } else if (is(P::Refresh)) {
        ++s.refreshes;
        if (commit(before))
            ok();
    } else if (is(P::ReadEnroll)) {
        QString number;
        int backup = -1;
        if (textArg(request, "user", number) && intArg(request, "backup", backup) && backup >= 0 &&
            backup <= P::WholeUser) {
            if (const SimUser* u = s.findUser(number)) {
                ok();
                reply.insert(QStringLiteral("values"), QJsonArray{u->privilege, u->fingerCount(),
                                                                  u->password.isEmpty() ? 0 : 1});
            }
        }
    } else if (is(P::SetClock)) {
        const QJsonArray t = request.value(QLatin1String("time")).toArray();
        std::array<int, 6> v{};
        bool valid = t.size() == 6;
        for (int i = 0; valid && i < 6; ++i) {
            const double d = t.at(i).toDouble(-1);
            valid = t.at(i).isDouble() && d == double(int(d));
            v[size_t(i)] = int(d);
        }
        const QDateTime target(QDate(v[0], v[1], v[2]), QTime(v[3], v[4], v[5]));
        if (valid && QDate::isValid(v[0], v[1], v[2]) && QTime::isValid(v[3], v[4], v[5]) &&
            target.isValid()) {
            // From the start of the current second, so the terminal's seconds turn with
            // the computer's and a read right after shows the second that was set.
            QDateTime now = QDateTime::currentDateTime();
            now.setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
            s.clockOffsetSeconds = now.secsTo(target);
            if (commit(before))
                ok();
        }
    } else if (is(P::ReadClock)) {
        const QDateTime now = QDateTime::currentDateTime().addSecs(s.clockOffsetSeconds);
        ok();
        reply.insert(QStringLiteral("time"),
                     QJsonArray{now.date().year(), now.date().month(), now.date().day(),
                                now.time().hour(), now.time().minute(), now.time().second()});
    } else if (is(P::Restart) || is(P::PowerOff)) {
        ++(is(P::Restart) ? s.restarts : s.powerOffs);
        if (commit(before)) {
            ok();
            SimReply r;
            r.bytes = QJsonDocument(reply).toJson(QJsonDocument::Compact) + '\n';
            r.dropLinks = true;
            return r;
        }
    } else if (is(P::SetParam)) {
        int param = 0, value = 0;
        if (intArg(request, "param", param) && intArg(request, "value", value)) {
            s.params.insert(param, value);
            if (commit(before))
                ok();
        }
    } else if (is(P::Display)) {
        int row = 0, column = 0;
        QString text;
        if (intArg(request, "row", row) && intArg(request, "column", column) &&
            textArg(request, "text", text)) {
            s.displayRow = row;
            s.displayColumn = column;
            s.displayText = text;
            if (commit(before))
                ok();
        }
    } else if (is(P::EnableClock)) {
        int flag = 0;
        if (intArg(request, "flag", flag)) {
            if (flag != 0)
                s.clockEnabled = flag > 0;
            if (flag == 0 || commit(before)) {
                ok();
                reply.insert(QStringLiteral("enabled"), s.clockEnabled);
            }
        }
    } else if (is(P::ReadSuperLog)) {
        QJsonArray rows;
        for (const SimOperation& o : s.operations) {
            QJsonArray row;
            for (int v : o.values)
                row.append(v);
            rows.append(row);
        }
        ok();
        reply.insert(QStringLiteral("records"), rows);
    }
    return {};
}
