#include "SimTerminal.h"

#include "SimJson.h"
#include "terminals/SdkProtocol.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <optional>
#include <tuple>

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

// Puts one user back as it was before a change that could not be saved: `old` empty
// means the change brought the user in.
void restoreUser(SimState& s, const QString& number, const std::optional<SimUser>& old)
{
    SimUser* u = s.findUser(number);
    if (old && u)
        *u = *old;
    else if (u)
        s.removeUser(u);
}

QByteArray idText(const QJsonValue& id)
{
    return id.isDouble() ? QByteArray::number(id.toInteger()) : QByteArrayLiteral("null");
}

} // namespace

SimTerminal::SimTerminal(SimState state, QObject* parent)
    : QObject(parent), m_state(std::move(state))
{
    m_saveTimer.setSingleShot(true);
    connect(&m_saveTimer, &QTimer::timeout, this, [this] { saveState(); });
}

SimTerminal::~SimTerminal()
{
    saveState();
}

bool SimTerminal::open(const QString& stateFile, QString* error)
{
    std::optional<SimState> loaded = SimState::load(stateFile, error);
    if (!loaded)
        return false;
    m_state = std::move(*loaded);
    m_stateFile = stateFile;
    m_unsaved = false;
    return true;
}

void SimTerminal::garbleNext(const QString& op)
{
    m_garble = true;
    m_garbleOp = op;
}

void SimTerminal::setDropAfterAnswers(const QString& op, int answers)
{
    m_dropOp = op;
    m_dropAnswers = answers;
}

void SimTerminal::oversizeNext(const QString& op, qsizetype bytes)
{
    m_oversizeOp = op;
    m_oversizeBytes = bytes;
}

bool SimTerminal::isGreeting(const QByteArray& line)
{
    return QJsonDocument::fromJson(line).object().value(QLatin1String("op")).toString() ==
           QLatin1String(P::Hello);
}

bool SimTerminal::saveState()
{
    m_saveTimer.stop();
    if (!m_unsaved || m_stateFile.isEmpty())
        return true;
    QString error;
    const bool saved = m_state.save(m_stateFile, &error);
    ++m_saves;
    m_sinceSave.start();
    m_saveFailed = !saved;
    if (!saved) {
        qWarning("%s: cannot save: %s", qPrintable(m_stateFile), qPrintable(error));
        return false;
    }
    m_unsaved = false;
    return true;
}

bool SimTerminal::commit(const std::function<void()>& undo)
{
    if (m_stateFile.isEmpty())
        return true;
    const bool unsavedBefore = m_unsaved;
    m_unsaved = true;
    const bool quiet = !m_sinceSave.isValid() || m_sinceSave.elapsed() >= m_saveIntervalMs;
    if (quiet || m_saveFailed) {
        if (saveState())
            return true;
        undo();
        m_unsaved = unsavedBefore;
        return false;
    }
    if (!m_saveTimer.isActive())
        m_saveTimer.start(int(qMax<qint64>(0, m_saveIntervalMs - m_sinceSave.elapsed())));
    return true;
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
    applyAnswerFaults(op, r);
    return r;
}

