#pragma once
// Everything one simulated terminal holds, and its JSON state file.
//
// The file is one object:
//   machine, firmware, clockOffsetSeconds (terminal clock minus the computer's),
//   clockEnabled, counters {restarts, powerOffs, refreshes}, params {"34": 2},
//   display {row, column, text},
//   users [{number, name, password, privilege, enabled, card, templates {"0": "...", ...}}],
//   attendance [{user, verify, inout, time "yyyy-MM-dd HH:mm:ss", work}],
//   operations [{machine, operator, param4, param1, param2, operation, param3,
//                time "yyyy-MM-dd HH:mm"}]
// Attendance and operation records keep the terminal's order. A file of another shape
// (a field of the wrong type, a negative user number) is refused, naming the field.

#include <QDate>
#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QTime>

#include <array>
#include <optional>

struct SimUser
{
    QString number;
    QString name;
    QString password;
    int privilege = 0;
    bool enabled = true;
    QString card = QStringLiteral("0");
    std::array<QString, 10> templates; // empty: no template for that finger

    int fingerCount() const;
};

struct SimPunch
{
    QString user;
    int verifyMode = 1;
    int inOutMode = 0;
    int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0;
    int workCode = 0;
    // A firmware fault: field textField of the record (1 verify mode ... 9 work code) goes out
    // as `text` instead of its number (0: none). Not kept in the state file.
    int textField = 0;
    QString text;

    // A punch of `user` at a real date and time.
    static SimPunch at(const QString& user, const QDate& date, const QTime& time, int verify = 1,
                       int inOut = 0);
};

// The twelve values of one operation-log record, in the order the walk hands them out:
// machine, operator, param4, param1, param2, operation, param3, year, month, day, hour,
// minute.
struct SimOperation
{
    std::array<int, 12> values{};
};

class SimState
{
public:
    int machine = 1;
    QString firmware = QStringLiteral("Ver 6.60 Sim");
    qint64 clockOffsetSeconds = 0;
    bool clockEnabled = true;
    int restarts = 0;
    int powerOffs = 0;
    int refreshes = 0;
    QMap<int, int> params;
    int displayRow = 0;
    int displayColumn = 0;
    QString displayText;
    QList<SimUser> users;
    QList<SimPunch> punches;
    QList<SimOperation> operations;

    // A user by number; a numeric text matches by value ("007" is user 7). Found through
    // an index by number, so a look-up costs the same with ten users or ten thousand. The
    // index follows addUser and removeUser, and notices users appended to or removed from
    // the list directly (by its size); a number changed in place is found after the next
    // change of size.
    SimUser* findUser(const QString& number);
    const SimUser* findUser(const QString& number) const;
    static QString userKey(const QString& number);
    // Appends a user (its number not yet held) and returns it.
    SimUser& addUser(const SimUser& user);
    // Removes the user; its position, to put it back with insertUser.
    qsizetype removeUser(const SimUser* user);
    void insertUser(qsizetype position, const SimUser& user);

    QByteArray toJson() const;
    static std::optional<SimState> fromJson(const QByteArray& json, QString* error = nullptr);

    // Replaces the file whole (temporary file, then rename): a reader, or a simulator
    // killed half-way, finds either the old state or the new one.
    bool save(const QString& path, QString* error = nullptr) const;
    static std::optional<SimState> load(const QString& path, QString* error = nullptr);

private:
    const SimUser* lookUp(const QString& number) const;
    void rebuildIndex() const;
    bool indexCurrent() const { return m_indexedUsers == users.size(); }
    mutable QHash<QString, qsizetype> m_index;
    mutable qsizetype m_indexedUsers = -1;
};
