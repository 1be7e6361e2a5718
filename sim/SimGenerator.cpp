#include "SimGenerator.h"

#include <QRandomGenerator>
#include <QDateTime>
#include <QTime>

#include <algorithm>
#include <tuple>

namespace {

// Looks like a template a terminal hands out: base64 text of a fixed length.
QString templateText(QRandomGenerator& random, int length)
{
    static const char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    QString text;
    text.reserve(length);
    for (int i = 0; i < length; ++i)
        text += QLatin1Char(alphabet[random.bounded(64)]);
    return text;
}

} // namespace

SimState SimGenerator::bulk(int punches, int machine, int users, int templatesPerUser,
                           int operations)
{
    SimState s;
    s.machine = machine;
    const int userCount = qMax(1, users);
    const int fingers = qBound(0, templatesPerUser, 10);
    QRandomGenerator random(20240101u + quint32(machine));
    s.users.reserve(userCount);
    for (int u = 1; u <= userCount; ++u) {
        SimUser user;
        user.number = QString::number(u);
        user.name = QStringLiteral("User %1").arg(u);
        for (int f = 0; f < fingers; ++f)
            user.templates[size_t(f)] = templateText(random, 512);
        s.users.append(user);
    }
    s.operations.reserve(operations);
    const QDateTime firstOperation(QDate(2024, 1, 1), QTime(7, 30));
    for (int i = 0; i < operations; ++i) {
        const QDateTime at = firstOperation.addSecs(qint64(i) * 1800);
        SimOperation op;
        op.values = {machine, 1, 0, 1 + i % userCount, i % 10, int(random.bounded(31)), 0,
                     at.date().year(), at.date().month(), at.date().day(), at.time().hour(),
                     at.time().minute()};
        s.operations.append(op);
    }
    s.punches.reserve(punches);
    QDate date(2024, 1, 1);
    while (s.punches.size() < punches) {
        if (date.dayOfWeek() <= 5) {
            for (int half = 0; half < 2 && s.punches.size() < punches; ++half) {
                for (int u = 1; u <= userCount && s.punches.size() < punches; ++u) {
                    const QTime base = half == 0 ? QTime(8, 0) : QTime(17, 0);
                    const QTime time = base.addSecs(int(random.bounded(-1800, 1800)));
                    s.punches.append(
                        SimPunch::at(QString::number(u), date, time, 1 + int(random.bounded(3)), half));
                }
            }
        }
        date = date.addDays(1);
    }
    return s;
}

SimState SimGenerator::demo(int machine, const QDate& today)
{
    // The demo organisation's employees 1 to 20 (db/demo.sql), as a terminal keeps names:
    // a terminal user's number is the employee's number.
    static const char* const names[20] = {
        "Amelia Hart",     "Brian Okafor",   "Siobhan O'Brien", "Zoë Lambert",    "Łukasz Nowak",
        "Daniel Reyes",    "Priya Raman",    "Thomas Clarke",   "Grace Mensah",   "Henrik Larsen",
        "Isabel Fontaine", "Jamal Haddad",   "Keiko Tanaka",    "Liam Doyle",     "Maria Santos",
        "Nikolai Petrov",  "Olivia Bennett", "Rafael Costa",    "Sara Lindqvist", "Victor Adeyemi",
    };
    SimState s;
    s.machine = machine;
    s.firmware = QStringLiteral("Ver 6.60 Mar 14 2019");
    QRandomGenerator random(7919u * quint32(machine));

    for (int u = 1; u <= 20; ++u) {
        SimUser user;
        user.number = QString::number(u);
        user.name = QString::fromUtf8(names[u - 1]);
        user.privilege = u == 1 ? 3 : (u == 2 ? 2 : (u == 3 ? 1 : 0));
        user.enabled = u != 20;
        user.password = (u <= 3 || u % 5 == 0) ? QStringLiteral("%1%1%1%1").arg(u % 10) : QString();
        user.card = u % 4 == 0 ? QStringLiteral("0")
                               : QString::number(4000000 + machine * 100000 + u * 137);
        // Most users have finger 0 and often a second finger; user 18 only finger 3 and
        // users 19 and 20 none, as terminals in use have them.
        if (u < 18) {
            user.templates[0] = templateText(random, 480 + int(random.bounded(120)));
            if (u % 3 == 0)
                user.templates[6] = templateText(random, 480 + int(random.bounded(120)));
            if (u % 7 == 0)
                user.templates[1] = templateText(random, 480 + int(random.bounded(120)));
        } else if (u == 18) {
            user.templates[3] = templateText(random, 512);
        }
        s.users.append(user);
    }

    // Two weeks of working days; every terminal sees its own share of the staff.
    const QDate first = today.addDays(-14);
    for (QDate date = first; date <= today; date = date.addDays(1)) {
        if (date.dayOfWeek() > 5)
            continue;
        for (int u = 1; u <= 20; ++u) {
            if ((u + machine) % 3 == 0 || random.bounded(10) == 0)
                continue;
            const QString user = QString::number(u);
            const int verify = u % 4 == 0 ? 4 : (u % 5 == 0 ? 2 : 1);
            const QTime in = QTime(8, 0).addSecs(int(random.bounded(-1200, 1500)));
            s.punches.append(SimPunch::at(user, date, in, verify, 0));
            if (u % 4 == 1) {
                const QTime out = QTime(12, 30).addSecs(int(random.bounded(0, 600)));
                s.punches.append(SimPunch::at(user, date, out, verify, 2));
                s.punches.append(SimPunch::at(user, date, out.addSecs(1800), verify, 3));
            }
            if (date == today)
                continue;
            const QTime off = QTime(17, 0).addSecs(int(random.bounded(-900, 3600)));
            s.punches.append(SimPunch::at(user, date, off, verify, 1));
            if (u == 9 && date.dayOfWeek() == 3) {
                s.punches.append(SimPunch::at(user, date, off.addSecs(600), verify, 4));
                s.punches.append(SimPunch::at(user, date, off.addSecs(7800), verify, 5));
            }
        }
    }
    // A punch from a user number the terminal keeps with leading zeros.
    if (machine == 2)
        s.punches.append(SimPunch::at(QStringLiteral("007"), today.addDays(-1), QTime(8, 5, 3), 1, 0));
    std::stable_sort(s.punches.begin(), s.punches.end(), [](const SimPunch& a, const SimPunch& b) {
        return std::tie(a.year, a.month, a.day, a.hour, a.minute, a.second) <
               std::tie(b.year, b.month, b.day, b.hour, b.minute, b.second);
    });

    for (int i = 0; i < 24; ++i) {
        const QDate date = first.addDays(i * 14 / 24);
        const QTime time = QTime(7, 30).addSecs(int(random.bounded(0, 36000)));
        SimOperation op;
        op.values = {machine,
                     i % 5 == 0 ? 2 : 1,
                     0,
                     1 + int(random.bounded(20)),
                     int(random.bounded(10)),
                     int(random.bounded(31)),
                     0,
                     date.year(),
                     date.month(),
                     date.day(),
                     time.hour(),
                     time.minute()};
        s.operations.append(op);
    }
    return s;
}