void SimTerminal::applyAnswerFaults(const QString& op, SimReply& r)
{
    if (m_oversizeBytes > 0 && op == m_oversizeOp && r.bytes.endsWith("}\n")) {
        QByteArray padded = r.bytes.left(r.bytes.size() - 2);
        padded.reserve(padded.size() + m_oversizeBytes + 12);
        padded += ",\"pad\":\"";
        padded += QByteArray(m_oversizeBytes, 'x');
        padded += "\"}\n";
        r.bytes = std::move(padded);
        m_oversizeBytes = 0;
    }
    if (m_dropAnswers >= 0 && op == m_dropOp) {
        // None left: this request goes unanswered; one left: it goes out whole, then the
        // link drops.
        if (m_dropAnswers == 0)
            r.cutAt = 0;
        else if (m_dropAnswers == 1)
            r.cutAt = r.bytes.size();
        m_dropAnswers = m_dropAnswers <= 1 ? -1 : m_dropAnswers - 1;
    }
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
        int field = 0;
        for (int v : {p.verifyMode, p.inOutMode, p.year, p.month, p.day, p.hour, p.minute, p.second,
                      p.workCode}) {
            out += ',';
            if (++field == p.textField)
                SimJson::appendString(out, p.text);
            else
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
        const QList<SimPunch> kept = s.punches;
        s.punches.clear();
        if (commit([&] { s.punches = kept; }))
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
            const std::optional<SimUser> old = u ? std::optional<SimUser>(*u) : std::nullopt;
            if (!u) {
                SimUser added;
                added.number = number.trimmed();
                u = &s.addUser(added);
            }
            u->name = name;
            u->password = password;
            u->privilege = privilege;
            u->enabled = enabled.toBool();
            if (hasCard)
                u->card = card;
            if (commit([&] { restoreUser(s, number, old); }))
                ok();
        }
    } else if (is(P::DeleteEnroll)) {
        QString number;
        int backup = -1;
        if (textArg(request, "user", number) && intArg(request, "backup", backup)) {
            SimUser* u = s.findUser(number);
            const bool changed = u && backup >= 0 && backup <= P::WholeUser;
            const std::optional<SimUser> old = u ? std::optional<SimUser>(*u) : std::nullopt;
            qsizetype position = -1;
            if (changed && backup == P::WholeUser)
                position = s.removeUser(u);
            else if (changed && backup == P::PasswordBackup)
                u->password.clear();
            else if (changed && backup == P::CardBackup)
                u->card = QStringLiteral("0");
            else if (changed)
                u->templates[size_t(backup)].clear();
            auto undo = [&] {
                if (position >= 0)
                    s.insertUser(position, *old);
                else
                    restoreUser(s, number, old);
            };
            if (changed && commit(undo))
                ok();
        }
    } else if (is(P::DeleteTemplate)) {
        QString number;
        int finger = -1;
        if (textArg(request, "user", number) && intArg(request, "finger", finger)) {
            SimUser* u = s.findUser(number);
            const bool changed = u && ((finger >= 0 && finger <= 9) || finger == P::AllFingers);
            const std::optional<SimUser> old = u ? std::optional<SimUser>(*u) : std::nullopt;
            if (changed && finger == P::AllFingers)
                u->templates.fill(QString());
            else if (changed)
                u->templates[size_t(finger)].clear();
            if (changed && commit([&] { restoreUser(s, number, old); }))
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
            const std::optional<SimUser> old = u ? std::optional<SimUser>(*u) : std::nullopt;
            if (!u) {
                SimUser added;
                added.number = number.trimmed();
                u = &s.addUser(added);
            }
            if (u) {
                u->templates[size_t(finger)] = templ;
                if (commit([&] { restoreUser(s, number, old); }))
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
        if (commit([&] { --s.refreshes; }))
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
            const qint64 old = s.clockOffsetSeconds;
            s.clockOffsetSeconds = now.secsTo(target);
            if (commit([&] { s.clockOffsetSeconds = old; }))
                ok();
        }
    } else if (is(P::ReadClock)) {
        const QDateTime now = QDateTime::currentDateTime().addSecs(s.clockOffsetSeconds);
        ok();
        reply.insert(QStringLiteral("time"),
                     QJsonArray{now.date().year(), now.date().month(), now.date().day(),
                                now.time().hour(), now.time().minute(), now.time().second()});
    } else if (is(P::Restart) || is(P::PowerOff)) {
        int& counter = is(P::Restart) ? s.restarts : s.powerOffs;
        ++counter;
        if (commit([&] { --counter; })) {
            ok();
            SimReply r;
            r.bytes = QJsonDocument(reply).toJson(QJsonDocument::Compact) + '\n';
            r.dropLinks = true;
            return r;
        }
    } else if (is(P::SetParam)) {
        int param = 0, value = 0;
        if (intArg(request, "param", param) && intArg(request, "value", value)) {
            const QMap<int, int> old = s.params;
            s.params.insert(param, value);
            if (commit([&] { s.params = old; }))
                ok();
        }
    } else if (is(P::Display)) {
        int row = 0, column = 0;
        QString text;
        if (intArg(request, "row", row) && intArg(request, "column", column) &&
            textArg(request, "text", text)) {
            const auto old = std::make_tuple(s.displayRow, s.displayColumn, s.displayText);
            s.displayRow = row;
            s.displayColumn = column;
            s.displayText = text;
            if (commit([&] { std::tie(s.displayRow, s.displayColumn, s.displayText) = old; }))
                ok();
        }
    } else if (is(P::EnableClock)) {
        int flag = 0;
        if (intArg(request, "flag", flag)) {
            const bool old = s.clockEnabled;
            if (flag != 0)
                s.clockEnabled = flag > 0;
            if (flag == 0 || commit([&] { s.clockEnabled = old; })) {
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
